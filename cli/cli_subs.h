#pragma once
// kolmarin2-cli subs: the optimiser's best subwoofer configurations for a setup, as a
// table or CSV, and the setup file of the best one.

#include "model/acoustics/bass_setup.h"
#include "model/acoustics/subwoofer_optimiser.h"

#include <QByteArray>
#include <QString>

#include <functional>

namespace kolmarin::cli {

struct SubsRequest {
    OptimiserOptions options; // the goal's target read already
    QString candidatesPath;   // empty: the default candidates along the walls
    Band band{20, 120};
    bool csv = false;
    bool subwoofersOnly = false;
};

// Runs the optimiser on the setup with its subwoofers taken away; the configurations for
// standard output, and in `best` the setup with rank 1's subwoofers and EQ.
// `note` hears, as a line, what the bound on the candidates left out.
QByteArray subsOutput(const BassSetup& setup, const SubsRequest& request, char decimalSeparator,
                      BassSetup& best,
                      const std::function<void(double fraction, double secondsLeft)>& progress = {},
                      const std::function<void(const QByteArray&)>& note = {});

} // namespace kolmarin::cli

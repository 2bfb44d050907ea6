#pragma once
// Computes a response map on a thread of its own while the window goes on, and hands
// each finished pass and the progress to the window's thread. A new start cancels the
// map still being computed; what that one had already sent is dropped unseen.

#include "model/acoustics/response_map.h"

#include <QObject>

#include <functional>
#include <optional>
#include <thread>

namespace kolmarin {

class MapRunner : public QObject {
  public:
    explicit MapRunner(QObject* parent = nullptr);
    // Stops the map being computed and waits for its thread.
    ~MapRunner() override;

    // Called in the thread that owns the runner: after each pass with the map so far, and
    // with the share of points done (0..100) whenever it changes.
    std::function<void(const ResponseMap& map)> onPass;
    std::function<void(int percent)> onProgress;
    // Called in the runner's thread with what `currentFigure` gave, before the first pass.
    std::function<void(std::optional<double>)> onCurrent;

    // Stops any map being computed, then starts computing `scene`'s.
    // `currentFigure`, when given, is worked out on the map's thread before its points:
    // the current placement's figure can take as long as several calculations.
    void start(const Scene& scene, MapMarker marker, Band band, double step,
               MapFigure figure = MapFigure::Point,
               std::function<std::optional<double>()> currentFigure = {});
    // Stops the map being computed (it ends within a few points) and waits for it.
    // Nothing it sent reaches onPass or onProgress any more.
    void stop();
    bool running() const { return running_; }

  private:
    std::jthread thread_;
    unsigned generation_ = 0; // counts starts and stops; only the current one is delivered
    bool running_ = false;
};

} // namespace kolmarin

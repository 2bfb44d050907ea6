// The subwoofers' settings as a processor takes them: levels, delays also in metres,
// polarities and the EQ's filters in the parametric-EQ line form, as text and CSV.
#include "files/bass_settings_text.h"

#include <gtest/gtest.h>

namespace kolmarin {
namespace {

TEST(BassSettingsText, WritesEachSubwooferAndFilterInTheFormProcessorsRead) {
    const std::vector<SubwooferSignal> subwoofers{{-4.5, 2.5, false}, {-0.04, 0.0, true}};
    const std::vector<PeakingFilter> eq{{42.0, -6.5, 4.3}, {71.25, 2.96, 0.5}};
    EXPECT_EQ(bassSettingsText(subwoofers, eq).toStdString(),
              "Kolmarin2 subwoofer settings\n"
              "SW1: Level -4.5 dB Delay 2.50 ms (0.860 m) Polarity +\n"
              "SW2: Level 0.0 dB Delay 0.00 ms (0.000 m) Polarity -\n"
              "EQ shared by the subwoofers, peaking filters at 48000 Hz sampling:\n"
              "Filter 1: ON PK Fc 42.0 Hz Gain -6.5 dB Q 4.30\n"
              "Filter 2: ON PK Fc 71.2 Hz Gain 3.0 dB Q 0.50\n");
    EXPECT_EQ(bassSettingsCsv(subwoofers, eq).toStdString(),
              "kind,number,level_db,delay_ms,distance_m,polarity,fc_hz,gain_db,q\n"
              "subwoofer,1,-4.50,2.500,0.8600,+,,,\n"
              "subwoofer,2,-0.04,0.000,0.0000,-,,,\n"
              "filter,1,,,,,42.00,-6.50,4.300\n"
              "filter,2,,,,,71.25,2.96,0.500\n");
}

} // namespace
} // namespace kolmarin

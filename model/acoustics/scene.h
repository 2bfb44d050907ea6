#pragma once
// The scene: the room, its six reflection coefficients, the sources that sound in it,
// the seats where it is heard, and the calculation conditions. The windows hold every
// value as the text of one control; SceneTexts is that set of texts, Scene the numbers
// one calculation reads from them. The main window's scene has two sources, the
// loudspeakers SP1 and SP2, and one seat, the listener's; a setup adds more (bass_setup.h).

#include "model/acoustics/crossover.h"
#include "model/acoustics/peaking_filter.h"
#include "model/errors.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kolmarin {

// Where the calculation puts an image in time. Sample: on the nearest sample of the 4096 Hz
// impulse response, its path rounded to 8.4 cm (the program's own model, the default).
// Continuous: at its true path length, each image adding w e^(-j 2 pi f r / c) / r at the
// plotted frequency f itself. One choice for the whole scene and every view of it.
enum class DelayModel { Sample, Continuous };

// The command-line words for the models, "sample" and "continuous"; nothing for another.
const char* delayModelWord(DelayModel model);
std::optional<DelayModel> delayModelOfWord(const std::string& word);

struct PositionTexts {
    std::string x; // from the left wall, metres
    std::string y; // from the front wall
    std::string z; // from the floor

    bool operator==(const PositionTexts&) const = default;
};

struct SceneTexts {
    std::string width = "2.70";
    std::string depth = "4.50";
    std::string height = "2.40";
    std::string reflRight = "0.8";
    std::string reflLeft = "0.8";
    std::string reflFront = "0.85";
    std::string reflBack = "0.85";
    std::string reflFloor = "0.9";
    std::string reflCeiling = "0.9";
    std::string reflectionCount = "30";
    std::string startFrequency = "20";
    std::string endFrequency = "500";
    std::vector<PositionTexts> sources{{"0.45", "0.70", "0.50"}, {"2.25", "0.70", "0.50"}};
    std::vector<PositionTexts> seats{{"1.36", "2.90", "1.00"}};
    DelayModel delays = DelayModel::Sample; // a calculation condition, though not a typed text

    bool operator==(const SceneTexts&) const = default;
};

// The start-up texts with `decimalSeparator` in the decimal values, so a user whose
// locale writes 2,70 starts with texts the parsers accept.
SceneTexts startupTexts(char decimalSeparator);

// The scene as the main window shows it right after start-up: its first layout sets the
// height sliders from the start-up texts and rewrites the three heights as the heights
// their slider positions stand for, in the position form (" 0.50", " 0.50", " 1.01").
// The command-line tool starts from these texts too, so its files equal the window's.
SceneTexts startupSceneTexts(char decimalSeparator = '.');

struct Point3 {
    double x = 0, y = 0, z = 0;
};

// A sound source: where it stands, and how its signal reaches it. The level, the delay,
// the polarity and the branch of a crossover act on the source's whole spectrum, so they
// leave its image pattern alone; without a setup every source is plain (0 dB, 0 ms, +,
// the full band).
struct Source {
    Point3 position;
    double levelDb = 0.0;
    double delayMs = 0.0;
    bool reversed = false; // polarity
    CrossoverBranch branch = CrossoverBranch::Full;
    double crossoverHz = 0.0; // where the branch divides; unused for the full band
    // What the source is in a setup: a subwoofer (the low-pass branch of a crossover), or a
    // main loudspeaker, small (the high-pass branch) or large (the full band). The branch
    // above follows from these once a setup's crossover is chosen.
    bool subwoofer = false;
    bool large = false;

    // Whether the source's spectrum is used as the room gives it.
    bool plain() const {
        return levelDb == 0.0 && delayMs == 0.0 && !reversed && branch == CrossoverBranch::Full;
    }
};

struct Scene {
    double width = 0, depth = 0, height = 0;
    double reflRight = 0, reflLeft = 0, reflFront = 0, reflBack = 0, reflFloor = 0, reflCeiling = 0;
    std::vector<Source> sources = std::vector<Source>(2);
    std::vector<Point3> seats = std::vector<Point3>(1);
    std::int32_t reflectionCount = 0;
    std::int32_t startFrequency = 0;
    std::int32_t endFrequency = 0;
    DelayModel delays = DelayModel::Sample;
    // The subwoofers' shared EQ, in a setup that has one: their channel's filters, which the
    // seats' Totals and the subwoofers' own curves pass through.
    std::vector<PeakingFilter> subwooferEq;

    // Whether `p` lies in the room, its walls, floor and ceiling included.
    bool contains(const Point3& p) const {
        return p.x >= 0 && p.x <= width && p.y >= 0 && p.y <= depth && p.z >= 0 && p.z <= height;
    }
};

// Limits the calculation applies to the conditions.
inline constexpr std::int32_t kMaxReflectionCount = 200;
inline constexpr std::int32_t kLowestFrequency = 10;
inline constexpr std::int32_t kHighestFrequency = 500;

enum class Condition { ReflectionCount, StartFrequency, EndFrequency };
// Called with the corrected text ("200", "10", "500") the moment a condition is corrected,
// so the correction stays written even if a later text fails to parse.
using CorrectionSink = std::function<void(Condition, const std::string&)>;

// One of the twelve room, coefficient and condition texts of SceneTexts.
using SceneText = std::string SceneTexts::*;

// A room, coefficient or condition text its parser refused; `text` says which, so the
// window can show the user the box that holds it.
class SceneTextError : public UserError {
  public:
    SceneTextError(const std::string& message, SceneText which) : UserError(message), text(which) {}
    SceneText text;
};

// Reads the scene in the calculation's order: depth, width, height, front, back, right,
// left, floor, ceiling, the seats, the sources (x, y, z each), then count, start and end
// with their corrections. Throws UserError with the parser's message at the first bad text.
Scene readCalculationScene(const SceneTexts& texts, char decimalSeparator,
                           const CorrectionSink& onCorrection);

// Reads the start and end frequency as they stand, without corrections.
struct FrequencyRange {
    std::int32_t start = 0;
    std::int32_t end = 0;
};
FrequencyRange readFrequencyRange(const SceneTexts& texts);

// One of the room's sizes (`which`: width, depth or height) as its text stands, in metres;
// a text that is no number is a SceneTextError naming it.
double readRoomSize(const SceneTexts& texts, SceneText which, char decimalSeparator);

// Refuses a room that has no inside (nor a plan to draw): a zero or negative dimension
// raises a message naming it (width first, then depth, then height).
void checkRoomSize(double width, double depth, double height);

// Refuses a scene the window could not take: every text is read as the calculation reads
// it, then the room must have extent (see checkRoomSize) and the reflection count must
// not be negative. Throws UserError with the message the window would give.
void checkSceneTexts(const SceneTexts& texts, char decimalSeparator);

} // namespace kolmarin

#pragma once
// The main loudspeakers of a setup: always the two fronts, SP1 on the left and SP2 on the
// right, then any of a centre and four surrounds, each at most once and in the order of
// LoudspeakerRole. Each is small (its bass goes to the subwoofers behind a crossover) or
// large (full range, never high-passed).

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace kolmarin {

enum class LoudspeakerRole {
    FrontLeft,
    FrontRight,
    Centre,
    SurroundLeft,
    SurroundRight,
    BackLeft,
    BackRight
};

inline constexpr int kMostLoudspeakers = 7; // one of each role

struct Loudspeaker {
    LoudspeakerRole role = LoudspeakerRole::FrontLeft;
    bool large = false;
    bool operator==(const Loudspeaker&) const = default;
};

// SP1 and SP2, both small: the loudspeakers of a room file.
inline std::vector<Loudspeaker> frontLoudspeakers() {
    return {{LoudspeakerRole::FrontLeft}, {LoudspeakerRole::FrontRight}};
}

// The short label the program shows and writes: "SP1", "SP2", "C", "SL", "SR", "SBL", "SBR".
std::string loudspeakerLabel(LoudspeakerRole role);
// The name a sentence uses: "SP1", "SP2", "センター", "サラウンド L", ..., "サラウンドバック R".
std::string loudspeakerName(LoudspeakerRole role);
// The word of files and the command line: "sp1", "sp2", "c", "sl", "sr", "sbl", "sbr".
std::string loudspeakerWord(LoudspeakerRole role);
std::optional<LoudspeakerRole> loudspeakerRoleOfWord(const std::string& word);
// The words of the roles after SP1 and SP2 in their order, `separator` apart: "c sl sr sbl sbr".
std::string extraLoudspeakerWords(const std::string& separator);

// Why `loudspeakers` is no list of main loudspeakers (not the two fronts first, a role
// twice or out of order, too many), or empty.
std::string loudspeakerListProblem(const std::vector<Loudspeaker>& loudspeakers);

// Where the loudspeaker of `role` stands in the list (its source's index), if it is there.
std::optional<std::size_t> loudspeakerIndex(const std::vector<Loudspeaker>& loudspeakers,
                                            LoudspeakerRole role);

} // namespace kolmarin

#include "model/acoustics/loudspeakers.h"

#include <array>

namespace kolmarin {

namespace {

struct RoleNames {
    LoudspeakerRole role;
    const char* label;
    const char* name;
    const char* word;
};

constexpr std::array<RoleNames, kMostLoudspeakers> kRoles{{
    {LoudspeakerRole::FrontLeft, "SP1", "SP1", "sp1"},
    {LoudspeakerRole::FrontRight, "SP2", "SP2", "sp2"},
    {LoudspeakerRole::Centre, "C", "センター", "c"},
    {LoudspeakerRole::SurroundLeft, "SL", "サラウンド L", "sl"},
    {LoudspeakerRole::SurroundRight, "SR", "サラウンド R", "sr"},
    {LoudspeakerRole::BackLeft, "SBL", "サラウンドバック L", "sbl"},
    {LoudspeakerRole::BackRight, "SBR", "サラウンドバック R", "sbr"},
}};

const RoleNames& namesOf(LoudspeakerRole role) {
    return kRoles[static_cast<std::size_t>(role)];
}

} // namespace

std::string loudspeakerLabel(LoudspeakerRole role) {
    return namesOf(role).label;
}

std::string loudspeakerName(LoudspeakerRole role) {
    return namesOf(role).name;
}

std::string loudspeakerWord(LoudspeakerRole role) {
    return namesOf(role).word;
}

std::optional<LoudspeakerRole> loudspeakerRoleOfWord(const std::string& word) {
    for (const RoleNames& r : kRoles)
        if (word == r.word)
            return r.role;
    return std::nullopt;
}

std::string extraLoudspeakerWords(const std::string& separator) {
    std::string words;
    for (std::size_t r = 2; r < kRoles.size(); ++r)
        words += (r == 2 ? "" : separator) + kRoles[r].word;
    return words;
}

std::string loudspeakerListProblem(const std::vector<Loudspeaker>& loudspeakers) {
    if (loudspeakers.size() < 2 || loudspeakers[0].role != LoudspeakerRole::FrontLeft ||
        loudspeakers[1].role != LoudspeakerRole::FrontRight)
        return "メインのスピーカーは SP1、SP2 から始まります";
    for (std::size_t i = 1; i < loudspeakers.size(); ++i) {
        const int role = static_cast<int>(loudspeakers[i].role);
        if (role < 0 || role >= kMostLoudspeakers)
            return "メインのスピーカーの役割が分かりません";
        if (role <= static_cast<int>(loudspeakers[i - 1].role)) {
            std::string order;
            for (const RoleNames& r : kRoles)
                order += std::string(order.empty() ? "" : "、") + r.label;
            return loudspeakerName(loudspeakers[i].role) + " は一度だけ、" + order + " の順に置きます";
        }
    }
    return {};
}

std::optional<std::size_t> loudspeakerIndex(const std::vector<Loudspeaker>& loudspeakers,
                                            LoudspeakerRole role) {
    for (std::size_t i = 0; i < loudspeakers.size(); ++i)
        if (loudspeakers[i].role == role)
            return i;
    return std::nullopt;
}

} // namespace kolmarin

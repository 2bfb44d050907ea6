#pragma once

namespace kolmarin {

// Which curve of the chart: one loudspeaker's own response (by its place in the scene's
// list of sources, 0 for SP1), the sum of all of them, a placement being looked at, or a
// curve kept to compare against.
struct CurveRole {
    enum class Kind { Source, Total, Candidate, Reference };
    Kind kind = Kind::Total;
    int source = 0; // only for Kind::Source

    static constexpr CurveRole ofSource(int index) { return {Kind::Source, index}; }
    static constexpr CurveRole total() { return {Kind::Total, 0}; }
    static constexpr CurveRole candidate() { return {Kind::Candidate, 0}; }
    static constexpr CurveRole reference() { return {Kind::Reference, 0}; }
    bool operator==(const CurveRole&) const = default;
};

} // namespace kolmarin

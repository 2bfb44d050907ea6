#pragma once
// When a long run's remaining time, worked out from the share of it done so far, is worth
// showing. In its first moments the tables and threads it sets up weigh too much in that
// share, and a run whose parts cost what a model of them says can be off by more than half:
// the estimate waits until a twentieth of the work is done, or ten seconds have passed.

namespace kolmarin {

inline bool estimateSettled(double fraction, double elapsedSeconds) {
    return elapsedSeconds >= 0.5 && (fraction >= 0.05 || elapsedSeconds >= 10.0);
}

} // namespace kolmarin

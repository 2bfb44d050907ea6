#include "cli/long_run_notice.h"

#include "model/progress_estimate.h"

#include <cstdio>

namespace kolmarin::cli {

namespace {

constexpr double kLongRun = 60.0; // seconds
constexpr auto kShowEvery = std::chrono::seconds(5);

} // namespace

QByteArray durationText(double seconds) {
    char text[64];
    if (seconds < 90)
        std::snprintf(text, sizeof text, "約 %.0f 秒", seconds);
    else if (seconds < 2 * 3600)
        std::snprintf(text, sizeof text, "約 %.0f 分", seconds / 60);
    else
        std::snprintf(text, sizeof text, "約 %.1f 時間", seconds / 3600);
    return text;
}

LongRunNotice::LongRunNotice(std::function<void(const QByteArray&)> write) : write_(std::move(write)) {}

void LongRunNotice::update(double fraction, double secondsLeft) {
    std::lock_guard lock(mutex_);
    const auto now = std::chrono::steady_clock::now();
    const double elapsed = std::chrono::duration<double>(now - start_).count();
    if (!announced_) {
        if (!estimateSettled(fraction, elapsed) || elapsed + secondsLeft <= kLongRun)
            return;
        announced_ = true;
        write_("見積もりの時間は" + durationText(elapsed + secondsLeft) +
               "で、1 分を超えます。進み具合をここに示します (中止は Ctrl+C)。\n");
    } else if (now - lastShown_ < kShowEvery) {
        return;
    }
    lastShown_ = now;
    char line[64];
    std::snprintf(line, sizeof line, "  %3.0f%%  残り", fraction * 100);
    write_(QByteArray(line) + durationText(secondsLeft) + "\n");
}

void LongRunNotice::finish() {
    std::lock_guard lock(mutex_);
    if (announced_)
        write_("  100%  終わりました\n");
}

} // namespace kolmarin::cli

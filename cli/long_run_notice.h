#pragma once
// A long map or search says so: when its estimated time exceeds a minute, a line on stderr
// gives the estimate, then the progress follows there every few seconds, so a run of hours
// never starts without a word.

#include <QByteArray>

#include <chrono>
#include <functional>
#include <mutex>

namespace kolmarin::cli {

class LongRunNotice {
  public:
    explicit LongRunNotice(std::function<void(const QByteArray&)> write);
    // `fraction` of the work done, `secondsLeft` its estimate; from any thread.
    void update(double fraction, double secondsLeft);
    // After the last update: ends the progress line, if one was started.
    void finish();

  private:
    std::function<void(const QByteArray&)> write_;
    std::mutex mutex_;
    const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point lastShown_{};
    bool announced_ = false;
};

// "約 40 秒", "約 12 分", "約 3.7 時間".
QByteArray durationText(double seconds);

} // namespace kolmarin::cli

#pragma once
// The row a window runs long work from: its start button, 中止, a bar and the time left,
// and the thread the work runs on. The work gets a stop token, a progress call it may
// make from its thread, and a way to hand what it found to the window's thread. Whatever
// a run hands over after it has ended (a new start, the window closed) is dropped.

#include <QElapsedTimer>
#include <QWidget>

#include <functional>
#include <stop_token>
#include <thread>

class QLabel;
class QProgressBar;
class QPushButton;

namespace kolmarin {

class RunRow : public QWidget {
    Q_OBJECT
  public:
    using Progress = std::function<void(double fraction, double secondsLeft)>;
    // Runs `show` in the window's thread, if the run that handed it over is still current.
    using Deliver = std::function<void(std::function<void()> show)>;
    using Work = std::function<void(std::stop_token, const Progress&, const Deliver&)>;

    explicit RunRow(const QString& startCaption, QWidget* parent = nullptr);
    // Ends a run and waits for its thread.
    ~RunRow() override;

    bool running() const { return running_; }
    // Ends any run, then starts `work` on a thread of its own.
    void start(Work work);
    // What the run found has been shown: the bar is full, or stays where 中止 left it.
    void finish(bool cancelled);
    // Ends a run at once, its findings unwanted (the window closes); the bar empties.
    // Whether one was running.
    bool end();

  signals:
    void startClicked();

  private:
    void cancel();
    void showProgress(double fraction, double secondsLeft);
    void stopThread();

    QPushButton* startButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
    QLabel* timeLeftLabel_ = nullptr;
    QElapsedTimer clock_; // since the run's start: an estimate waits until it has settled
    std::jthread thread_;
    unsigned generation_ = 0; // counts starts and ends; only the current run is heard
    bool running_ = false;
    bool cancelled_ = false;
};

} // namespace kolmarin

#include "widgets/run_row.h"

#include "widgets/current_delivery.h"

#include "model/progress_estimate.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>
#include <cmath>

namespace kolmarin {

RunRow::RunRow(const QString& startCaption, QWidget* parent) : QWidget(parent) {
    startButton_ = new QPushButton(startCaption);
    cancelButton_ = new QPushButton(QStringLiteral("中止"));
    cancelButton_->setEnabled(false);
    progressBar_ = new QProgressBar;
    progressBar_->setRange(0, 100);
    progressBar_->setValue(0);
    timeLeftLabel_ = new QLabel;
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(startButton_);
    row->addWidget(cancelButton_);
    row->addWidget(progressBar_, 1);
    row->addWidget(timeLeftLabel_);
    const std::pair<QWidget*, const char*> names[]{{startButton_, "startButton"},
                                                   {cancelButton_, "cancelButton"},
                                                   {progressBar_, "progressBar"},
                                                   {timeLeftLabel_, "timeLeftLabel"}};
    for (const auto& [widget, name] : names)
        widget->setObjectName(QString::fromLatin1(name));
    connect(startButton_, &QPushButton::clicked, this, &RunRow::startClicked);
    connect(cancelButton_, &QPushButton::clicked, this, [this] { cancel(); });
}

RunRow::~RunRow() {
    stopThread();
}

void RunRow::stopThread() {
    running_ = false;
    endBackgroundRun(thread_, generation_);
}

void RunRow::start(Work work) {
    stopThread();
    running_ = true;
    cancelled_ = false;
    startButton_->setEnabled(false);
    cancelButton_->setEnabled(true);
    progressBar_->setValue(0);
    timeLeftLabel_->clear();
    clock_.start();
    const auto post = deliveryToCurrent(this, generation_);
    const Progress progress = [post](double fraction, double secondsLeft) {
        post([fraction, secondsLeft](RunRow& row) { row.showProgress(fraction, secondsLeft); });
    };
    const Deliver deliver = [post](std::function<void()> show) {
        post([show = std::move(show)](RunRow&) { show(); });
    };
    thread_ = std::jthread(
        [work = std::move(work), progress, deliver](std::stop_token stop) { work(stop, progress, deliver); });
}

void RunRow::cancel() {
    // The work ends within moments and hands over what it found so far; the bar stays
    // where it was stopped.
    if (thread_.joinable())
        thread_.request_stop();
    cancelled_ = true;
    cancelButton_->setEnabled(false);
}

void RunRow::showProgress(double fraction, double secondsLeft) {
    if (!running_ || cancelled_)
        return;
    progressBar_->setValue(static_cast<int>(std::lround(100 * fraction)));
    timeLeftLabel_->setText(
        estimateSettled(fraction, static_cast<double>(clock_.elapsed()) / 1000)
            ? QStringLiteral("残り約 %1 秒").arg(static_cast<long>(std::ceil(std::max(0.0, secondsLeft))))
            : QStringLiteral("残りを見積もっています"));
}

void RunRow::finish(bool cancelled) {
    running_ = false;
    startButton_->setEnabled(true);
    cancelButton_->setEnabled(false);
    if (!cancelled)
        progressBar_->setValue(100);
    timeLeftLabel_->setText(cancelled ? QStringLiteral("中止") : QString());
}

bool RunRow::end() {
    const bool wasRunning = running_;
    stopThread();
    if (wasRunning) {
        progressBar_->setValue(0);
        timeLeftLabel_->clear();
    }
    startButton_->setEnabled(true);
    cancelButton_->setEnabled(false);
    return wasRunning;
}

} // namespace kolmarin

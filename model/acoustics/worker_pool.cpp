#include "model/acoustics/worker_pool.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace kolmarin {

namespace {
constexpr std::chrono::microseconds kSpinTime{100};
}

WorkerPool& WorkerPool::shared() {
    static WorkerPool pool(static_cast<int>(std::max(1u, std::thread::hardware_concurrency())));
    return pool;
}

WorkerPool::WorkerPool(int threads) {
    const int helpers = std::max(threads, 1) - 1;
    helpers_.reserve(static_cast<std::size_t>(helpers));
    for (int i = 0; i < helpers; ++i)
        helpers_.emplace_back([this, i] { helperLoop(i); });
}

WorkerPool::~WorkerPool() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    for (std::thread& t : helpers_)
        t.join();
}

void WorkerPool::run(int count, const std::function<void(int)>& task, int maxThreads) {
    if (count <= 0)
        return;
    std::lock_guard runLock(runMutex_);
    const int threads = maxThreads <= 0 ? size() : std::min(maxThreads, size());
    {
        std::lock_guard lock(mutex_);
        task_ = &task;
        count_ = count;
        next_ = 0;
        failure_ = nullptr;
        // No more helpers than there are indices beyond the caller's first one.
        helpersWanted_ = std::min(threads - 1, count - 1);
        helpersRunning_ = helpersWanted_;
        generation_.fetch_add(1, std::memory_order_release);
    }
    if (helpersWanted_ > 0)
        wake_.notify_all();
    work();
    std::unique_lock lock(mutex_);
    finished_.wait(lock, [this] { return helpersRunning_ == 0; });
    task_ = nullptr;
    if (failure_)
        std::rethrow_exception(std::exchange(failure_, nullptr));
}

// Takes indices until none is left. A failed task stops nobody else: the other indices
// still run, so every call has ended when run() returns.
void WorkerPool::work() {
    for (;;) {
        int index;
        {
            std::lock_guard lock(mutex_);
            if (next_ >= count_)
                return;
            index = next_++;
        }
        try {
            (*task_)(index);
        } catch (...) {
            std::lock_guard lock(mutex_);
            if (!failure_)
                failure_ = std::current_exception();
        }
    }
}

void WorkerPool::helperLoop(int helperIndex) {
    std::uint64_t seen = 0;
    for (;;) {
        // A calculation starts several runs in quick succession (bands, sums, transforms):
        // watching for the next one a little while is far quicker than being woken.
        const auto spinEnd = std::chrono::steady_clock::now() + kSpinTime;
        while (generation_.load(std::memory_order_acquire) == seen &&
               std::chrono::steady_clock::now() < spinEnd)
            std::this_thread::yield();
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [&] { return stopping_ || generation_ != seen; });
            if (stopping_)
                return;
            seen = generation_.load(std::memory_order_relaxed);
            if (helperIndex >= helpersWanted_)
                continue;
        }
        work();
        {
            std::lock_guard lock(mutex_);
            --helpersRunning_;
        }
        finished_.notify_one();
    }
}

} // namespace kolmarin

#pragma once
// A small pool of helper threads, started on first use and kept for the program's life,
// so a calculation pays for waking threads, never for creating them. The calling thread
// always takes part, so a pool of size 1 simply runs everything in the caller.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace kolmarin {

class WorkerPool {
  public:
    // The pool the calculations share: one thread per hardware thread, the caller included.
    static WorkerPool& shared();

    // `threads` counts the caller too; below 1 it is taken as 1.
    explicit WorkerPool(int threads);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    // Threads that take part in a run, the caller included.
    int size() const { return static_cast<int>(helpers_.size()) + 1; }

    // Calls task(i) exactly once for every i in [0, count), spread over the caller and up
    // to maxThreads - 1 helpers (all of them when maxThreads <= 0), and returns when every
    // call has ended. Which thread runs which index is not fixed, so a task must write only
    // what belongs to its index. The first exception a task throws is rethrown here after
    // the others have ended. Runs from several threads are served one after another; a
    // task must not start a run itself.
    void run(int count, const std::function<void(int)>& task, int maxThreads = 0);

  private:
    void helperLoop(int helperIndex);
    void work();

    std::vector<std::thread> helpers_;
    std::mutex runMutex_; // one run at a time

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable finished_;
    std::atomic<std::uint64_t> generation_{0}; // bumped for every run, under mutex_
    bool stopping_ = false;
    int helpersWanted_ = 0;  // helpers that take part in the current run
    int helpersRunning_ = 0; // of those, the ones not yet finished
    const std::function<void(int)>* task_ = nullptr;
    int count_ = 0;
    int next_ = 0; // next index to hand out
    std::exception_ptr failure_;
};

} // namespace kolmarin

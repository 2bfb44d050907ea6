// The worker pool: every index runs exactly once, on as many threads as allowed, failures
// come back to the caller after the other indices have run, and concurrent callers wait
// their turn.
#include "model/acoustics/worker_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>
#include <vector>

using kolmarin::WorkerPool;

TEST(WorkerPool, RunsEveryIndexOnceForAnyCountAndThreadLimit) {
    WorkerPool pool(3);
    EXPECT_EQ(pool.size(), 3);
    for (int count : {0, 1, 2, 7, 100})
        for (int maxThreads : {0, 1, 2, 3, 16}) {
            std::vector<std::atomic<int>> calls(static_cast<std::size_t>(count));
            pool.run(
                count, [&](int i) { calls[static_cast<std::size_t>(i)]++; }, maxThreads);
            for (int i = 0; i < count; ++i)
                ASSERT_EQ(calls[static_cast<std::size_t>(i)].load(), 1)
                    << count << " indices, " << maxThreads;
        }
}

TEST(WorkerPool, KeepsToTheThreadLimit) {
    WorkerPool pool(3);
    std::mutex m;
    for (int maxThreads : {1, 2}) {
        std::set<std::thread::id> seen;
        pool.run(
            64,
            [&](int) {
                std::this_thread::sleep_for(std::chrono::microseconds(200));
                std::lock_guard lock(m);
                seen.insert(std::this_thread::get_id());
            },
            maxThreads);
        EXPECT_LE(static_cast<int>(seen.size()), maxThreads);
        if (maxThreads == 1) {
            EXPECT_EQ(seen, std::set{std::this_thread::get_id()});
        }
    }
    // A pool of one thread is the caller alone.
    WorkerPool single(0);
    EXPECT_EQ(single.size(), 1);
    std::thread::id ran;
    single.run(1, [&](int) { ran = std::this_thread::get_id(); });
    EXPECT_EQ(ran, std::this_thread::get_id());
}

TEST(WorkerPool, RethrowsAFailureAfterTheOtherIndicesRan) {
    WorkerPool pool(2);
    std::atomic<int> ran{0};
    EXPECT_THROW(pool.run(20,
                          [&](int i) {
                              ran++;
                              if (i == 3)
                                  throw std::runtime_error("index 3");
                          }),
                 std::runtime_error);
    EXPECT_EQ(ran.load(), 20);
    // The pool is still usable afterwards.
    std::atomic<int> again{0};
    pool.run(5, [&](int) { again++; });
    EXPECT_EQ(again.load(), 5);
}

TEST(WorkerPool, ServesConcurrentCallersOneAfterAnother) {
    WorkerPool pool(2);
    std::atomic<int> total{0};
    std::atomic<int> active{0};
    std::atomic<bool> overlapped{false};
    auto caller = [&] {
        for (int r = 0; r < 50; ++r)
            pool.run(4, [&](int) {
                if (active.fetch_add(1) >= 2)
                    overlapped = true; // more tasks at once than the pool has threads
                total++;
                active--;
            });
    };
    std::thread a(caller), b(caller);
    a.join();
    b.join();
    EXPECT_EQ(total.load(), 2 * 50 * 4);
    EXPECT_FALSE(overlapped.load());
}

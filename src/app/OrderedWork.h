// Runs a pure per-item computation on worker threads, a bounded number of items ahead, while
// the calling thread consumes the results strictly in order. The conversions of a batch are
// independent of each other, so they can run on every core; everything that depends on order
// or touches shared state (output names, overwrite checks, saving, settings) stays with the
// caller, in the order the files were given.
#pragma once

#include <algorithm>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace tavelkor {

template <class Result>
void ForEachInOrder(qsizetype count, const std::function<Result(qsizetype)>& compute,
                    const std::function<void(qsizetype, Result&)>& consume) {
    if (count <= 0)
        return;
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const qsizetype workers = std::min<qsizetype>(std::min(cores, 8u), count);
    if (workers <= 1 || count < 4) {
        for (qsizetype i = 0; i < count; ++i) {
            Result result = compute(i);
            consume(i, result);
        }
        return;
    }
    // At most this many results wait to be consumed, which bounds the memory of a large batch.
    const qsizetype window = 16 * workers;
    std::vector<std::optional<Result>> pending(static_cast<size_t>(count));
    std::mutex mutex;
    std::condition_variable changed;
    qsizetype next = 0;
    qsizetype consumed = 0;

    auto work = [&] {
        while (true) {
            qsizetype index;
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return next >= count || next < consumed + window; });
                if (next >= count)
                    return;
                index = next++;
            }
            Result result = compute(index);
            {
                std::lock_guard lock(mutex);
                pending[size_t(index)] = std::move(result);
            }
            changed.notify_all();
        }
    };
    std::vector<std::thread> threads;
    threads.reserve(size_t(workers));
    for (qsizetype w = 0; w < workers; ++w)
        threads.emplace_back(work);

    for (qsizetype i = 0; i < count; ++i) {
        Result result;
        {
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return pending[size_t(i)].has_value(); });
            result = std::move(*pending[size_t(i)]);
            pending[size_t(i)].reset();
            consumed = i + 1;
        }
        changed.notify_all();
        consume(i, result);
    }
    for (std::thread& thread : threads)
        thread.join();
}

} // namespace tavelkor

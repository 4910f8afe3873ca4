// Runs independent per-item work on every core. Each item is handled by exactly one thread;
// the work must only read shared state and write its own item's result.
#pragma once

#include <QtGlobal>
#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace tavelkor {

template <class Work>
void ParallelFor(qsizetype count, const Work& work) {
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const qsizetype threads = std::min<qsizetype>(std::min(cores, 8u), count);
    if (threads <= 1) {
        for (qsizetype i = 0; i < count; ++i)
            work(i);
        return;
    }
    std::atomic<qsizetype> next{0};
    auto run = [&] {
        for (qsizetype i = next++; i < count; i = next++)
            work(i);
    };
    std::vector<std::thread> helpers;
    helpers.reserve(size_t(threads - 1));
    for (qsizetype t = 1; t < threads; ++t)
        helpers.emplace_back(run);
    run();
    for (std::thread& helper : helpers)
        helper.join();
}

} // namespace tavelkor

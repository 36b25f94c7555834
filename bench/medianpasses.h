#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <functional>
#include <vector>

// Times readers over the same items and gives each one's median pass in seconds. The readers
// take turns, pass by pass, so that the load of the machine weighs on all of them alike; a
// first round only warms the cache. A reader returns a byte count, summed so that the
// compiler cannot drop the reading.
template <typename Item>
std::vector<double> MedianPasses(
    const std::vector<Item>& items,
    const std::vector<std::function<std::size_t(const Item&)>>& readers, int passes) {
    std::size_t sink = 0;
    std::vector<std::vector<double>> seconds(readers.size());
    for (int round = 0; round <= passes; ++round) {
        for (std::size_t r = 0; r < readers.size(); ++r) {
            const auto start = std::chrono::steady_clock::now();
            for (const Item& item : items) {
                sink += readers[r](item);
            }
            const std::chrono::duration<double> pass = std::chrono::steady_clock::now() - start;
            if (round > 0) {
                seconds[r].push_back(pass.count());
            }
        }
    }
    if (sink == 0) {
        std::fprintf(stderr, "warning: nothing was read\n");
    }
    std::vector<double> medians;
    for (std::vector<double>& times : seconds) {
        std::sort(times.begin(), times.end());
        medians.push_back(times[times.size() / 2]);
    }
    return medians;
}

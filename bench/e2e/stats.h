// Order statistics of a set of latencies, by nearest rank.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

namespace vx::bench {

struct Summary {
    std::size_t count = 0;
    double median = 0;
    double p95 = 0;
    double p99 = 0;
    double max = 0;
};

inline double percentile(const std::vector<double>& sorted, double p) {
    if (sorted.empty())
        return 0;
    const auto rank =
        static_cast<std::size_t>(std::ceil(p / 100.0 * static_cast<double>(sorted.size())));
    return sorted[std::clamp<std::size_t>(rank, 1, sorted.size()) - 1];
}

inline Summary summarize(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    if (values.empty())
        return {};
    return {values.size(), percentile(values, 50), percentile(values, 95), percentile(values, 99),
            values.back()};
}

} // namespace vx::bench

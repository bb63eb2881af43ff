#pragma once
// The one median of the benchmarks' timings: the middle of the sorted values (the upper
// middle for an even count), robust to the outliers a busy machine adds.

#include <algorithm>
#include <vector>

namespace quillory::testing {

inline double Median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

}  // namespace quillory::testing

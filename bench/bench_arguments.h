// bench_arguments.h - what the memory benchmarks share: frame sizes from their command line, and medians.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <vector>

namespace bench {

struct Size {
    std::size_t columns;
    std::size_t rows;
};

// "2048x1536,4096x3072": sizes up to the first that does not read as one.
inline std::vector<Size> parseSizes(const char* text) {
    std::vector<Size> sizes;
    while (*text != '\0') {
        char* end = nullptr;
        const unsigned long columns = std::strtoul(text, &end, 10);
        if (*end != 'x') break;
        const unsigned long rows = std::strtoul(end + 1, &end, 10);
        sizes.push_back({columns, rows});
        text = *end == ',' ? end + 1 : end;
    }
    return sizes;
}

inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace bench

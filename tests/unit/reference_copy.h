// reference_copy.h - the definition every copy kernel must match: one sample at a time, in source order.
#pragma once

#include <cstddef>

#include "kernels/copy_kernels.h"

namespace qorin {

// A 16-bit sample through a rule, spelled out.
template <typename Sample>
inline Sample referenceRule(Sample sample, WordRule rule) {
    if (sizeof(Sample) == 1 || rule == WordRule::kUnchanged) return sample;
    unsigned word = sample;
    if (rule == WordRule::kExchangeMask) word = ((word & 0xFFu) << 8) | (word >> 8);
    return static_cast<Sample>(word & 0xFFF0u);
}

// The definition every kernel must match: one sample at a time, in source order.
template <typename Sample>
inline void referenceCopy(const CopyJob& job) {
    const auto* source = static_cast<const Sample*>(job.source);
    auto* base = static_cast<Sample*>(job.destination);
    const std::size_t plane = job.destinationRows * job.columns;
    for (std::size_t i = 0; i < job.rows; ++i) {
        for (std::size_t j = 0; j < job.columns; ++j) {
            const std::size_t row = job.orientation.rowsReversed ? job.rows - 1 - i : i;
            const std::size_t col = job.orientation.colsReversed ? job.columns - 1 - j : j;
            Sample* target = base + col * job.destinationRows + row;
            const Sample* pixel = source + job.channels * (i * job.columns + j);
            if (job.channels == 1) {
                for (unsigned copy = 0; copy < job.copies; ++copy) {
                    target[copy * plane] = referenceRule(pixel[0], job.rule);
                }
            } else {
                target[0] = referenceRule(pixel[2], job.rule);
                target[plane] = referenceRule(pixel[1], job.rule);
                target[2 * plane] = referenceRule(pixel[0], job.rule);
            }
        }
    }
}

}  // namespace qorin

// processor_features.h - whether this processor and its system run the wider copy kernels.
#pragma once

namespace qorin {

// Whether this processor runs the SSE2, AVX2 and AVX-512 kernels (false where there are none).
bool processorRunsSse2();
bool processorRunsAvx2();
bool processorRunsAvx512();

}  // namespace qorin

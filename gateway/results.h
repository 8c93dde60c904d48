// results.h - creating result arrays for MATLAB, owned until the gateway hands them over.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>

#include "mex.h"

namespace qorin {

struct ArrayDeleter {
    void operator()(mxArray* array) const noexcept { mxDestroyArray(array); }
};
// A result array that is destroyed on every error path until it reaches the output slot.
using ArrayPtr = std::unique_ptr<mxArray, ArrayDeleter>;

// Message used when a result array cannot be created and the command names none of its own.
inline constexpr const char* kResultMemoryMessage = "Not enough memory to create the result array.";

ArrayPtr makeDoubleScalar(double value, const char* failMessage = kResultMemoryMessage);
ArrayPtr makeLogicalScalar(bool value, const char* failMessage = kResultMemoryMessage);
// A real double matrix holding `values` in column-major order (rows * columns of them).
ArrayPtr makeDoubleMatrix(std::size_t rows, std::size_t columns, std::initializer_list<double> values,
                          const char* failMessage = kResultMemoryMessage);
ArrayPtr makeDoubleMatrix(std::size_t rows, std::size_t columns, const char* failMessage = kResultMemoryMessage);
ArrayPtr makeString(const std::string& text, const char* failMessage = kResultMemoryMessage);
// A real numeric array; with `uninitialised` the caller must write every element.
ArrayPtr makeNumericArray(std::initializer_list<std::size_t> dimensions, mxClassID classId, const char* failMessage,
                          bool uninitialised = false);
// A structure array of rows-by-columns elements with the given field names, in order.
ArrayPtr makeStructArray(std::size_t rows, std::size_t columns, std::initializer_list<const char*> fieldNames,
                         const char* failMessage = kResultMemoryMessage);
// Sets field `field` (by number) of element `index`; the structure takes ownership of `value`.
void setStructField(mxArray* structure, std::size_t index, int field, ArrayPtr value);

}  // namespace qorin

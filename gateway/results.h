// results.h - creating result arrays for MATLAB, owned until the gateway hands them over.
#pragma once

#include <array>
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

// MATLAB never returns null from a creation: it ends the call there, without unwinding the
// module's frames.  So while an array is being created no command holds memory of its own
// (only arrays, and stack memory), nor an SDK mode; these creators hold none either.

// Message used when a result array cannot be created and the command names none of its own.
inline constexpr const char* kResultMemoryMessage = "Not enough memory to create the result array.";

ArrayPtr makeDoubleScalar(double value, const char* failMessage = kResultMemoryMessage);
ArrayPtr makeLogicalScalar(bool value, const char* failMessage = kResultMemoryMessage);
// A real double matrix holding `values` in column-major order (rows * columns of them).
ArrayPtr makeDoubleMatrix(std::size_t rows, std::size_t columns, std::initializer_list<double> values,
                          const char* failMessage = kResultMemoryMessage);
ArrayPtr makeDoubleMatrix(std::size_t rows, std::size_t columns, const char* failMessage = kResultMemoryMessage);
ArrayPtr makeString(const char* text, const char* failMessage = kResultMemoryMessage);
ArrayPtr makeString(const std::string& text, const char* failMessage = kResultMemoryMessage);
// A char row of UTF-8 `text`, every character as the host holds it (UTF-16 in MATLAB, whatever
// its text model; the bytes in Octave): for names a user can give that the user's code page may
// not hold.  A byte that starts no valid sequence stands for U+FFFD.
ArrayPtr makeUtf8String(const std::string& text, const char* failMessage = kResultMemoryMessage);
// A real numeric array of at most four dimensions; with `uninitialised` the caller must write
// every element.
ArrayPtr makeNumericArray(std::initializer_list<std::size_t> dimensions, mxClassID classId, const char* failMessage,
                          bool uninitialised = false);
// A structure array of rows-by-columns elements with the given field names, in order.
ArrayPtr makeStructArray(std::size_t rows, std::size_t columns, std::initializer_list<const char*> fieldNames,
                         const char* failMessage = kResultMemoryMessage);
ArrayPtr makeStructArray(std::size_t rows, std::size_t columns, const char* const* fieldNames, std::size_t fieldCount,
                         const char* failMessage = kResultMemoryMessage);

// The names of a table of {name, value} fields, in its order, as a structure's field names:
// each field is listed once, in its table.
template <typename Field, std::size_t kCount>
constexpr std::array<const char*, kCount> fieldNamesOf(const Field (&fields)[kCount]) {
    std::array<const char*, kCount> names{};
    for (std::size_t k = 0; k < kCount; ++k) names[k] = fields[k].name;
    return names;
}
// Sets field `field` (by number) of element `index`; the structure takes ownership of `value`.
void setStructField(mxArray* structure, std::size_t index, int field, ArrayPtr value);

// A numeric result array created ahead of its step, before the command allocates memory of its
// own or puts a camera into a mode, so that a call MATLAB ends in the creation leaves nothing
// behind.  One this machine could not hold (its bytes beyond the address space or the physical
// memory) is left to its step, where it was always created, so that the host's answer to it
// comes where it always came.  A creation the host refuses (null) is reported at that step too,
// and not tried again.
class ReservedArray {
public:
    ReservedArray() = default;
    // Takes over an array already tried for (null when refused), its memory readied.
    explicit ReservedArray(ArrayPtr tried) : attempted_(true), readied_(true), array_(std::move(tried)) {}

    // At most four dimensions.  `zeroed`: its elements read as zero; otherwise the caller writes
    // every one.  Created now, its memory not yet readied, unless left to its step.
    void reserve(std::initializer_list<std::size_t> dimensions, mxClassID classId, bool zeroed = false);
    // The array, if created (elements unwritten), else null.
    mxArray* get() const { return array_.get(); }
    // Its memory readied for writing in full (prepareArrayMemory), or the array created now, so
    // readied, when it was left to this step.
    void ready();
    // At its step: the array, readied, or `failMessage`.
    ArrayPtr claim(const char* failMessage);

private:
    std::array<std::size_t, 4> dims_{};
    std::size_t count_ = 0;
    mxClassID classId_ = mxUNKNOWN_CLASS;
    bool zeroed_ = false;
    bool attempted_ = false;
    bool readied_ = false;
    ArrayPtr array_;
};

}  // namespace qorin

// mex_host.cpp - host-neutral array access and error raising for MATLAB and GNU Octave.
#include "platform/mex_host.h"
#include "platform/mex_text.h"
#include "platform/memory.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

// Octave's mex.h defines octave_mex_h; its interrupt state is declared beside OCTAVE_QUIT.
#if defined(octave_mex_h)
#  include "quit.h"
#endif
#if defined(_WIN32)
#  include "platform/windows_api.h"
#else
#  include <dlfcn.h>
#endif

namespace qorin::host {
namespace {

template <typename T>
double readAs(const void* data, std::size_t index, bool complexInterleaved) {
    const std::size_t position = complexInterleaved ? 2 * index : index;
    T value;
    std::memcpy(&value, static_cast<const char*>(data) + position * sizeof(T), sizeof(T));
    return static_cast<double>(value);
}

double denseElement(const mxArray* array, std::size_t index) {
    const void* data = mxGetData(array);
    if (data == nullptr) return 0.0;
    const bool interleaved = kInterleavedComplex && mxIsComplex(array);
    switch (mxGetClassID(array)) {
        case mxDOUBLE_CLASS: return readAs<double>(data, index, interleaved);
        case mxSINGLE_CLASS: return readAs<float>(data, index, interleaved);
        case mxINT8_CLASS: return readAs<std::int8_t>(data, index, interleaved);
        case mxUINT8_CLASS: return readAs<std::uint8_t>(data, index, interleaved);
        case mxINT16_CLASS: return readAs<std::int16_t>(data, index, interleaved);
        case mxUINT16_CLASS: return readAs<std::uint16_t>(data, index, interleaved);
        case mxINT32_CLASS: return readAs<std::int32_t>(data, index, interleaved);
        case mxUINT32_CLASS: return readAs<std::uint32_t>(data, index, interleaved);
        case mxINT64_CLASS: return readAs<std::int64_t>(data, index, interleaved);
        case mxUINT64_CLASS: return readAs<std::uint64_t>(data, index, interleaved);
        case mxLOGICAL_CLASS: return mxGetLogicals(array)[index] ? 1.0 : 0.0;
        case mxCHAR_CLASS: {
            const mxChar* chars = mxGetChars(array);
            return chars == nullptr ? 0.0 : static_cast<double>(chars[index]);
        }
        default: return 0.0;
    }
}

// Sparse arrays keep only their non-zeros: find the stored entry of (row, column), if any.
double sparseElement(const mxArray* array, std::size_t index) {
    const std::size_t rows = mxGetM(array);
    if (rows == 0) return 0.0;
    const std::size_t row = index % rows;
    const std::size_t column = index / rows;
    const mwIndex* columnStarts = mxGetJc(array);
    const mwIndex* rowIndices = mxGetIr(array);
    if (columnStarts == nullptr || rowIndices == nullptr) return 0.0;
    for (mwIndex k = columnStarts[column]; k < columnStarts[column + 1]; ++k) {
        if (static_cast<std::size_t>(rowIndices[k]) == row) {
            if (mxIsLogical(array)) return mxGetLogicals(array)[k] ? 1.0 : 0.0;
            const double* values = static_cast<const double*>(mxGetData(array));
            return values == nullptr ? 0.0 : values[kInterleavedComplex && mxIsComplex(array) ? 2 * k : k];
        }
    }
    return 0.0;
}

}  // namespace

std::size_t rowsTimesColumns(const mxArray* array) {
    return static_cast<std::size_t>(mxGetM(array)) * static_cast<std::size_t>(mxGetN(array));
}

double elementValue(const mxArray* array, std::size_t index) {
    if (array == nullptr) return 0.0;
    if (!mxIsNumeric(array) && !mxIsLogical(array) && !mxIsChar(array)) return 0.0;
    if (index >= static_cast<std::size_t>(mxGetNumberOfElements(array))) return 0.0;
    return mxIsSparse(array) ? sparseElement(array, index) : denseElement(array, index);
}

double scalarValue(const mxArray* array) { return elementValue(array, 0); }

bool isTextInput(const mxArray* array) {
    return array != nullptr && (mxIsChar(array) || mxIsClass(array, "string"));
}

std::size_t copyChars(const mxArray* array, char* buffer, std::size_t count) {
    if (array == nullptr || !mxIsChar(array) || buffer == nullptr) return 0;
    const mxChar* chars = mxGetChars(array);
    if (chars == nullptr) return 0;
    const std::size_t available = mxGetNumberOfElements(array);
    const std::size_t copied = count < available ? count : available;
    for (std::size_t i = 0; i < copied; ++i) buffer[i] = static_cast<char>(chars[i] & 0xFF);
    return copied;
}

const mxArray* structField(const mxArray* array, std::size_t index, const char* name) {
    if (array == nullptr || !mxIsStruct(array)) return nullptr;
    if (index >= static_cast<std::size_t>(mxGetNumberOfElements(array))) return nullptr;
    if (mxGetFieldNumber(array, name) < 0) return nullptr;
    return mxGetField(array, static_cast<mwIndex>(index), name);
}

mxArray* createUninitNumericArray(std::size_t dimensionCount, const std::size_t* dimensions, mxClassID classId) {
    // On the stack: MATLAB ends the call inside a creation it refuses, and memory of our own
    // held here would never be freed.
    mwSize dims[4] = {};
    if (dimensionCount > 4) return nullptr;
    for (std::size_t k = 0; k < dimensionCount; ++k) dims[k] = static_cast<mwSize>(dimensions[k]);
    mxArray* array = mxCreateUninitNumericArray(static_cast<mwSize>(dimensionCount), dims, classId, mxREAL);
    if (array != nullptr) platform::prepareArrayMemory(mxGetData(array), mxGetNumberOfElements(array) * mxGetElementSize(array));
    return array;
}

#if defined(octave_mex_h)

bool interruptPending() {
    // Octave's signal thread writes it: read it afresh each time.
    return *static_cast<volatile sig_atomic_t*>(&octave_interrupt_state) > 0;
}

#else

namespace {

// MATLAB's own check (extern "C" bool utIsInterruptPending(void)), which its headers do not
// declare: null where the host has none.
using InterruptCheck = bool (*)();

InterruptCheck findInterruptCheck() {
#  if defined(_WIN32)
    HMODULE ut = GetModuleHandleA("libut.dll");
    if (ut == nullptr) return nullptr;
    return reinterpret_cast<InterruptCheck>(reinterpret_cast<void*>(GetProcAddress(ut, "utIsInterruptPending")));
#  else
    return reinterpret_cast<InterruptCheck>(dlsym(RTLD_DEFAULT, "utIsInterruptPending"));
#  endif
}

}  // namespace

bool interruptPending() {
    static const InterruptCheck check = findInterruptCheck();
    return check != nullptr && check();
}

#endif

void raiseError(const char* identifier, const char* message) {
    mexErrMsgIdAndTxt(identifier, "%s", message);
    // mexErrMsgIdAndTxt does not return; this keeps [[noreturn]] honest for the compiler.
    std::abort();
}

void printText(const char* text) { mexPrintf("%s", text); }

void registerExitHook(void (*hook)()) { mexAtExit(hook); }

}  // namespace qorin::host

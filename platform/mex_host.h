// mex_host.h - the one place where MATLAB and GNU Octave differ as MEX hosts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "mex.h"

// Only mexFunction leaves the module: everything else is built with hidden visibility.
#if defined(_WIN32)
#  define QORIN_MEX_EXPORT __declspec(dllexport)
#else
#  define QORIN_MEX_EXPORT __attribute__((visibility("default")))
#endif

namespace qorin::host {

// Whether the host stores complex data interleaved (MATLAB's R2018a API) or as separate parts.
#if defined(MX_HAS_INTERLEAVED_COMPLEX) && MX_HAS_INTERLEAVED_COMPLEX
constexpr bool kInterleavedComplex = true;
#else
constexpr bool kInterleavedComplex = false;
#endif

struct HostArrayDeleter {
    void operator()(mxArray* array) const noexcept { mxDestroyArray(array); }
};
// An array the module asked the host for (a conversion's result), destroyed with the call's frame.
using HostArray = std::unique_ptr<mxArray, HostArrayDeleter>;

// Rows times columns without the 32-bit wrap of mxGetM * mxGetN.
std::size_t rowsTimesColumns(const mxArray* array);

// Real part of element `index` (column-major) of any numeric, logical or char array, as a
// double; sparse arrays read their implicit zeros.  Never raises and never reads past the
// data: an index beyond the array, or a class without numeric data, gives 0.
double elementValue(const mxArray* array, std::size_t index);

// mxGetScalar without the host's raising on empty, cell and structure arrays (they give 0).
double scalarValue(const mxArray* array);

// A char array or a MATLAB string (Octave 7 has none): what a text parameter accepts before
// its conversion checks the string's count.
bool isTextInput(const mxArray* array);

// Copies at most `count` character codes of a char array into `buffer`, one byte each (the
// low 8 bits), and returns how many were copied: byte data given as characters.  Text that
// the SDK reads as text goes through convertText (platform/mex_text.h) instead.
std::size_t copyChars(const mxArray* array, char* buffer, std::size_t count);

// Field `name` of element `index` of a structure array; null for a non-structure, a missing
// field or an index out of range (Octave raises where MATLAB returns null).
const mxArray* structField(const mxArray* array, std::size_t index, const char* name);

// A numeric array whose elements the caller writes in full, so the host need not clear it.
// Its memory is made ready as platform::prepareArrayMemory does.
mxArray* createUninitNumericArray(std::size_t dimensionCount, const std::size_t* dimensions, mxClassID classId);

// The longest a call stays in the module without asking interruptPending: the host takes Ctrl+C
// only once a MEX function returns, and meanwhile runs no figure callback either.
constexpr double kInterruptCheckSeconds = 0.05;

// Whether the user interrupted the host (Ctrl+C) while the module runs.  A call that waits
// checks this at least every kInterruptCheckSeconds and, when it is true, returns without an
// error and leaves the interrupt pending: the host then ends the user's script as Ctrl+C does
// (MATLAB: "Operation terminated by user").  Octave: its interrupt state, which its SIGINT
// handler sets while a MEX function runs.  MATLAB: utIsInterruptPending of its libut, looked
// up once at run time so that the module still loads where there is none (then this is always
// false).  On the host's thread only.
bool interruptPending();

// Raises the host error; `message` is passed as data, never as a format.  Does not return.
[[noreturn]] void raiseError(const char* identifier, const char* message);

// Prints text in the host's command window, as it is (never as a format).
void printText(const char* text);

// Registers the routine the host calls when it unloads the module.
void registerExitHook(void (*hook)());

}  // namespace qorin::host

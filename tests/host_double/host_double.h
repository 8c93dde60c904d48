// host_double.h - control side of the native MEX test host: raised errors, creation faults, bookkeeping.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "mex.h"

namespace hostdouble {

// What mexErrMsgTxt / mexErrMsgIdAndTxt raised: the text exactly, trailing newline included.
struct RaisedError {
    std::string identifier;
    std::string message;
};

// The module's entry point.  A harness linked with the module calls its mexFunction; a host
// that loads the module as a DLL sets the one it found there.
using MexEntry = void (*)(int, mxArray**, int, const mxArray**);
void setEntry(MexEntry entry);

// Calls mexFunction the way a host does; returns the raised error, if any, in `error`.
// Outputs are left in `outputs` (the caller owns them).
bool call(std::vector<mxArray*>& outputs, const std::vector<const mxArray*>& inputs, RaisedError* error,
          int outputCount = 1);

// mxCreate... calls made since the last resetCounters().
std::size_t creationCount();
// Arrays created and not yet destroyed (top level and nested alike).
std::size_t liveArrays();
void resetCounters();

// After `skip` more successful creations, the next `count` creations return null.
void failCreations(std::size_t skip, std::size_t count);
void clearCreationFaults();

// The routine registered with mexAtExit, called as the host does on unloading.  The
// registration stays: a module that registers on its first call only is reset, not unloaded.
bool runExitHook();
bool exitHookRegistered();

// Convenience creators for harnesses; they never fail and do not count as creations.
mxArray* makeDouble(double value);
mxArray* makeNumeric(mxClassID classId, std::vector<std::size_t> dims, const std::vector<double>& values,
                     bool complex = false);
mxArray* makeText(const std::string& text);
mxArray* makeLogical(std::vector<std::size_t> dims, const std::vector<bool>& values);
mxArray* makeStruct(std::size_t rows, std::size_t columns, const std::vector<std::string>& fields);
mxArray* makeCell(std::size_t rows, std::size_t columns);
mxArray* makeSparse(std::size_t rows, std::size_t columns, const std::vector<double>& dense, bool logical);

// Element k of a numeric/logical/char array as a double (harness checks).
double value(const mxArray* array, std::size_t k);
std::string describe(const mxArray* array);

}  // namespace hostdouble

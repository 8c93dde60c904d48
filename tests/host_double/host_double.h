// host_double.h - control side of the native MEX test host: raised errors, creation faults, bookkeeping.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
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
HOSTDOUBLE_API void setEntry(MexEntry entry);

// Calls mexFunction the way a host does; returns the raised error, if any, in `error`.
// Outputs are left in `outputs` (the caller owns them).
HOSTDOUBLE_API bool call(std::vector<mxArray*>& outputs, const std::vector<const mxArray*>& inputs, RaisedError* error,
          int outputCount = 1);

// mxCreate... calls made since the last resetCounters().
HOSTDOUBLE_API std::size_t creationCount();
// Arrays created and not yet destroyed (top level and nested alike).
HOSTDOUBLE_API std::size_t liveArrays();
HOSTDOUBLE_API void resetCounters();

// After `skip` more successful creations, the next `count` creations return null.
HOSTDOUBLE_API void failCreations(std::size_t skip, std::size_t count);
HOSTDOUBLE_API void clearCreationFaults();

// MATLAB mode: a creation or mxMalloc the host refuses (a fault above, or an absurd size) ends
// the call at once, as MATLAB ends it, without unwinding the module's frames; call() then frees
// what MATLAB frees (the call's arrays that are not returned or held by another array, its
// mxMalloc'd blocks not made persistent) and reports kOutOfMemoryIdentifier.  Outside it such
// a creation returns null, as Octave's test builds assume.
HOSTDOUBLE_API void setMatlabMode(bool on);
inline constexpr const char* kOutOfMemoryIdentifier = "MATLAB:nomem";
inline constexpr const char* kOutOfMemoryMessage = "Out of memory.";

// The routine registered with mexAtExit, called as the host does on unloading.  The
// registration stays: a module that registers on its first call only is reset, not unloaded.
HOSTDOUBLE_API bool runExitHook();
HOSTDOUBLE_API bool exitHookRegistered();

// Convenience creators for harnesses; they never fail and do not count as creations.
HOSTDOUBLE_API mxArray* makeDouble(double value);
HOSTDOUBLE_API mxArray* makeNumeric(mxClassID classId, std::vector<std::size_t> dims, const std::vector<double>& values,
                     bool complex = false);
HOSTDOUBLE_API mxArray* makeText(const std::string& text);  // one character per byte
HOSTDOUBLE_API mxArray* makeText16(const std::u16string& text);
// A MATLAB string array (class "string"), elements in column-major order; nullopt is <missing>.
HOSTDOUBLE_API mxArray* makeStrings(std::vector<std::size_t> dims, const std::vector<std::optional<std::u16string>>& values);
HOSTDOUBLE_API mxArray* makeLogical(std::vector<std::size_t> dims, const std::vector<bool>& values);
HOSTDOUBLE_API mxArray* makeStruct(std::size_t rows, std::size_t columns, const std::vector<std::string>& fields);
HOSTDOUBLE_API mxArray* makeCell(std::size_t rows, std::size_t columns);
HOSTDOUBLE_API mxArray* makeSparse(std::size_t rows, std::size_t columns, const std::vector<double>& dense, bool logical);

// The user's default character encoding, through which the mx functions convert between C text
// and 16-bit characters (as MATLAB does before R2022a); Windows-1252 until set.
enum class Encoding { kWindows1252, kUtf8 };
HOSTDOUBLE_API void setUserEncoding(Encoding encoding);
// Which MATLAB's text the mx functions model: before R2022a their C text is in the user's
// encoding (the default here), from R2022a on it is UTF-8 whatever the user's encoding.
enum class TextModel { kUserEncoding, kUtf8 };
HOSTDOUBLE_API void setTextModel(TextModel model);

// Element k of a numeric/logical/char array as a double (harness checks).
HOSTDOUBLE_API double value(const mxArray* array, std::size_t k);
HOSTDOUBLE_API std::string describe(const mxArray* array);

}  // namespace hostdouble

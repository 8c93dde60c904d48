// named_commands.cpp - the named commands: what the module is ('version') and the list of them ('commands').
#include "gateway/named_commands.h"

#include <cstddef>
#include <cstring>
#include <iterator>
#include <string>

#include "gateway/errors.h"
#include "platform/mex_text.h"
#include "platform/win32.h"
#include "sdk/qorinapi.h"

namespace qorin {
namespace {

// The module's own version, raised with every release that changes what a user sees.
constexpr const char* kModuleVersion = "1.0.0";

#define QORIN_TEXT(x) #x
#define QORIN_VALUE_TEXT(x) QORIN_TEXT(x)
#if defined(__clang__)
constexpr const char* kCompiler = "Clang " __clang_version__;
#elif defined(__MINGW64__)
constexpr const char* kCompiler = "MinGW-w64 GCC " __VERSION__;
#elif defined(__GNUC__)
constexpr const char* kCompiler = "GCC " __VERSION__;
#elif defined(_MSC_VER)
constexpr const char* kCompiler = "MSVC " QORIN_VALUE_TEXT(_MSC_FULL_VER);
#else
constexpr const char* kCompiler = "unknown";
#endif
#undef QORIN_VALUE_TEXT
#undef QORIN_TEXT

// The MEX API the module was compiled against: Octave's mex.h defines octave_mex_h.
#if defined(octave_mex_h)
constexpr const char* kBuiltFor = "Octave";
#else
constexpr const char* kBuiltFor = "MATLAB";
#endif

// The simulated SDK exports its controls (namespace qorinsim), the maker's library does not:
// qorinsim::reset() as GCC, Clang and MinGW name it, and as MSVC does.
constexpr const char* kSimulatorSymbols[] = {"_ZN8qorinsim5resetEv", "?reset@qorinsim@@YAXXZ"};

// Longest path Windows hands out (with the \\?\ prefix); Linux's PATH_MAX is shorter.
constexpr std::size_t kPathCapacity = 32768;

// The day this file was compiled, as yyyy-mm-dd (__DATE__ is "Mmm dd yyyy").
std::string buildDate() {
    static constexpr char kMonths[] = "JanFebMarAprMayJunJulAugSepOctNovDec";
    const char* date = __DATE__;
    int month = 0;
    for (int m = 0; m < 12; ++m) {
        if (std::strncmp(date, kMonths + 3 * m, 3) == 0) month = m + 1;
    }
    const int day = (date[4] == ' ' ? 0 : date[4] - '0') * 10 + (date[5] - '0');
    return formatText("%.4s-%02d-%02d", date + 7, month, day);
}

const void* sdkAddress() { return reinterpret_cast<const void*>(&QorinNumCameras); }

bool sdkIsSimulator() {
    for (const char* symbol : kSimulatorSymbols) {
        if (platform::loadedLibraryExports(sdkAddress(), symbol)) return true;
    }
    return false;
}

std::string sdkLibraryPath() {
    std::string path(kPathCapacity, '\0');
    path.resize(platform::loadedLibraryPath(sdkAddress(), path.data(), path.size()));
    return path;
}

}  // namespace

NamedResult handleVersion(const NamedInputs& inputs) {
    inputs.none("qorincam('version') takes no further inputs.");
    ArrayPtr info = makeStructArray(
        1, 1, {"version", "compiler", "buildDate", "builtFor", "sdk", "sdkLibrary", "cameras"});
    setStructField(info.get(), 0, 0, makeString(kModuleVersion));
    setStructField(info.get(), 0, 1, makeString(kCompiler));
    setStructField(info.get(), 0, 2, makeString(buildDate()));
    setStructField(info.get(), 0, 3, makeString(kBuiltFor));
    setStructField(info.get(), 0, 4, makeString(sdkIsSimulator() ? "simulator" : "maker"));
    setStructField(info.get(), 0, 5, makeString(sdkLibraryPath()));
    setStructField(info.get(), 0, 6, makeDoubleScalar(QorinNumCameras()));
    return info;
}

namespace {

constexpr NamedCommand kNamedCommands[] = {
#define QORIN_NAMED_COMMAND(NAME, HANDLER, HELP) {#NAME, HANDLER, HELP},
#include "gateway/named_commands.def"
#undef QORIN_NAMED_COMMAND
};

}  // namespace

NamedResult handleCommands(const NamedInputs& inputs) {
    inputs.none("qorincam('commands') takes no further inputs.");
    ArrayPtr list = makeStructArray(std::size(kNamedCommands), 1, {"name", "help"});
    std::size_t k = 0;
    for (const NamedCommand& command : kNamedCommands) {
        setStructField(list.get(), k, 0, makeString(command.name));
        setStructField(list.get(), k, 1, makeString(command.help));
        ++k;
    }
    return list;
}

const NamedCommand* namedCommandsBegin() { return std::begin(kNamedCommands); }
const NamedCommand* namedCommandsEnd() { return std::end(kNamedCommands); }

bool isCommandName(const mxArray* input) {
    return host::isTextInput(input);
}

NamedResult runNamedCommand(int inputCount, const mxArray* const inputs[]) {
    host::HostArray converted;
    const mxArray* chars = textRow(inputs[0], converted);
    if (chars == nullptr) failUsage("A command name must be a character vector or a string scalar.");
    // Every name is ASCII: text the user's encoding cannot hold matches none, as any other would
    // not, and is shown as the host has it.
    std::string name;
    if (host::convertText(chars, name) == host::TextStatus::kUnrepresentable) name = host::hostText(chars);
    for (const NamedCommand& command : kNamedCommands) {
        if (sameName(name, command.name)) return command.handler(NamedInputs(inputCount - 1, inputs + 1));
    }
    fail(ErrorKind::Usage, "Unknown command name '" + excerpt(name) + "'. qorincam('commands') lists the named commands.");
}

}  // namespace qorin

// mex_entry.cpp - mexFunction: first-call set-up, the command code or name, dispatch and error reporting.
#include <cstdint>
#include <exception>
#include <new>
#include <string>

#include "camera/camera_table.h"
#include "camera/recording_gate.h"
#include "gateway/args.h"
#include "gateway/dispatch.h"
#include "gateway/errors.h"
#include "gateway/named_commands.h"
#include "platform/mex_host.h"

namespace qorin {
namespace {

constexpr std::uint32_t kFirstCallDone = 0xDBDBDBDBu;
std::uint32_t firstCallMarker = 0;

void onModuleUnload() noexcept {
    // The host aborts if anything escapes its exit hook.
    try {
        shutdownCameras();
    } catch (...) {
    }
}

const char* identifierFor(ErrorKind kind) {
    switch (kind) {
        case ErrorKind::Usage: return "qorincam:usage";
        case ErrorKind::NotConnected: return "qorincam:notConnected";
        case ErrorKind::Sdk: return "qorincam:sdk";
        case ErrorKind::Memory: return "qorincam:memory";
        case ErrorKind::Value: return "qorincam:value";
        case ErrorKind::State: return "qorincam:state";
    }
    return "qorincam:error";
}

// Runs one call; returns normally or throws CommandError.
void runCall(int outputCount, mxArray* outputs[], int inputCount, const mxArray* inputs[]) {
    if (firstCallMarker != kFirstCallDone) {
        cameraTable().clear();
        firstCallMarker = kFirstCallDone;
        host::registerExitHook(onModuleUnload);
    }
    giveBackHostTurns();
    if (inputCount < 1) failUsage("At least one parameter is required.");
    // Text names one of the commands the module adds beyond the numeric codes.
    if (isCommandName(inputs[0])) {
        NamedResult result = runNamedCommand(inputCount, inputs);
        if (result.first != nullptr) outputs[0] = result.first.release();
        if (result.second != nullptr && outputCount >= 2) outputs[1] = result.second.release();
        return;
    }
    if (!isIntegerScalar(inputs[0])) failUsage("First input must be an integer.");
    const std::int32_t code = integerConversion(inputs[0]);
    // A code the registry does not define is not an error: the call does nothing.
    const CommandRow* row = findCommandRow(code);
    if (row == nullptr) return;
    ArrayPtr result = runCommandRow(*row, inputCount, inputs);
    // The result always goes to the first output slot, which the host provides even when
    // the caller asked for no output.
    if (row->result != nullptr && result != nullptr) outputs[0] = result.release();
}

// The message of the failed call; static so that no C++ object is alive when the host's
// error routine leaves the function.
std::string gFailureMessage;
const char* gFailureIdentifier = nullptr;

bool runAndCatch(int outputCount, mxArray* outputs[], int inputCount, const mxArray* inputs[]) {
    try {
        runCall(outputCount, outputs, inputCount, inputs);
        return true;
    } catch (const CommandError& error) {
        gFailureIdentifier = identifierFor(error.kind());
        gFailureMessage = error.message();
    } catch (const std::bad_alloc&) {
        gFailureIdentifier = identifierFor(ErrorKind::Memory);
        gFailureMessage = "Out of memory.";
    } catch (const std::exception& error) {
        gFailureIdentifier = "qorincam:internal";
        gFailureMessage = std::string("Internal error: ") + error.what();
    } catch (...) {
        gFailureIdentifier = "qorincam:internal";
        gFailureMessage = "Internal error.";
    }
    return false;
}

}  // namespace
}  // namespace qorin

extern "C" QORIN_MEX_EXPORT void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
    if (qorin::runAndCatch(nlhs, plhs, nrhs, prhs)) return;
    qorin::host::raiseError(qorin::gFailureIdentifier, qorin::gFailureMessage.c_str());
}

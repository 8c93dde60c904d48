// fault_sweep.cpp - every command once successfully, then again with each SDK call it made failing,
// and with each result array it created failing: the exact message, no leak, a sane simulator.
// The result-array failures run twice: as Octave's test builds give them (null) and as MATLAB
// gives them (the call ends there, the module's frames are not unwound).
//
//   fault_sweep [filter]   runs the cases whose label contains `filter` (all by default)
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "gateway/dispatch.h"
#include "host_accounting.h"
#include "sim/sdk_functions.h"
#include "sim/sim_control.h"
#include "tests/native/harness.h"
#include "tests/sweep/sweep.h"

#if defined(__has_feature)
#  if __has_feature(address_sanitizer)
#    define QORIN_SWEEP_LSAN 1
#  endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#  define QORIN_SWEEP_LSAN 1
#endif
#ifdef QORIN_SWEEP_LSAN
#  include <sanitizer/lsan_interface.h>
#endif

namespace {

struct LoggedCall {
    std::string name;
    int selector;
    int occurrence;
};

struct Tally {
    int pairs = 0;
    int allocationPairs = 0;
    int matlabRuns = 0;
    int failures = 0;
    int leaks = 0;
    std::set<std::string> pairKeys;  // distinct (command, SDK function)
    std::set<std::string> failed;    // SDK functions made to fail in some case
};

// The case's command, by its code or by its name.
harness::Outcome runCommand(const sweep::Case& c) {
    if (c.name.empty()) return harness::run(c.code, c.params());
    std::vector<mxArray*> inputs = c.params();
    inputs.insert(inputs.begin(), harness::text(c.name));
    harness::Outcome outcome = harness::runRaw(std::move(inputs), 2);
    // A recording started is awaited, so that its worker's calls are logged before they are read.
    if (c.name == "startRecording") sweep::awaitRecording();
    return outcome;
}

bool setUp(const sweep::Case& c, std::string& problem) {
    harness::resetAll(c.attached);
    for (int n : c.connect) {
        harness::Outcome o = harness::run(-1, {harness::num(n)});
        if (!o.ok) problem = "set-up connect failed: " + harness::show(o.message);
    }
    for (int n : c.preview) {
        harness::Outcome o = harness::run(0, {harness::num(n)});
        if (!o.ok) problem = "set-up preview failed: " + harness::show(o.message);
    }
    if (c.prepare) c.prepare();
    qorinsim::clearCalls();
    hostdouble::resetCounters();
    return problem.empty();
}

std::vector<LoggedCall> loggedCalls() {
    std::vector<LoggedCall> calls;
    std::map<std::string, int> seen;
    for (const qorinsim::CallRecord& record : qorinsim::calls()) {
        LoggedCall call;
        call.name = record.name_;
        // The first logged number (property, stream mode); pointers and large values do not select.
        const bool small = !record.args_.empty() && record.args_[0].kind_ == qorinsim::LogValue::Kind::kNumber &&
                           record.args_[0].number_ >= 0 && record.args_[0].number_ < 100000;
        call.selector = small ? static_cast<int>(record.args_[0].number_) : -1;
        call.occurrence = seen[call.name]++;
        calls.push_back(call);
    }
    return calls;
}

std::vector<const sweep::Rule*> matching(const std::vector<sweep::Rule>& rules, const LoggedCall& call) {
    std::vector<const sweep::Rule*> found;
    std::set<unsigned> errors;
    for (const sweep::Rule& rule : rules) {
        if (call.name != rule.function) continue;
        if (rule.selector != -1 && rule.selector != call.selector) continue;
        if (rule.occurrence != -1 && rule.occurrence != call.occurrence) continue;
        // The first rule for each error number wins.
        if (errors.insert(rule.error).second) found.push_back(&rule);
    }
    return found;
}

bool leakCheck() {
#ifdef QORIN_SWEEP_LSAN
    return __lsan_do_recoverable_leak_check() != 0;
#else
    return false;
#endif
}

// After a failed run: exact message, consistent simulator, nothing leaked.
void judge(const std::string& what, const harness::Outcome& outcome, const char* expected, const char* tolerated,
           Tally& tally) {
    std::string problem;
    if (expected == nullptr) {
        if (!outcome.ok) problem = "raised " + harness::show(outcome.message) + " where the failure is to be ignored";
    } else if (outcome.ok) {
        problem = "returned success";
    } else if (std::strcmp(expected, "*") != 0 && outcome.message != expected) {
        problem = "raised " + harness::show(outcome.message) + ", expected " + harness::show(expected);
    } else if (outcome.identifier == "qorincam:internal") {
        problem = "an internal error escaped: " + harness::show(outcome.message);
    } else if (outcome.result != nullptr) {
        problem = "raised but left a result in the output slot";
    }
    const std::string state = harness::sanity();
    if (!state.empty() && (tolerated == nullptr || state.find(tolerated) == std::string::npos))
        problem += (problem.empty() ? "" : "; ") + std::string("state: ") + state;
    if (!problem.empty()) {
        ++tally.failures;
        std::printf("FAIL %s: %s\n", what.c_str(), problem.c_str());
    }
}

// Creation k refused in MATLAB mode: the host ends the call, after which no SDK mode may be left on,
// nothing lost, and the command must work again.  Returns what went wrong.
std::string matlabRun(const sweep::Case& c, std::size_t k) {
    std::string problem;
    if (!setUp(c, problem)) return problem;
    hostdouble::failCreations(k, 1);
    harness::Outcome outcome = runCommand(c);
    hostdouble::clearCreationFaults();
    if (outcome.ok || outcome.identifier != hostdouble::kOutOfMemoryIdentifier) {
        problem = "the host did not end the call: " + (outcome.ok ? std::string("success") : harness::show(outcome.message));
    }
    std::string state = harness::sanity();
    if (!state.empty()) problem += (problem.empty() ? "" : "; ") + std::string("state: ") + state;
    const harness::Outcome again = runCommand(c);
    if (!again.ok) problem += (problem.empty() ? "" : "; ") + std::string("the next run raised ") + harness::show(again.message);
    state = harness::sanity();
    if (!state.empty()) problem += (problem.empty() ? "" : "; ") + std::string("state after the next run: ") + state;
    return problem;
}

void runCase(const sweep::Case& c, Tally& tally) {
    std::string problem;
    if (!setUp(c, problem)) {
        ++tally.failures;
        std::printf("FAIL %s: %s\n", c.label.c_str(), problem.c_str());
        return;
    }
    std::vector<LoggedCall> baseline;
    std::size_t creations = 0;
    {
        harness::Outcome outcome = runCommand(c);
        baseline = loggedCalls();
        creations = hostdouble::creationCount();
        if (!outcome.ok) {
            ++tally.failures;
            std::printf("FAIL %s: the successful run raised %s\n", c.label.c_str(), harness::show(outcome.message).c_str());
            return;
        }
        const qorin::CommandRow* row = c.name.empty() ? qorin::findCommandRow(c.code) : nullptr;
        const bool hasResult = row != nullptr ? row->result != nullptr : c.namedResult;
        if (hasResult != (outcome.result != nullptr)) {
            ++tally.failures;
            std::printf("FAIL %s: result slot %s\n", c.label.c_str(), outcome.result ? "set" : "empty");
        }
        const std::string state = harness::sanity();
        if (!state.empty()) {
            ++tally.failures;
            std::printf("FAIL %s: after the successful run: %s\n", c.label.c_str(), state.c_str());
        }
    }
    std::vector<sweep::Rule> rules = c.rules;
    if (c.checkNumCameras) rules.push_back({"QorinNumCameras", -1, "Not enough cameras connected."});
    for (const sweep::Rule& rule : rules) {
        // A misspelt name would match no call and leave its rule silently unused.
        if (!qorinsim::isSdkFunction(rule.function)) {
            ++tally.failures;
            std::printf("FAIL %s: the table names %s, which is no SDK function\n", c.label.c_str(), rule.function);
        }
    }

    for (const LoggedCall& call : baseline) {
        if (call.name == "QorinGetLastError") continue;
        const std::vector<const sweep::Rule*> found = matching(rules, call);
        const std::string where = c.label + " / " + call.name + (call.selector >= 0 ? "(" + std::to_string(call.selector) + ")" : "") +
                                  " #" + std::to_string(call.occurrence + 1);
        if (found.empty()) {
            ++tally.failures;
            std::printf("FAIL %s: no expected message in the table for this step\n", where.c_str());
            continue;
        }
        for (const sweep::Rule* rule : found) {
            if (!setUp(c, problem)) break;
            qorinsim::failCalls(call.name, rule->error, 1, static_cast<uint32_t>(call.occurrence));
            harness::Outcome outcome = runCommand(c);
            qorinsim::failCalls("", 0, 0, 0);
            const std::string expected =
                rule->message == nullptr ? std::string() : harness::expand(rule->message, c.camera, static_cast<long>(rule->error));
            judge(where + " error " + std::to_string(rule->error), outcome, rule->message ? expected.c_str() : nullptr,
                  rule->tolerated, tally);
            outcome.result.reset();
            ++tally.pairs;
            tally.pairKeys.insert(std::to_string(c.code) + " " + call.name);
            tally.failed.insert(call.name);
        }
    }

    for (std::size_t k = 0; k < creations; ++k) {
        if (!setUp(c, problem)) break;
        hostdouble::failCreations(k, 1);
        harness::Outcome outcome = runCommand(c);
        hostdouble::clearCreationFaults();
        const char* expected = k == 0 && c.resultMessage != nullptr ? c.resultMessage : "*";
        judge(c.label + " / result array creation #" + std::to_string(k + 1), outcome, expected, nullptr, tally);
        ++tally.allocationPairs;
    }

    // The same creations refused as MATLAB refuses them.  The bytes alive after a reset must be
    // those before: the module holds nothing the host does not free when the call ends.
    hostdouble::setMatlabMode(true);
    harness::resetAll(c.attached);
    const std::size_t heapBefore = hostdouble::bytesAlive();
    for (std::size_t k = 0; k < creations; ++k) {
        std::string failure = matlabRun(c, k);
        harness::resetAll(c.attached);
        const long long grown = static_cast<long long>(hostdouble::bytesAlive()) - static_cast<long long>(heapBefore);
        if (grown != 0) failure += (failure.empty() ? "" : "; ") + std::to_string(grown) + " bytes more alive";
        if (!failure.empty()) {
            ++tally.failures;
            std::printf("FAIL %s / result array creation #%zu, MATLAB mode: %s\n", c.label.c_str(), k + 1, failure.c_str());
        }
        ++tally.matlabRuns;
    }
    hostdouble::setMatlabMode(false);

    harness::resetAll();
    if (hostdouble::liveArrays() != 0) {
        ++tally.leaks;
        std::printf("FAIL %s: %zu MATLAB arrays never destroyed\n", c.label.c_str(), hostdouble::liveArrays());
    }
    if (leakCheck()) {
        ++tally.leaks;
        std::printf("FAIL %s: memory leaked (report above)\n", c.label.c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
    // Image saves write files: keep them out of the source tree.
    const std::filesystem::path scratch = std::filesystem::temp_directory_path() / "qorin_fault_sweep";
    std::filesystem::create_directories(scratch);
    std::filesystem::current_path(scratch);

    const char* filter = argc > 1 ? argv[1] : "";
    Tally tally;
    std::set<int> covered;
    int cases = 0;
    for (const sweep::Case& c : sweep::cases()) {
        if (c.label.find(filter) == std::string::npos) continue;
        runCase(c, tally);
        if (c.name.empty()) covered.insert(c.code);
        ++cases;
    }
    int missing = 0;
    if (*filter == '\0') {
        for (const qorin::CommandRow* row = qorin::commandRowsBegin(); row != qorin::commandRowsEnd(); ++row) {
            if (covered.count(row->code) == 0) {
                std::printf("NOTE %s (%d) has no sweep case\n", row->name, row->code);
                ++missing;
            }
        }
        for (std::size_t k = 0; k < qorinsim::kFailableSdkFunctionCount; ++k) {
            if (tally.failed.count(qorinsim::kSdkFunctions[k]) == 0)
                std::printf("NOTE %s fails in no case\n", qorinsim::kSdkFunctions[k]);
        }
    }
    std::printf("fault sweep: %d cases, %zu (command, SDK function) pairs, %d SDK fault runs, %d result-allocation "
                "fault runs, %d in MATLAB mode, %d commands without a case, %d leaks, %d failures\n",
                cases, tally.pairKeys.size(), tally.pairs, tally.allocationPairs, tally.matlabRuns, missing, tally.leaks,
                tally.failures);
    return tally.failures == 0 && tally.leaks == 0 ? 0 : 1;
}

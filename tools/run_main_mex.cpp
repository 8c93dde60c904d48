// run_main_mex.cpp - runs a build-time program as a MEX function, for builds inside MATLAB or Octave.
//
// The hosts' mex commands make MEX files, not programs, so build_qorincam.m compiles the
// program with -Dmain=qorin_program_main beside this file and calls the result with the
// program's arguments as character rows.  A non-zero exit status raises an error whose
// message is what the program reported (built with QORIN_PROGRAM_IN_MEX, it reports through
// qorin_program_report, not on stderr, which MATLAB on Windows does not show).
#include <cstdio>
#include <string>
#include <vector>

#include "mex.h"

int qorin_program_main(int argc, char** argv);

namespace {

std::string reported;  // what the program reported during the current call

// The program's exit status, or -1 when an argument is not a character row.
int runProgram(int nrhs, const mxArray* prhs[]) {
    std::vector<std::string> arguments{"program"};
    for (int k = 0; k < nrhs; ++k) {
        char* text = mxIsChar(prhs[k]) ? mxArrayToString(prhs[k]) : nullptr;
        if (text == nullptr) return -1;
        arguments.emplace_back(text);
        mxFree(text);
    }
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    const int status = qorin_program_main(static_cast<int>(arguments.size()), argv.data());
    std::fflush(stdout);
    std::fflush(stderr);
    return status;
}

}  // namespace

void qorin_program_report(const char* text) {
    if (!reported.empty()) reported += '\n';
    reported += text;
}

#if defined(_WIN32)
extern "C" __declspec(dllexport)
#else
extern "C" __attribute__((visibility("default")))
#endif
void mexFunction(int /*nlhs*/, mxArray* /*plhs*/[], int nrhs, const mxArray* prhs[]) {
    int status = -1;
    reported.clear();
    try {
        status = runProgram(nrhs, prhs);
    } catch (...) {
        status = -2;
    }
    if (status == -1) mexErrMsgIdAndTxt("qorin:build", "The program's arguments must be character rows.");
    // The report stays in its static string: the host may leave this frame without unwinding it.
    if (status != 0 && !reported.empty()) mexErrMsgIdAndTxt("qorin:build", "%s", reported.c_str());
    if (status != 0) mexErrMsgIdAndTxt("qorin:build", "The program failed with status %d.", status);
}

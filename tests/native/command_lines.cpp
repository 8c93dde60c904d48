// command_lines.cpp - runs build_qorincam's Windows command lines through system() (cmd.exe) against stand-ins that record what they receive.
//
// Usage: command_lines <cases file> <stand-in folder>
// tests/octave/qorin_windows_lines.m writes the cases: "line <command>", then "arg <argument>"
// for each argument the program must receive, then an empty line; the commands name programs
// in the stand-in folder, whose name holds a space.  This program copies itself there as g++.exe
// and mkoctfile.exe; run as a stand-in (QORIN_STAND_IN_RECORD set), it writes its arguments to
// that file, one a line.  cmd.exe drops the first and the last quote of a line that begins with
// a quote and holds more, so a line not built for that reaches no stand-in, or the wrong one.
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Case {
    std::string line;
    std::vector<std::string> args;
};

int recordArguments(const char* record, int argc, char** argv) {
    std::ofstream out(record, std::ios::binary);
    for (int k = 1; k < argc; ++k) out << argv[k] << '\n';
    return out ? 0 : 1;
}

std::vector<Case> readCases(const char* path) {
    std::vector<Case> cases;
    std::ifstream in(path, std::ios::binary);
    std::string text;
    while (std::getline(in, text)) {
        if (!text.empty() && text.back() == '\r') text.pop_back();
        if (text.rfind("line ", 0) == 0) cases.push_back({text.substr(5), {}});
        if (text.rfind("arg ", 0) == 0 && !cases.empty()) cases.back().args.push_back(text.substr(4));
    }
    return cases;
}

std::vector<std::string> readLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    std::string text;
    while (std::getline(in, text)) lines.push_back(text);
    return lines;
}

}  // namespace

int main(int argc, char** argv) {
    if (const char* record = std::getenv("QORIN_STAND_IN_RECORD")) return recordArguments(record, argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: command_lines <cases file> <stand-in folder>\n");
        return 2;
    }
    const std::vector<Case> cases = readCases(argv[1]);
    const std::string folder = argv[2];
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    for (std::size_t at = folder.find('\\', 3); at != std::string::npos; at = folder.find('\\', at + 1)) {
        CreateDirectoryA(folder.substr(0, at).c_str(), nullptr);
    }
    CreateDirectoryA(folder.c_str(), nullptr);
    for (const char* name : {"g++.exe", "mkoctfile.exe"}) {
        if (!CopyFileA(self, (folder + "\\" + name).c_str(), FALSE)) {
            std::printf("cannot put a stand-in in %s\n", folder.c_str());
            return 1;
        }
    }
    const std::string record = folder + "\\received.txt";
    SetEnvironmentVariableA("QORIN_STAND_IN_RECORD", record.c_str());
    int failed = 0;
    for (const Case& one : cases) {
        DeleteFileA(record.c_str());
        std::fflush(stdout);
        int status = std::system(one.line.c_str());
        // -1 is a shell that did not start at all, which says nothing of the line: under a
        // busy Wine it has been seen once, on a fresh machine.  Said, and tried again.
        for (int retry = 0; status == -1 && retry < 2; ++retry) {
            std::printf("system could not start the shell (%s); again: %s\n", std::strerror(errno), one.line.c_str());
            std::fflush(stdout);
            Sleep(500);
            status = std::system(one.line.c_str());
        }
        const std::vector<std::string> received = readLines(record);
        if (status == 0 && received == one.args) continue;
        ++failed;
        std::printf("FAIL (status %d): %s\n", status, one.line.c_str());
        for (const std::string& arg : received) std::printf("  received: %s\n", arg.c_str());
        for (const std::string& arg : one.args) std::printf("  expected: %s\n", arg.c_str());
    }
    std::printf("command lines: %zu run, %d failed\n", cases.size(), failed);
    return failed == 0 && !cases.empty() ? 0 : 1;
}

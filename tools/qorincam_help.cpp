// qorincam_help.cpp - writes qorincam.m, the help text of the MEX module, and qorin.cmd from the command registry.
//
// Usage: qorincam_help <qorincam.m> <+qorin/cmd.m>
// Runs at build time on the build machine.  It needs nothing but the registry's rows, so it is
// built from this file and gateway/command_registry.cpp alone, with any C++17 compiler:
//   c++ -std=c++17 -I<source root> tools/qorincam_help.cpp gateway/command_registry.cpp
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <system_error>
#include <vector>

#include "gateway/command_registry.h"

#if defined(QORIN_PROGRAM_IN_MEX)
// Run as a MEX function (tools/run_main_mex.cpp), whose host shows no stderr (MATLAB on
// Windows): the runner keeps the report and raises it as the error.
void qorin_program_report(const char* text);
#endif

namespace {

// A failure, told the way the program is run.
void reportFailure(const std::string& text) {
#if defined(QORIN_PROGRAM_IN_MEX)
    qorin_program_report(text.c_str());
#else
    std::fprintf(stderr, "%s\n", text.c_str());
#endif
}

// "<path>: <the system's reason>", for the errno a file call left.
void reportFileFailure(const char* path) {
    reportFailure(std::string(path) + ": " + std::generic_category().message(errno));
}

using qorin::CommandRow;
using qorin::Conv;

// The mark a parameter carries in the call form; integers carry none.
const char* kindMark(Conv conversion) {
    switch (conversion) {
        case Conv::Integer:
        case Conv::IntegerAsSingle: return "";
        case Conv::Double:
        case Conv::Single: return ":number";
        case Conv::Logical: return ":logical";
        case Conv::Array: return ":array";
        case Conv::Text: return ":text";
    }
    return "";
}

std::vector<std::string> splitNames(const char* names) {
    std::vector<std::string> out;
    std::string current;
    for (const char* p = names; *p != '\0'; ++p) {
        if (*p == ',') {
            out.push_back(current);
            current.clear();
        } else if (*p != ' ') {
            current += *p;
        }
    }
    if (!current.empty()) out.push_back(current);
    return out;
}

// "r = qorincam(13, cam)" with the kind marks of the row's conversions.
std::string callForm(const CommandRow& row) {
    std::string call = row.result != nullptr ? "r = qorincam(" : "qorincam(";
    call += std::to_string(row.code);
    const std::vector<std::string> names = splitNames(row.parameterNames);
    for (std::size_t k = 0; k < names.size(); ++k) {
        call += ", " + names[k];
        call += kindMark(row.conversions[k]);
    }
    return call + ")";
}

const char* const kIntroduction[] = {
    "QORINCAM  Drive Qorin USB cameras from MATLAB and GNU Octave.",
    "",
    "  qorincam(CODE, P1, P2, ...) runs command CODE with its parameters;",
    "  R = qorincam(CODE, ...) also returns the command's result.  P1, \"cam\"",
    "  below, is the 1-based camera number of every command that has",
    "  parameters, except code 100.  Codes outside @RANGE@ do nothing.",
    "",
    "  Parameters are real numeric scalars of any class unless marked:",
    "    :number   a real double scalar",
    "    :logical  a logical scalar (true or false, not 1 or 0)",
    "    :text     a character row",
    "    :array    an array the command checks itself",
    "  Integers are truncated toward zero (2.7 is taken as 2).",
    "",
    "  Images are uint8 (8-bit formats) or uint16 (16-bit formats), rows by",
    "  columns, with planes red, green, blue for colour: [rows,cols],",
    "  [rows,cols,3] or [rows,cols,3,N].",
    "",
    "  Named codes and a camera object (in the same folder as this file):",
    "    c = qorin.Camera(1);  img = c.snapshot();  c.exposure = 20;",
    "    qorincam(qorin.cmd.TAKE_SNAPSHOT, 1)",
    "  See also help qorin.Camera, qorin.cmd, qorin.cameras, qorin.syncSnapshots.",
    "",
    "  Errors.  Every failure raises an error with a fixed English message",
    "  and one of these identifiers, so that callers can branch on them:",
    "    qorincam:usage         wrong number or class of arguments",
    "    qorincam:notConnected  the camera number is not usable: not attached,",
    "                           not connected, or below 1",
    "    qorincam:state         the camera is not in the state the command",
    "                           needs (for example not previewing)",
    "    qorincam:sdk           the camera SDK reported a failure",
    "    qorincam:memory        not enough memory for the images",
    "    qorincam:value         a value was rejected (out of range, wrong size)",
    "    qorincam:internal      a fault of the module itself; please report it",
    "  For example:",
    "    try",
    "      img = qorincam(13, 1);",
    "    catch err",
    "      if strcmp(err.identifier, 'qorincam:notConnected')",
    "        qorincam(-1, 1);  img = qorincam(13, 1);",
    "      else",
    "        rethrow(err);",
    "      end",
    "    end",
    "",
    "  Commands (code, name, call, result):",
    "",
};

// The named commands' names and help lines, from their one list.
struct NamedHelp {
    const char* name;
    const char* help;
};
constexpr NamedHelp kNamedHelp[] = {
#define QORIN_NAMED_COMMAND(NAME, HANDLER, HELP) {#NAME, HELP},
#include "gateway/named_commands.def"
#undef QORIN_NAMED_COMMAND
};

// `text` as help lines of at most `width` characters, each opened by `indent`.
std::string wrapped(const std::string& text, const char* indent, std::size_t width) {
    std::string out;
    std::string line = indent;
    const std::size_t start = line.size();
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find(' ', at);
        if (end == std::string::npos) end = text.size();
        const std::string word = text.substr(at, end - at);
        if (line.size() > start && line.size() + 1 + word.size() > width) {
            out += line + "\n";
            line = indent;
        }
        if (line.size() > start) line += ' ';
        line += word;
        at = end + 1;
    }
    return out + line + "\n";
}

bool writeFile(const char* path, const std::string& text) {
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr) {
        reportFileFailure(path);
        return false;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (std::fclose(file) != 0 || !written) {
        reportFileFailure(path);
        return false;
    }
    return true;
}

// qorin.cmd: one constant per command, named without the CMD_ prefix.
std::string commandConstants() {
    std::string text =
        "classdef cmd\n"
        "  % CMD  qorincam command codes by name, e.g. qorincam(qorin.cmd.TAKE_SNAPSHOT, 1).\n"
        "  %   Written from the module's command registry when it is built; help qorincam\n"
        "  %   describes every command.\n"
        "  properties (Constant)\n";
    for (const CommandRow* row = qorin::commandRowsBegin(); row != qorin::commandRowsEnd(); ++row) {
        const char* name = std::strncmp(row->name, "CMD_", 4) == 0 ? row->name + 4 : row->name;
        char line[96];
        std::snprintf(line, sizeof line, "    %s = %d;\n", name, row->code);
        text += line;
    }
    return text + "  end\nend\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        reportFailure("usage: qorincam_help <qorincam.m> <+qorin/cmd.m>");
        return 2;
    }
    const std::string range =
        std::to_string(qorin::commandRowsBegin()->code) + ".." + std::to_string((qorin::commandRowsEnd() - 1)->code);
    std::string text;
    for (const char* line : kIntroduction) {
        std::string out = line;
        const std::size_t mark = out.find("@RANGE@");
        if (mark != std::string::npos) out.replace(mark, 7, range);
        text += out.empty() ? "%" : "% ";
        text += out;
        text += "\n";
    }
    for (const CommandRow* row = qorin::commandRowsBegin(); row != qorin::commandRowsEnd(); ++row) {
        char head[64];
        const char* mark = row->whileRecording == qorin::WhileRecording::Refused ? "*" : " ";
        std::snprintf(head, sizeof head, "%% %s %4d  %-34s ", mark, row->code, row->name);
        text += head + callForm(*row);
        text += "\n%         ";
        text += row->summary;
        if (row->result != nullptr) {
            text += "  Returns ";
            text += row->result;
            text += ".";
        }
        text += "\n";
    }
    text += "%\n%   * refused while the camera records (any camera, for a command without\n"
            "%     one); every other command waits for the recording's current frame.\n";
    text += "%\n%   Named commands, qorincam('name', ...), names in any case:\n";
    for (const NamedHelp& named : kNamedHelp) {
        text += "%     ";
        text += named.name;
        text += "\n";
        text += wrapped(named.help, "%         ", 76);
    }
    text += "%\n%   Without a camera: the simulated SDK and its control qorinsim, see README.md.\n";
    return writeFile(argv[1], text) && writeFile(argv[2], commandConstants()) ? 0 : 1;
}

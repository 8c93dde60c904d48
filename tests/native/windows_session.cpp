// windows_session.cpp - Windows test programs: a crash exits non-zero naming module and offset; a window has the foreground.
#include <cstdio>
#include <cstring>

#include "platform/windows_api.h"

namespace {

// Wine's debugger, or a dialog on Windows, would otherwise take the crash, and Wine may then
// report exit status 0; a test must never pass that way.
LONG WINAPI reportCrash(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD* record = info->ExceptionRecord;
    const auto* address = static_cast<const char*>(record->ExceptionAddress);
    HMODULE module = nullptr;
    char path[MAX_PATH] = "unknown module";
    if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           address, &module) != FALSE) {
        GetModuleFileNameA(module, path, sizeof(path));
    }
    const char* name = std::strrchr(path, '\\');
    name = name != nullptr ? name + 1 : path;
    const auto offset = module != nullptr ? static_cast<unsigned long long>(address - reinterpret_cast<const char*>(module))
                                          : reinterpret_cast<unsigned long long>(address);
    std::fprintf(stderr, "CRASH: exception 0x%08lX in %s+0x%llX\n", static_cast<unsigned long>(record->ExceptionCode),
                 name, offset);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 70);
    return EXCEPTION_EXECUTE_HANDLER;
}

// MATLAB's desktop is the foreground window the SDK's pages are parented to; a headless Wine
// session has none unless the program shows one.
struct Session {
    HWND window = nullptr;
    Session() {
        SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
        SetUnhandledExceptionFilter(reportCrash);
        window = CreateWindowExA(0, "STATIC", "qorin tests", WS_OVERLAPPEDWINDOW, 0, 0, 64, 64, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        if (window != nullptr) SetForegroundWindow(window);
    }
    ~Session() {
        if (window != nullptr) DestroyWindow(window);
    }
} gSession;

}  // namespace

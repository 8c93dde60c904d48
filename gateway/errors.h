// errors.h - the one way a command fails: throw a CommandError that carries its exact message.
#pragma once

#include <cstdarg>
#include <exception>
#include <string>
#include <utility>

namespace qorin {

// What kind of failure a message reports; the gateway turns it into the error identifier.
enum class ErrorKind {
    Usage,         // argument count or class
    NotConnected,  // the connection check and the not-connected messages
    Sdk,           // an SDK call failed
    Memory,        // an allocation failed
    Value,         // a value was rejected
    State,         // the camera is not in the state the command needs
};

// Thrown by every handler and conversion; mexFunction catches it once, after every
// local has been destroyed, and hands the message to the host unchanged.
class CommandError : public std::exception {
public:
    CommandError(ErrorKind kind, std::string message) : kind_(kind), message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }
    ErrorKind kind() const noexcept { return kind_; }
    const std::string& message() const noexcept { return message_; }

private:
    ErrorKind kind_;
    std::string message_;
};

// printf-style formatting into a std::string (messages naming cameras, error numbers).
#if defined(__GNUC__)
#  define QORIN_PRINTF_FORMAT(a, b) __attribute__((format(printf, a, b)))
#else
#  define QORIN_PRINTF_FORMAT(a, b)
#endif
std::string formatText(const char* format, ...) QORIN_PRINTF_FORMAT(1, 2);

// Around a formatText call whose format is one of the module's fixed texts held in a
// variable; only GCC and Clang know the warning (MSVC would warn about the pragma itself).
#if defined(__GNUC__)
#  define QORIN_FIXED_FORMAT_BEGIN \
      _Pragma("GCC diagnostic push") _Pragma("GCC diagnostic ignored \"-Wformat-nonliteral\"")
#  define QORIN_FIXED_FORMAT_END _Pragma("GCC diagnostic pop")
#else
#  define QORIN_FIXED_FORMAT_BEGIN
#  define QORIN_FIXED_FORMAT_END
#endif

[[noreturn]] inline void fail(ErrorKind kind, std::string message) {
    throw CommandError(kind, std::move(message));
}
[[noreturn]] inline void failUsage(const char* message) { fail(ErrorKind::Usage, message); }
[[noreturn]] inline void failSdk(std::string message) { fail(ErrorKind::Sdk, std::move(message)); }
[[noreturn]] inline void failMemory(const char* message) { fail(ErrorKind::Memory, message); }
[[noreturn]] inline void failValue(std::string message) { fail(ErrorKind::Value, std::move(message)); }
[[noreturn]] inline void failState(std::string message) { fail(ErrorKind::State, std::move(message)); }

// Message of an SDK failure that carries QorinGetLastError() as a signed number.
[[noreturn]] void failSdkWithLastError(const char* format);

}  // namespace qorin

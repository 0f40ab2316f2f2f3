#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace offrel {

// Every failure of the core is an Error whose what() is the French message the user reads,
// in Windows-1252 bytes like all text of the core. The application shows it in its error box.
class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message) : std::runtime_error(message) {}
};

// An I/O failure of the record reader, carrying the system's error code.
class InOutError : public Error {
public:
    InOutError(int code, const std::string& message) : Error(message), code_(code) {}
    int Code() const { return code_; }

private:
    int code_;
};

// The system's description of an error number (errno), in Windows-1252: the C library writes it
// in the character set of the user's locale, which is UTF-8 on this platform.
std::string SystemReason(int error);

// The pattern with each "%s" replaced, in turn, by the next argument.
std::string FormatMessage(std::string_view pattern, std::initializer_list<std::string_view> args);

}  // namespace offrel

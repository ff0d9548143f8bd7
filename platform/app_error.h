#pragma once
// The error the program raises where an operation must fail loudly (a
// start-up folder that vanished, an export file that cannot be written).
// Nothing catches it on the way: it ends the handler it arose in and reaches
// the error report, which shows Message() to the user.

#include <exception>
#include <string>

namespace quillon {

class TAppError : public std::exception {
public:
    explicit TAppError(std::wstring Message);

    const std::wstring& Message() const noexcept { return FMessage; }
    // UTF-8 of Message(), for code that only knows std::exception.
    const char* what() const noexcept override { return FWhat.c_str(); }

private:
    std::wstring FMessage;
    // Built once here: what() must not allocate, and may be called while
    // memory is short.
    std::string FWhat;
};

}  // namespace quillon

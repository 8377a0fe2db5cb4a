// Failures carry the program's own message; the GUI shows it in the error box.
#pragma once

#include <stdexcept>
#include <string>

namespace vellumark {

class script_error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Failure codes of file input and output, as the messages name them.
inline constexpr int kErrFileNotFound = 2;
inline constexpr int kErrInvalidFilename = 3;
inline constexpr int kErrTooManyOpenFiles = 4;
inline constexpr int kErrAccessDenied = 5;
inline constexpr int kErrReadBeyondEnd = 100;
inline constexpr int kErrDiskFull = 101;
inline constexpr int kErrInvalidNumericInput = 106;

// "File not found", "Disk full", ..., or "I/O error %d" for any other code.
std::string io_error_message(int code);

// The failure code for an errno value of a failed system call, or -1 when it
// has none (the message is then "I/O error" with the errno value).
int io_error_code_from_errno(int err);

[[noreturn]] void throw_io_error(int code);
[[noreturn]] void throw_errno(int err);

// A failure's text as the error box and the command line show it (UTF-8): a
// full stop is added when the last character sorts after "." (a letter, a
// digit or any character past ASCII; not ")" or "!").
std::string error_box_text(std::string message);

}  // namespace vellumark

#include "codec/errors.h"

#include <cerrno>

namespace vellumark {

std::string io_error_message(int code) {
    switch (code) {
    case kErrFileNotFound: return "File not found";
    case kErrInvalidFilename: return "Invalid filename";
    case kErrTooManyOpenFiles: return "Too many open files";
    case kErrAccessDenied: return "File access denied";
    case kErrReadBeyondEnd: return "Read beyond end of file";
    case kErrDiskFull: return "Disk full";
    case kErrInvalidNumericInput: return "Invalid numeric input";
    default: return "I/O error " + std::to_string(code);
    }
}

int io_error_code_from_errno(int err) {
    switch (err) {
    case ENOENT: return kErrFileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG: return kErrInvalidFilename;
    case EMFILE:
    case ENFILE: return kErrTooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY: return kErrAccessDenied;
    case ENOSPC:
    case EDQUOT: return kErrDiskFull;
    default: return -1;
    }
}

void throw_io_error(int code) { throw script_error(io_error_message(code)); }

void throw_errno(int err) {
    const int code = io_error_code_from_errno(err);
    // Any other failure is named by the system's own number.
    throw script_error(code >= 0 ? io_error_message(code) : "I/O error " + std::to_string(err));
}

std::string error_box_text(std::string message) {
    // The last byte of a character past ASCII is above "." in UTF-8.
    if (!message.empty() && static_cast<unsigned char>(message.back()) > static_cast<unsigned char>('.'))
        message += '.';
    return message;
}

}  // namespace vellumark

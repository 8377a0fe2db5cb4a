#include "cli/input.h"

#include <sys/stat.h>
#include <unistd.h>


#include "codec/errors.h"
#include "codec/fileio.h"
#include "codec/script_file.h"

namespace vellumark::cli {

namespace {

[[noreturn]] void too_long(std::string_view what, std::size_t most, const std::string& length) {
    std::string message = input_name(std::string(kStandardInput)) + length;
    message.append(what).append(" is at most ").append(std::to_string(most)).append(" bytes");
    throw script_error(message);
}

std::vector<std::uint8_t> read_standard_input(std::size_t most, std::string_view what) {
    // A file given as standard input is refused by its length before it is read.
    struct stat st {};
    if (::fstat(STDIN_FILENO, &st) == 0 && S_ISREG(st.st_mode) && static_cast<std::uint64_t>(st.st_size) > most)
        too_long(what, most, " is " + std::to_string(st.st_size) + " bytes long; ");
    std::vector<std::uint8_t> bytes = read_at_most(STDIN_FILENO, most);
    if (bytes.size() > most) too_long(what, most, " is longer than " + std::to_string(most) + " bytes; ");
    return bytes;
}

}  // namespace

std::string input_name(const std::string& operand) { return operand == kStandardInput ? "<stdin>" : operand; }

std::vector<std::uint8_t> read_input(const std::string& operand, std::size_t most, std::string_view what) {
    if (operand == kStandardInput) return read_standard_input(most, what);
    return read_file_bytes(operand, most, what);
}

Ttombpcdat load_input_script(const std::string& operand) {
    if (operand != kStandardInput) return load_script_file(operand);
    return parse_script(read_input(operand, kMaxScriptBytes, "a script"));
}

}  // namespace vellumark::cli

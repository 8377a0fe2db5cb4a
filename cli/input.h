// The inputs a command reads: "-" is standard input, any other name a file.
// Either is read whole into memory within a bound, and named in messages as
// "<stdin>" or as given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "codec/tombpcdat.h"

namespace vellumark::cli {

inline constexpr std::string_view kStandardInput = "-";

// The name messages give an input: "<stdin>" for "-".
std::string input_name(const std::string& operand);

// The bytes of an input of at most `most` bytes. A longer file is refused
// before it is read ("NAME is N bytes long; WHAT is at most MOST bytes"), and
// standard input as soon as it has given one byte more ("<stdin> is longer
// than MOST bytes; ..."). Throws script_error.
std::vector<std::uint8_t> read_input(const std::string& operand, std::size_t most, std::string_view what);

// A script, opened as the editor opens a file (all or nothing).
Ttombpcdat load_input_script(const std::string& operand);

}  // namespace vellumark::cli

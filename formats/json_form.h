// The JSON form of a script document (docs/json-format.md describes it):
// written by json_writer.cpp, read by json_reader.cpp, its text parsed within
// the bounds of json_limits.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "codec/codepage.h"
#include "codec/fileio.h"
#include "codec/tombpcdat.h"

namespace vellumark::json_form {

using json = nlohmann::ordered_json;

inline constexpr std::string_view kFormatName = "vellumark-script";
inline constexpr int kFormatVersion = 1;

// A JSON document that does not describe a storable script. what() is
// "<path>: <reason>", the path written as in `slots[3][2].operand`.
class json_error : public std::runtime_error {
public:
    json_error(std::string path, const std::string& reason);
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// ---- writing ----------------------------------------------------------------

// The name of a command as the JSON writes it: the name of the command table
// without its trailing blanks, or "---UNKNOWN(n)" for a number past the table.
std::string command_json_name(std::uint16_t code);

// The value of the "layout" member: "pc", "playstation" or "playstation-beta".
std::string_view layout_json_name(script_layout layout);

// The whole document as JSON, members in a fixed order (the sections in file
// order), its texts read in the code page cp (which the JSON names).
json document_to_json(const Ttombpcdat& doc, const codepage::table& cp = codepage::get(codepage::kDefaultPage));

// The text of a JSON value: two-blank indentation, every command and every
// list of numbers on one line, one string per line, UTF-8, ending with a
// line feed.
std::string json_text(const json& j);

// ---- limits -------------------------------------------------------------------

// The longest JSON text of a script that build can take (json_limits.cpp
// says how it is reached). A longer file is refused before it is read.
extern const std::size_t kMostJsonBytes;
// What the refusal calls such a text.
inline constexpr std::string_view kJsonWhat = "the JSON form of a script";

// No value of the format lies deeper than this below the top-level object:
// the members of a command (slots, a slot, a command, its member).
inline constexpr int kDeepestValue = 4;

// Parses JSON text as build reads it. Nesting deeper than the format's is
// refused at once, where the parser first meets it. A member given twice is
// refused, and every array is counted while it is read against what its place
// in the format holds; an array over that is refused with its path before its
// elements fill memory. Throws json_error, or script_error for text that is
// not JSON (the parser's message, such as "parse error at line 2, column 5:
// ...").
json parse_json(std::span<const std::uint8_t> text);

// ---- reading ------------------------------------------------------------------

// The document that a JSON value describes, checked so that it can be saved
// and read back as the same script. Throws json_error naming the first fault.
// The texts are stored in the code page `chosen`, when given, else in the one
// the JSON names, else in windows-1252.
Ttombpcdat document_from_json(const json& j, const codepage::table* chosen = nullptr);

// The file image the editor's Save writes for a document made by
// document_from_json.
std::vector<std::uint8_t> saved_image(const Ttombpcdat& doc);

// Writes that image to path atomically; the target is untouched on failure.
// With backup_rule::keep an existing file is first kept as "NAME.bak".
void save_document(const std::string& path, const Ttombpcdat& doc, backup_rule backup = backup_rule::none);

}  // namespace vellumark::json_form

// The lossless windows-1252 mapping between script bytes and Unicode text.
// Every byte 0x01..0xFF has one character and back; the five bytes that
// windows-1252 leaves undefined map to the C1 control characters of the
// same value.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vellumark::codepage {

char32_t to_unicode(unsigned char byte);

// The byte for a character, or nothing when the code page cannot store it.
std::optional<unsigned char> from_unicode(char32_t ch);

// Script bytes to UTF-8.
std::string bytes_to_utf8(std::string_view bytes);

// UTF-8 to script bytes; nothing when the text is not valid UTF-8 or holds a
// character that the code page cannot store.
std::optional<std::string> utf8_to_bytes(std::string_view utf8);

}  // namespace vellumark::codepage

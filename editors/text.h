// Script bytes shown as text through the lossless windows-1252 mapping.
#pragma once

#include <QString>
#include <optional>
#include <string>
#include <string_view>

// Script bytes to text.
QString to_text(std::string_view bytes);

// Text to script bytes; nothing when a character cannot be stored in the
// windows-1252 code page.
std::optional<std::string> to_bytes(const QString& text);

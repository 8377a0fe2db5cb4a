#include "editors/text.h"

#include "codec/codepage.h"

QString to_text(std::string_view bytes) {
    QString out;
    out.reserve(static_cast<qsizetype>(bytes.size()));
    for (unsigned char b : bytes) out.append(QChar(static_cast<char16_t>(vellumark::codepage::to_unicode(b))));
    return out;
}

std::optional<std::string> to_bytes(const QString& text) {
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    for (QChar c : text) {
        const auto b = vellumark::codepage::from_unicode(c.unicode());
        if (!b) return std::nullopt;
        out.push_back(static_cast<char>(*b));
    }
    return out;
}

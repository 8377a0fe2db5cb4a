#include "editors/text.h"

#include "codec/codepage.h"

namespace {

constexpr char16_t kLineFeedSymbol = 0x240A;
constexpr char16_t kCarriageReturnSymbol = 0x240D;

}  // namespace

QString to_text(std::string_view bytes) {
    QString out;
    out.reserve(static_cast<qsizetype>(bytes.size()));
    for (unsigned char b : bytes) {
        if (b == '\n')
            out.append(QChar(kLineFeedSymbol));
        else if (b == '\r')
            out.append(QChar(kCarriageReturnSymbol));
        else
            out.append(QChar(static_cast<char16_t>(vellumark::codepage::to_unicode(b))));
    }
    return out;
}

std::optional<std::string> to_bytes(const QString& text) {
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    for (QChar c : text) {
        if (c.unicode() == kLineFeedSymbol) {
            out.push_back('\n');
            continue;
        }
        if (c.unicode() == kCarriageReturnSymbol) {
            out.push_back('\r');
            continue;
        }
        // A NUL would end the stored string.
        const auto b = c.isNull() ? std::nullopt : vellumark::codepage::from_unicode(c.unicode());
        if (!b) return std::nullopt;
        out.push_back(static_cast<char>(*b));
    }
    return out;
}

std::optional<QChar> unstorableCharacter(const QString& text) {
    for (QChar c : text)
        if (!to_bytes(QString(c))) return c;
    return std::nullopt;
}

#include "editors/text.h"

#include <QFontInfo>
#include <QStringList>

namespace {

constexpr char16_t kLineFeedSymbol = vellumark::codepage::kLineFeedSymbol;
constexpr char16_t kCarriageReturnSymbol = vellumark::codepage::kCarriageReturnSymbol;

char16_t character(const CodePage* page, unsigned char b) {
    return static_cast<char16_t>(page ? page->to_unicode(b) : char32_t(b));
}

std::optional<unsigned char> byte_of(const CodePage* page, char16_t c) {
    if (page) return page->from_unicode(c);
    if (c <= 0xFF) return static_cast<unsigned char>(c);
    return std::nullopt;
}

}  // namespace

QString codePageName(const CodePage* page) {
    const auto id = page ? page->id() : vellumark::codepage::kDefaultPage;
    return QStringLiteral("Windows-%1").arg(vellumark::codepage::number(id));
}

void append_text(QString& out, std::string_view bytes, const CodePage* page) {
    const qsizetype at = out.size();
    out.resize(at + qsizetype(bytes.size()));
    QChar* next = out.data() + at;
    for (unsigned char b : bytes) {
        if (b == '\n')
            *next++ = QChar(kLineFeedSymbol);
        else if (b == '\r')
            *next++ = QChar(kCarriageReturnSymbol);
        else
            *next++ = QChar(character(page, b));
    }
}

QString to_text(std::string_view bytes, const CodePage* page) {
    QString out;
    append_text(out, bytes, page);
    return out;
}

QString to_text_lines(const std::vector<std::string>& lines, std::size_t first, std::size_t last,
                      const CodePage* page, std::size_t per_paragraph) {
    QString text;
    qsizetype size = 0;
    for (std::size_t i = first; i < last; ++i) size += qsizetype(lines[i].size()) + 1;
    text.reserve(size);
    for (std::size_t i = first; i < last; ++i) {
        if (i > first) text += (i - first) % per_paragraph == 0 ? QChar(u'\n') : QChar(QChar::LineSeparator);
        append_text(text, lines[i], page);
    }
    return text;
}

std::optional<std::string> to_bytes(const QString& text, const CodePage* page) {
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
        const auto b = c.isNull() ? std::nullopt : byte_of(page, c.unicode());
        if (!b) return std::nullopt;
        out.push_back(static_cast<char>(*b));
    }
    return out;
}

std::optional<QChar> unstorableCharacter(const QString& text, const CodePage* page) {
    for (QChar c : text)
        if (!to_bytes(QString(c), page)) return c;
    return std::nullopt;
}

QFont with_symbol_fallback(QFont font) {
    // The face the font resolves to stays first: a generic name such as
    // "Sans Serif" is no family of its own, and in a list it would give way
    // to the next one.
    QStringList families{QFontInfo(font).family()};
    const QString symbols = QString::fromLatin1(kSymbolFontFamily);
    if (!families.contains(symbols)) families.append(symbols);
    font.setFamilies(families);
    return font;
}

#include "editors/text.h"

namespace {

constexpr char16_t kLineFeedSymbol = vellumark::codepage::kLineFeedSymbol;
constexpr char16_t kCarriageReturnSymbol = vellumark::codepage::kCarriageReturnSymbol;

const vellumark::codepage::table*& current() {
    static const vellumark::codepage::table* table = vellumark::codepage::find(vellumark::codepage::kDefaultPage);
    return table;
}

char16_t character(const vellumark::codepage::table* table, unsigned char b) {
    return static_cast<char16_t>(table ? table->to_unicode(b) : char32_t(b));
}

std::optional<unsigned char> byte_of(const vellumark::codepage::table* table, char16_t c) {
    if (table) return table->from_unicode(c);
    if (c <= 0xFF) return static_cast<unsigned char>(c);
    return std::nullopt;
}

}  // namespace

const vellumark::codepage::table* textCodePage() { return current(); }

void setTextCodePage(const vellumark::codepage::table* table) { current() = table; }

QString textCodePageName() {
    const auto page = current() ? current()->id() : vellumark::codepage::kDefaultPage;
    return QStringLiteral("Windows-%1").arg(vellumark::codepage::number(page));
}

QString to_text(std::string_view bytes) {
    const vellumark::codepage::table* table = current();
    QString out;
    out.reserve(static_cast<qsizetype>(bytes.size()));
    for (unsigned char b : bytes) {
        if (b == '\n')
            out.append(QChar(kLineFeedSymbol));
        else if (b == '\r')
            out.append(QChar(kCarriageReturnSymbol));
        else
            out.append(QChar(character(table, b)));
    }
    return out;
}

QString to_text_lines(const std::vector<std::string>& lines, std::size_t first, std::size_t last) {
    QString text;
    for (std::size_t i = first; i < last; ++i) {
        if (i > first) text += QLatin1Char('\n');
        text += to_text(lines[i]);
    }
    return text;
}

std::optional<std::string> to_bytes(const QString& text) {
    const vellumark::codepage::table* table = current();
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
        const auto b = c.isNull() ? std::nullopt : byte_of(table, c.unicode());
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

#include "shell/about_window.h"

#include <QByteArray>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStringDecoder>
#include <QTime>
#include <QTimer>

#include "codec/errors.h"
#include "codec/script_file.h"
#include "editors/dialogs.h"
#include "shell/data_files.h"
#include "codec/codepage.h"

namespace {

constexpr int kClientWidth = 244;
constexpr int kClientHeight = 340;
constexpr int kPanelHeight = 22;

// The text file's lines. UTF-8 when it is valid UTF-8, otherwise the
// single-byte code page.
QString readme_text(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (utf8.hasError()) {
        text.clear();
        // Without the system's table the bytes show as the characters of their own number.
        const auto* cp1252 = vellumark::codepage::find(vellumark::codepage::kDefaultPage);
        for (const char b : bytes) {
            const auto byte = static_cast<unsigned char>(b);
            text.append(QChar(static_cast<char16_t>(cp1252 ? cp1252->to_unicode(byte) : char32_t(byte))));
        }
    }
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    // A final line ending closes the last line; it does not start another.
    if (text.endsWith(QLatin1Char('\n'))) text.chop(1);
    return text;
}

// The locale's long time format without the time zone that Qt adds to it:
// hour, minutes, seconds and the AM/PM marker where the locale has one.
QString clock_format(const QLocale& locale) {
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c == QLatin1Char('\'')) quoted = !quoted;
        if (!quoted && c == QLatin1Char('t')) {
            while (!out.isEmpty() && out.back().isSpace()) out.chop(1);
            while (i + 1 < format.size() && format[i + 1] == QLatin1Char('t')) ++i;
            continue;
        }
        out += c;
    }
    return out.trimmed();
}

}  // namespace

TForm6::TForm6(Dialogs& dialogs, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Form6"));
    setWindowTitle(QStringLiteral("About this ..."));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setFixedSize(kClientWidth, kClientHeight);
    setModal(true);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // The text ends above the clock and scrolls: no line hides under it.
    Memo1->setGeometry(0, 0, kClientWidth, kClientHeight - kPanelHeight);

    // The clock panel along the bottom.
    Panel1 = new QLabel(QStringLiteral("Panel1"), this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setAlignment(Qt::AlignCenter);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setAutoFillBackground(true);
    Panel1->setGeometry(0, kClientHeight - kPanelHeight, kClientWidth, kPanelHeight);
    Panel1->raise();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &TForm6::Timer1Timer);
    Timer1->start();

    // "readme" is read once, from the working directory, or from the data
    // folder when the working directory has none. Only a regular file is
    // read: a FIFO of that name would otherwise hold the window up.
    Memo1->clear();
    try {
        const std::vector<std::uint8_t> bytes = vellumark::read_file_bytes(
            QFile::encodeName(readmePath()).toStdString(), std::size_t{16} << 20, "the readme");
        Memo1->setPlainText(
            readme_text(QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()))));
    } catch (const vellumark::script_error&) {
        dialogs.error(nullptr, application_title(), QStringLiteral("Cannot open file readme."));
    }
}

void TForm6::Timer1Timer() {
    const QLocale locale;
    Panel1->setText(locale.toString(QTime::currentTime(), clock_format(locale)));
}

void TForm6::showEvent(QShowEvent* event) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
    QDialog::showEvent(event);
}

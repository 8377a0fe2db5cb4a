#include "editors/spin_edit.h"

#include <QLineEdit>
#include <QLocale>
#include <limits>

std::int32_t spin_text_value(const QString& text) {
    bool ok = false;
    const qlonglong v = text.trimmed().toLongLong(&ok, 10);
    if (!ok || v < std::numeric_limits<std::int32_t>::min() ||
        v > std::numeric_limits<std::int32_t>::max())
        return 0;
    return static_cast<std::int32_t>(v);
}

SpinEdit::SpinEdit(QWidget* parent) : QAbstractSpinBox(parent) {
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    setKeyboardTracking(true);
    lineEdit()->setText(QStringLiteral("0"));
    connect(lineEdit(), &QLineEdit::textChanged, this, &SpinEdit::textChanged);
}

std::int32_t SpinEdit::value() const { return spin_text_value(lineEdit()->text()); }

void SpinEdit::setValue(std::int32_t v) { lineEdit()->setText(QString::number(v)); }

QString SpinEdit::text() const { return lineEdit()->text(); }

void SpinEdit::setText(const QString& text) { lineEdit()->setText(text); }

void SpinEdit::stepBy(int steps) {
    const qlonglong v = qlonglong(value()) + steps;
    const qlonglong lo = std::numeric_limits<std::int32_t>::min();
    const qlonglong hi = std::numeric_limits<std::int32_t>::max();
    setValue(static_cast<std::int32_t>(qBound(lo, v, hi)));
}

QValidator::State SpinEdit::validate(QString& input, int&) const {
    const QString sep = locale().decimalPoint();
    for (QChar c : input) {
        if (!c.isDigit() && c != QLatin1Char('+') && c != QLatin1Char('-') && !sep.contains(c))
            return QValidator::Invalid;
    }
    return QValidator::Acceptable;
}

QAbstractSpinBox::StepEnabled SpinEdit::stepEnabled() const {
    return StepUpEnabled | StepDownEnabled;
}

// An integer field without bounds. Its text is free within digits, signs and
// the locale's decimal separator; a text that is not a whole 32-bit number
// counts as 0 when the value is read. The arrows step by 1.
#pragma once

#include <QAbstractSpinBox>
#include <cstdint>

class SpinEdit : public QAbstractSpinBox {
    Q_OBJECT
public:
    explicit SpinEdit(QWidget* parent = nullptr);

    std::int32_t value() const;
    void setValue(std::int32_t v);
    QString text() const;
    void setText(const QString& text);

    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString&) const override {}

protected:
    StepEnabled stepEnabled() const override;

signals:
    void textChanged(const QString& text);
};

// The whole 32-bit number a text reads as, or 0.
std::int32_t spin_text_value(const QString& text);

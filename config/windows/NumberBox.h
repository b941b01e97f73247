#pragma once

#include "config/NumberRange.h"

#include <QAbstractSpinBox>

// A whole number typed as text, with an up/down pair (and the Up and Down keys) that step
// it by 1. Typing is limited to digits, signs and the decimal separator; other printable
// keys are refused with a beep. Its value is the integer of its text, or the lower bound
// when the text is not an integer; set by the program or left by the focus, it is brought
// into the range and shown as such.
class NumberBox : public QAbstractSpinBox
{
    Q_OBJECT

public:
    explicit NumberBox(NumberRange range, QWidget *parent = nullptr);

    int value() const;
    void setValue(int value);
    NumberRange range() const { return m_range; }

    void stepBy(int steps) override;

signals:
    // The value as it now reads (not yet brought into the range while the user types).
    void valueChanged(int value);
    // A typed key was refused.
    void keyRefused();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    StepEnabled stepEnabled() const override;
    QValidator::State validate(QString &input, int &pos) const override;
    void fixup(QString &input) const override;

private:
    bool allowed(QChar c) const;

    NumberRange m_range;
};

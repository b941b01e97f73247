#include "config/windows/NumberBox.h"

#include <QApplication>
#include <algorithm>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>

NumberBox::NumberBox(NumberRange range, QWidget *parent)
    : QAbstractSpinBox(parent)
    , m_range(range)
{
    setAccelerated(false);
    setKeyboardTracking(true);
    lineEdit()->setText(QString::number(m_range.min));
    connect(lineEdit(), &QLineEdit::textChanged, this, [this] { emit valueChanged(value()); });
}

int NumberBox::value() const
{
    return m_range.valueOf(text());
}

void NumberBox::setValue(int value)
{
    const QString shown = QString::number(m_range.clamp(value));
    if (lineEdit()->text() != shown)
        lineEdit()->setText(shown);
}

void NumberBox::stepBy(int steps)
{
    setValue(value() + steps);
    selectAll();
}

bool NumberBox::allowed(QChar c) const
{
    return c.isDigit() || c == QLatin1Char('+') || c == QLatin1Char('-') || QString(c) == locale().decimalPoint();
}

void NumberBox::keyPressEvent(QKeyEvent *event)
{
    // Printable keys only: editing keys, shortcuts and navigation pass as usual.
    const QString typed = event->text();
    const bool printable = !typed.isEmpty() && typed.at(0).isPrint()
        && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (printable && !std::all_of(typed.begin(), typed.end(), [this](QChar c) { return allowed(c); })) {
        QApplication::beep();
        emit keyRefused();
        event->accept();
        return;
    }
    QAbstractSpinBox::keyPressEvent(event);
}

void NumberBox::focusOutEvent(QFocusEvent *event)
{
    QAbstractSpinBox::focusOutEvent(event);
    // The text becomes the number that is used ("2000" -> "1024", "1.5" or "" -> the bound).
    setValue(value());
}

QAbstractSpinBox::StepEnabled NumberBox::stepEnabled() const
{
    const int v = value();
    StepEnabled steps = StepNone;
    if (v < m_range.max)
        steps |= StepUpEnabled;
    if (v > m_range.min)
        steps |= StepDownEnabled;
    return steps;
}

QValidator::State NumberBox::validate(QString &input, int &) const
{
    // Pasted text obeys the same rule as typed text.
    for (QChar c : input)
        if (!allowed(c))
            return QValidator::Invalid;
    return QValidator::Acceptable;
}

void NumberBox::fixup(QString &) const
{
}

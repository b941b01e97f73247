#include "composer/windows/FontSizeBox.h"

#include "composer/FontSizeStep.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <algorithm>

FontSizeBox::FontSizeBox(QWidget *parent)
    : QSpinBox(parent)
{
    setKeyboardTracking(false);
}

void FontSizeBox::stepBy(int steps)
{
    // A typed size that was not yet applied is applied first; the step goes from there.
    interpretText();
    setValue(FontSizeStep::stepped(value(), firstSize(), steps));
    selectAll();
}

QAbstractSpinBox::StepEnabled FontSizeBox::stepEnabled() const
{
    const int from = FontSizeStep::base(value(), firstSize());
    StepEnabled enabled = StepNone;
    if (from < FontSizeStep::kLargest)
        enabled |= StepUpEnabled;
    if (from > FontSizeStep::kSmallest)
        enabled |= StepDownEnabled;
    return enabled;
}

bool FontSizeBox::typedOutOfRange(QString *typed) const
{
    const QString text = cleanText().trimmed();
    // Up to nine digits: beyond that the number is surely out of range all the same.
    if (text.isEmpty() || text.size() > 9 || !std::all_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); }))
        return false;
    const int number = text.toInt();
    if (number >= minimum() && number <= maximum())
        return false;
    if (typed)
        *typed = text;
    return true;
}

QValidator::State FontSizeBox::validate(QString &input, int &pos) const
{
    const QString text = input.trimmed();
    if (!text.isEmpty() && text.size() <= 9 && std::all_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); })
        && text.toInt() > maximum())
        return QValidator::Intermediate;
    return QSpinBox::validate(input, pos);
}

void FontSizeBox::focusOutEvent(QFocusEvent *event)
{
    // A size out of range is taken back; Tab, which completes a size, also hears why (once
    // the focus has moved on). Leaving by the mouse says nothing.
    QString typed;
    if (typedOutOfRange(&typed)) {
        setValue(value());
        if (event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason)
            QMetaObject::invokeMethod(this, [this, typed] { emit outOfRange(typed); }, Qt::QueuedConnection);
    }
    QSpinBox::focusOutEvent(event);
}

void FontSizeBox::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    QString typed;
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && typedOutOfRange(&typed)) {
        setValue(value()); // shows the size of before again
        selectAll();
        event->accept();
        emit outOfRange(typed);
        return;
    }
    QSpinBox::keyPressEvent(event);
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        emit entered();
}

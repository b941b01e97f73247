#include "composer/windows/FontSizeBox.h"

#include "composer/FontSizeStep.h"

#include <QKeyEvent>

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

void FontSizeBox::keyPressEvent(QKeyEvent *event)
{
    QSpinBox::keyPressEvent(event);
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        emit entered();
}

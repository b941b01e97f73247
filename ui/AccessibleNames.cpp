#include "ui/AccessibleNames.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QComboBox>
#include <QLineEdit>
#include <QWidget>

namespace {

// A name of punctuation only ("->", "<<", "^") tells a listener nothing.
bool saysSomething(const QString &name)
{
    for (const QChar c : name)
        if (c.isLetterOrNumber())
            return true;
    return false;
}

// The control that takes the focus in place of `widget` (a combo box's line edit gives it
// to its box), or `widget` itself.
bool takesFocusItself(const QWidget *widget)
{
    if (widget->focusPolicy() == Qt::NoFocus || widget->focusProxy())
        return false;
    const QWidget *parent = widget->parentWidget();
    return !(parent && parent->focusProxy() == widget && parent->focusPolicy() != Qt::NoFocus);
}

} // namespace

QString AccessibleNames::nameOf(QWidget *widget)
{
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(widget);
    return face ? face->text(QAccessible::Name).trimmed() : QString();
}

QStringList AccessibleNames::unnamed(QWidget *window)
{
    QStringList found;
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (!takesFocusItself(w) || !w->isVisibleTo(window))
            continue;
        if (!saysSomething(nameOf(w)))
            found << QStringLiteral("%1 (%2)").arg(w->objectName(), QLatin1String(w->metaObject()->className()));
    }
    return found;
}

void AccessibleNames::nameFromHints(QWidget *parent)
{
    for (QWidget *w : parent->findChildren<QWidget *>()) {
        if (!w->accessibleName().isEmpty() || w->toolTip().isEmpty())
            continue;
        if (auto *button = qobject_cast<QAbstractButton *>(w); button && saysSomething(button->text()))
            continue;
        w->setAccessibleName(w->toolTip());
    }
}

void AccessibleNames::nameComboBox(QComboBox *box, const QString &name)
{
    box->setAccessibleName(name);
    if (QLineEdit *edit = box->lineEdit())
        edit->setAccessibleName(name);
}

#pragma once

#include <QStringList>

class QComboBox;
class QWidget;

// What a screen reader is told about a window's controls. `unnamed` lists the controls that
// take the keyboard focus but would be announced without a name (or only with symbols such
// as "->"); `nameFromHints` names picture-only buttons after their tool tips.
class AccessibleNames
{
public:
    // "objectName (ClassName)" of each unnamed focusable control shown in `window`.
    static QStringList unnamed(QWidget *window);
    // Names every control under `parent` that has a tool tip but no name of its own.
    static void nameFromHints(QWidget *parent);
    // Names a combo box; one that takes typing has the focus in its line edit, which a
    // screen reader announces on its own, so that carries the name too.
    static void nameComboBox(QComboBox *box, const QString &name);
    // The name a screen reader announces for `widget`.
    static QString nameOf(QWidget *widget);
};

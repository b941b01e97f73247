#pragma once

#include "ui/UserDialogs.h"

class QWidget;

// The real message boxes and file dialogs. Each belongs to the window that asks for it
// (see owner()); the parent given here is only the last resort, for dialogs asked while
// no window of the program is active.
class WidgetDialogs : public UserDialogs
{
public:
    explicit WidgetDialogs(QWidget *parent = nullptr);
    void setParent(QWidget *parent) { m_parent = parent; }

    // The window the next dialog belongs to: the asker (see UserDialogs::Asker) while it
    // shows, else the active modal dialog, else the active window, else the parent.
    QWidget *owner() const;

    Answer messageBox(Kind kind, const QString &caption, const QString &text, Buttons buttons) override;
    QString openFileName(const QString &caption, const QString &filter, const QString &directory) override;
    QStringList openFileNames(const QString &caption, const QString &filter, const QString &directory) override;
    QString saveFileName(const QString &caption, const QString &filter, const QString &suggestedName,
                         const QString &defaultExtension) override;

private:
    QWidget *m_parent;
};

#pragma once

#include "UserDialogs.h"

class QWidget;

// The real message boxes and file dialogs.
class WidgetDialogs : public UserDialogs
{
public:
    explicit WidgetDialogs(QWidget *parent = nullptr);
    void setParent(QWidget *parent) { m_parent = parent; }

    Answer messageBox(Kind kind, const QString &caption, const QString &text, Buttons buttons) override;
    QString openFileName(const QString &caption, const QString &filter, const QString &directory) override;
    QStringList openFileNames(const QString &caption, const QString &filter, const QString &directory) override;
    QString saveFileName(const QString &caption, const QString &filter, const QString &suggestedName,
                         const QString &defaultExtension) override;

private:
    QWidget *m_parent;
};

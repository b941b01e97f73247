#pragma once

#include <QString>
#include <QStringList>

// Message boxes and file dialogs, injected into windows so tests can answer them.
class UserDialogs
{
public:
    // Plain: a box without an icon.
    enum class Kind { Warning, Error, Information, Confirmation, Plain };
    enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
    enum class Answer { Ok, Cancel, Yes, No };

    virtual ~UserDialogs() = default;

    // The text is plain text. In a YesNo question No is the default button.
    virtual Answer messageBox(Kind kind, const QString &caption, const QString &text,
                              Buttons buttons = Buttons::Ok) = 0;
    // Empty result: the user cancelled.
    virtual QString openFileName(const QString &caption, const QString &filter,
                                 const QString &directory = {}) = 0;
    virtual QStringList openFileNames(const QString &caption, const QString &filter,
                                      const QString &directory = {}) = 0;
    // defaultExtension (without the dot) is appended to a typed name that has none.
    virtual QString saveFileName(const QString &caption, const QString &filter,
                                 const QString &suggestedName = {},
                                 const QString &defaultExtension = {}) = 0;
};

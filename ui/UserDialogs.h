#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

// Message boxes and file dialogs, injected into windows so tests can answer them.
class UserDialogs
{
public:
    // Plain: a box without an icon.
    enum class Kind { Warning, Error, Information, Confirmation, Plain };
    // YesNo has No as its default button: such a question asks before something that
    // cannot be undone, and Yes must be meant.
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

    // While an Asker lives, the dialogs are shown for `window`: the real ones belong to it
    // (they stay in front of it, and it gets the focus back), also when another window is
    // the active one. Without an Asker they belong to the window the person works in.
    class Asker
    {
    public:
        Asker(UserDialogs &dialogs, QObject *window)
            : m_dialogs(dialogs)
            , m_previous(dialogs.m_asker)
        {
            dialogs.m_asker = window;
        }
        ~Asker() { m_dialogs.m_asker = m_previous; }
        Asker(const Asker &) = delete;
        Asker &operator=(const Asker &) = delete;

    private:
        UserDialogs &m_dialogs;
        QPointer<QObject> m_previous;
    };
    // The window of the innermost living Asker (null when none, or when it is gone).
    QObject *asker() const { return m_asker.data(); }

private:
    QPointer<QObject> m_asker;
};

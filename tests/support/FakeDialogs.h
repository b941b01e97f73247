#pragma once

#include "ui/UserDialogs.h"

#include <QList>
#include <QQueue>

// Answers message boxes and file dialogs from queues and records what was asked.
class FakeDialogs : public UserDialogs
{
public:
    struct Shown
    {
        Kind kind;
        QString caption;
        QString text;
        Buttons buttons = Buttons::Ok;
        QObject *asker = nullptr; // the window that said it asks (UserDialogs::Asker)
    };
    // One file dialog as it was asked for.
    struct FileRequest
    {
        enum class Type { Open, OpenMany, Save } type;
        QString caption;
        QString filter;
        QString nameOrFolder; // the proposed name (save) or start folder (open)
        QString defaultExtension;
        QObject *asker = nullptr;
    };

    QQueue<Answer> answers;       // empty: Ok (or Yes for yes/no questions)
    QQueue<QString> fileNames;    // empty: the user cancels
    QQueue<QStringList> fileLists;
    QList<Shown> shown;
    QList<FileRequest> fileRequests;

    Answer messageBox(Kind kind, const QString &caption, const QString &text, Buttons buttons) override
    {
        shown.append({kind, caption, text, buttons, asker()});
        if (!answers.isEmpty())
            return answers.dequeue();
        return buttons == Buttons::Ok || buttons == Buttons::OkCancel ? Answer::Ok : Answer::Yes;
    }
    QString openFileName(const QString &caption, const QString &filter, const QString &directory) override
    {
        fileRequests.append({FileRequest::Type::Open, caption, filter, directory, {}, asker()});
        return fileNames.isEmpty() ? QString() : fileNames.dequeue();
    }
    QStringList openFileNames(const QString &caption, const QString &filter, const QString &directory) override
    {
        fileRequests.append({FileRequest::Type::OpenMany, caption, filter, directory, {}, asker()});
        return fileLists.isEmpty() ? QStringList() : fileLists.dequeue();
    }
    QString saveFileName(const QString &caption, const QString &filter, const QString &suggestedName,
                         const QString &defaultExtension) override
    {
        fileRequests.append({FileRequest::Type::Save, caption, filter, suggestedName, defaultExtension, asker()});
        return fileNames.isEmpty() ? QString() : fileNames.dequeue();
    }
};

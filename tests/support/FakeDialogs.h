#pragma once

#include "UserDialogs.h"

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
    };

    QQueue<Answer> answers;       // empty: Ok (or Yes for yes/no questions)
    QQueue<QString> fileNames;    // empty: the user cancels
    QQueue<QStringList> fileLists;
    QList<Shown> shown;

    Answer messageBox(Kind kind, const QString &caption, const QString &text, Buttons buttons) override
    {
        shown.append({kind, caption, text});
        if (!answers.isEmpty())
            return answers.dequeue();
        return buttons == Buttons::Ok || buttons == Buttons::OkCancel ? Answer::Ok : Answer::Yes;
    }
    QString openFileName(const QString &, const QString &, const QString &) override
    {
        return fileNames.isEmpty() ? QString() : fileNames.dequeue();
    }
    QStringList openFileNames(const QString &, const QString &, const QString &) override
    {
        return fileLists.isEmpty() ? QStringList() : fileLists.dequeue();
    }
    QString saveFileName(const QString &, const QString &, const QString &) override
    {
        return fileNames.isEmpty() ? QString() : fileNames.dequeue();
    }
};

#pragma once

#include <QObject>
#include <QString>
#include <functional>

class ComposerEditor;
class FindReplaceDialog;
class QWidget;

// Finding and replacing in the composer's letter: the Find and Replace window (made when
// first opened) and the searches it starts. The outcome of a search goes to the window and
// to `status` (the composer's status bar).
class FindInLetter : public QObject
{
    Q_OBJECT
public:
    FindInLetter(ComposerEditor *editor, QWidget *window, std::function<void(const QString &)> status);

    // Opens the window, for finding or for replacing; a selection within one paragraph is
    // what to find.
    void show(bool replace);
    // The next place of the text, or the window when there is nothing to find yet.
    void findNextOrAsk();
    // Null until first opened.
    FindReplaceDialog *dialog() const { return m_dialog; }

private:
    void findNext();
    void replaceOne();
    void replaceAll();
    void showStatus(const QString &text);

    ComposerEditor *m_editor;
    QWidget *m_window;
    std::function<void(const QString &)> m_status;
    FindReplaceDialog *m_dialog = nullptr;
};

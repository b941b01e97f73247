#pragma once

#include <QObject>
#include <QPointer>
#include <QTextCharFormat>
#include <QTimer>

class QTextBlock;
class QTextDocument;
class QTextEdit;
class SpellCheck;

// Draws a red wavy line under the misspelt words of the letter. The lines are the editor's
// extra selections, drawn over the text: they are no part of the document, so they never
// reach the stored RTF, the page pictures or the clipboard, change neither the undo history
// nor the letter's changed state, and adding one never lays the letter out again.
//
// Paragraphs are checked in steps of a few milliseconds while the program is idle: a
// paragraph just typed in, or any on screen, first; the rest of a long letter after them.
// The editor is given only the lines in and around its view (a long letter has thousands),
// once per step and again when the view moves.
class SpellHighlighter : public QObject
{
    Q_OBJECT
public:
    SpellHighlighter(QTextEdit *editor, SpellCheck &check);

    // Off: every line goes; on: every paragraph is checked again.
    void setActive(bool active);
    bool isActive() const { return m_active; }
    // After the words that count as right changed: every paragraph is checked again.
    void recheckAll();
    // Follows the editor to a document it was given.
    void followEditor();
    // True while paragraphs wait to be checked.
    bool hasPending() const;

    static QTextCharFormat markFormat();
    // Every word marked so far, in the letter's order (the editor holds only those in view).
    QStringList markedWords() const;

    // The longest a step checks paragraphs before the window gets its turn again.
    static constexpr int kSliceMs = 8;
    // The wait before a newly opened letter is checked, so that it shows first.
    static constexpr int kSettleMs = 30;
    // A change over more paragraphs than this has every paragraph checked again.
    static constexpr int kManyBlocks = 200;

private:
    void attach(QTextDocument *document);
    void contentsChanged(int position, int removed, int added);
    void checkPending();
    // Checks one paragraph if it waits; true when it did.
    bool checkBlock(const QTextBlock &block);
    void publish();
    void schedule();
    void viewMoved();

    QTextEdit *m_editor;
    SpellCheck &m_check;
    QPointer<QTextDocument> m_document;
    QMetaObject::Connection m_contentsConnection;
    bool m_active = false;
    int m_generation = 1;
    int m_resumeBlock = 0;
    bool m_viewMoved = false;
    // What handing the marks to the editor took at the last step.
    qint64 m_publishNs = 0;
    QTimer m_idle;
};

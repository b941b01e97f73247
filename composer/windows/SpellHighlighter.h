#pragma once

#include <QSyntaxHighlighter>
#include <QTimer>

class QTextEdit;
class SpellCheck;

// Draws a red wavy line under the misspelt words of the letter. The line is a format of
// the text's layout, not of the document: it never reaches the stored RTF, the page
// pictures or the clipboard, and it changes neither the undo history nor the letter's
// changed state.
//
// A paragraph being typed in is checked at once. When many paragraphs ask at the same
// time (a long letter opened, a language chosen), only a few are checked there; the rest
// wait, and are checked while the program is idle, the paragraphs on screen first.
class SpellHighlighter : public QSyntaxHighlighter
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

    // Paragraphs checked at once in one turn of the event loop; the rest wait.
    static constexpr int kImmediateBlocks = 40;

protected:
    void highlightBlock(const QString &text) override;

private:
    void checkPending();
    void checkBlock(const QTextBlock &block);
    void schedule();

    QTextEdit *m_editor;
    SpellCheck &m_check;
    bool m_active = false;
    int m_generation = 1;
    int m_checkedThisTurn = 0;
    bool m_turnReset = false;
    bool m_forced = false;
    int m_resumeBlock = 0;
    QTimer m_idle;
};

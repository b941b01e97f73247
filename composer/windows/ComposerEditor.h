#pragma once

#include <QList>
#include <QTextEdit>
#include <QUrl>
#include <string_view>

// The letter's editor: a QTextEdit whose clipboard goes through LetterClipboard, so that
// pasted tables, lists and pictures arrive as our RTF writer can save them, and copied
// text carries RTF for word processors.
class ComposerEditor : public QTextEdit
{
    Q_OBJECT
public:
    explicit ComposerEditor(QWidget *parent = nullptr);

    // Replaces the letter with rich-text source (or plain text). The text is read into a
    // fresh document that the editor then shows: a shown editor would lay the letter out
    // again after every paragraph read. The letter is unchanged afterwards.
    void loadLetter(std::string_view bytes);
    // The letter's RTF, or any other text as `plainText` (already read in its charset).
    void loadLetter(std::string_view bytes, const QString &plainText);

    // The letter's default font: "MS Sans Serif" 11 pixels (through the font substitution).
    static QFont letterFont();
    // The formatting rectangle's distance from the left, top and right edges.
    static constexpr int kTextMargin = 6;

signals:
    // Local files dropped or pasted on the letter: the window puts pictures in and attaches
    // the others.
    void filesDropped(const QList<QUrl> &files);
    // loadLetter gave the editor another document.
    void documentReplaced();

protected:
    static void prepare(QTextDocument *doc);
    void changeEvent(QEvent *event) override;
    // Enter starts a paragraph as word processors do (ParagraphBreak).
    void keyPressEvent(QKeyEvent *event) override;
    bool canInsertFromMimeData(const QMimeData *source) const override;
    void insertFromMimeData(const QMimeData *source) override;
    QMimeData *createMimeDataFromSelection() const override;
    // What is dragged in from elsewhere is taken as a copy: a file manager honours a Move
    // by deleting the person's file. Text moved within the letter stays a move.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void usePaperColours();
    bool fromHere(const QDropEvent *event) const;
    // Turns an accepted drop from outside this editor into a copy, or refuses it when the
    // source does not allow one.
    void copyOnly(QDropEvent *event) const;
};

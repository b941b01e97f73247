#include "composer/windows/FindInLetter.h"

#include "composer/TextFinder.h"
#include "composer/windows/ComposerEditor.h"
#include "composer/windows/FindReplaceDialog.h"

#include <QLineEdit>

FindInLetter::FindInLetter(ComposerEditor *editor, QWidget *window, std::function<void(const QString &)> status)
    : QObject(window)
    , m_editor(editor)
    , m_window(window)
    , m_status(std::move(status))
{
}

void FindInLetter::show(bool replace)
{
    if (!m_dialog) {
        m_dialog = new FindReplaceDialog(m_window);
        connect(m_dialog, &FindReplaceDialog::findNextClicked, this, &FindInLetter::findNext);
        connect(m_dialog, &FindReplaceDialog::replaceClicked, this, &FindInLetter::replaceOne);
        connect(m_dialog, &FindReplaceDialog::replaceAllClicked, this, &FindInLetter::replaceAll);
    }
    // A selection within one paragraph is what the person wants to find.
    const QString selected = m_editor->textCursor().selectedText();
    if (!selected.isEmpty() && !selected.contains(QChar::ParagraphSeparator))
        m_dialog->setFindText(selected);
    else
        m_dialog->Edt_Find->selectAll();
    m_dialog->setReplaceMode(replace);
    m_dialog->setStatus(QString());
    m_dialog->show();
    m_dialog->raise();
    m_dialog->activateWindow();
    m_dialog->Edt_Find->setFocus();
}

void FindInLetter::findNextOrAsk()
{
    if (!m_dialog || m_dialog->findText().isEmpty()) {
        show(false);
        return;
    }
    findNext();
}

void FindInLetter::showStatus(const QString &text)
{
    if (m_dialog)
        m_dialog->setStatus(text);
    m_status(text);
}

void FindInLetter::findNext()
{
    const TextFinder::Options options = m_dialog->options();
    const TextFinder finder(*m_editor->document(), m_dialog->findText(), options);
    const TextFinder::Match match = finder.find(m_editor->textCursor());
    if (match.cursor.isNull()) {
        showStatus(QStringLiteral("\"%1\" was not found.").arg(m_dialog->findText()));
        return;
    }
    m_editor->setTextCursor(match.cursor);
    m_editor->ensureCursorVisible();
    showStatus(!match.wrapped        ? QString()
               : options.backward ? QStringLiteral("Reached the start of the letter; went on from the end.")
                                  : QStringLiteral("Reached the end of the letter; went on from the start."));
}

void FindInLetter::replaceOne()
{
    // The selected match is replaced, then the next one is selected; without a selected
    // match Replace only finds one.
    const TextFinder finder(*m_editor->document(), m_dialog->findText(), m_dialog->options());
    QTextCursor cursor = m_editor->textCursor();
    if (finder.replace(cursor, m_dialog->replaceText()))
        m_editor->setTextCursor(cursor);
    findNext();
}

void FindInLetter::replaceAll()
{
    const TextFinder finder(*m_editor->document(), m_dialog->findText(), m_dialog->options());
    const int count = finder.replaceAll(m_dialog->replaceText());
    showStatus(count == 0   ? QStringLiteral("\"%1\" was not found.").arg(m_dialog->findText())
               : count == 1 ? QStringLiteral("Replaced 1 place.")
                            : QStringLiteral("Replaced %1 places.").arg(count));
}

// The Edit menu of the composer: undo and redo, the clipboard, selecting, finding and
// replacing (in the Find and Replace window), and inserting the date or time.
#include "composer/windows/TFM_Cmps.h"

#include "composer/ActiveAttributes.h"
#include "composer/AlignmentTag.h"
#include "composer/CaretFormat.h"
#include "composer/LetterContent.h"
#include "composer/LetterPageCount.h"
#include "composer/LetterStamp.h"
#include "composer/ParagraphFormat.h"
#include "composer/TextColors.h"
#include "composer/TextFinder.h"
#include "composer/windows/ColorButton.h"
#include "composer/windows/ComposerEditor.h"
#include "composer/windows/FindReplaceDialog.h"
#include "composer/windows/FontSizeBox.h"
#include "os/Clock.h"
#include "os/ProgramIcons.h"
#include "ui/AccessibleNames.h"
#include "ui/WindowServices.h"

#include <QAction>
#include <QBoxLayout>
#include <QButtonGroup>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QScopeGuard>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QWindow>

namespace {

// How long a search's outcome stays in the status bar.
constexpr int kStatusMs = 5000;

} // namespace

void TFM_Cmps::EditUndoCmdExecute()
{
    if (Editor->hasFocus())
        Editor->undo();
}

void TFM_Cmps::EditRedoCmdExecute()
{
    if (Editor->hasFocus())
        Editor->redo();
}

void TFM_Cmps::EditCutCmdExecute()
{
    if (Editor->hasFocus())
        Editor->cut();
}

void TFM_Cmps::EditCopyCmdExecute()
{
    if (Editor->hasFocus())
        Editor->copy();
}

void TFM_Cmps::EditPasteCmdExecute()
{
    if (Editor->hasFocus())
        Editor->paste();
}

void TFM_Cmps::EditSelAllExecute()
{
    Editor->selectAll();
}

void TFM_Cmps::ActionList2Update()
{
    const bool selection = Editor->textCursor().hasSelection();
    EditCutCmd->setEnabled(selection);
    EditCopyCmd->setEnabled(selection);
    EditUndoCmd->setEnabled(Editor->document()->isUndoAvailable());
    EditRedoCmd->setEnabled(Editor->document()->isRedoAvailable());
    EditPasteCmd->setEnabled(Editor->canPaste());
}

void TFM_Cmps::Find1Click() { showFindDialog(false); }

void TFM_Cmps::Replace1Click() { showFindDialog(true); }

void TFM_Cmps::FindNext1Click()
{
    if (!m_findDialog || m_findDialog->findText().isEmpty()) {
        showFindDialog(false);
        return;
    }
    findNext();
}

void TFM_Cmps::showFindDialog(bool replace)
{
    if (!m_findDialog) {
        m_findDialog = new FindReplaceDialog(this);
        connect(m_findDialog, &FindReplaceDialog::findNextClicked, this, &TFM_Cmps::findNext);
        connect(m_findDialog, &FindReplaceDialog::replaceClicked, this, &TFM_Cmps::replaceOne);
        connect(m_findDialog, &FindReplaceDialog::replaceAllClicked, this, &TFM_Cmps::replaceAll);
    }
    // A selection within one paragraph is what the person wants to find.
    const QString selected = Editor->textCursor().selectedText();
    if (!selected.isEmpty() && !selected.contains(QChar::ParagraphSeparator))
        m_findDialog->setFindText(selected);
    else
        m_findDialog->Edt_Find->selectAll();
    m_findDialog->setReplaceMode(replace);
    m_findDialog->setStatus(QString());
    m_findDialog->show();
    m_findDialog->raise();
    m_findDialog->activateWindow();
    m_findDialog->Edt_Find->setFocus();
}

void TFM_Cmps::showFindStatus(const QString &text)
{
    if (m_findDialog)
        m_findDialog->setStatus(text);
    if (text.isEmpty())
        statusBar()->clearMessage();
    else
        statusBar()->showMessage(text, kStatusMs);
}

void TFM_Cmps::findNext()
{
    const TextFinder::Options options = m_findDialog->options();
    const TextFinder finder(*Editor->document(), m_findDialog->findText(), options);
    const TextFinder::Match match = finder.find(Editor->textCursor());
    if (match.cursor.isNull()) {
        showFindStatus(QStringLiteral("\"%1\" was not found.").arg(m_findDialog->findText()));
        return;
    }
    Editor->setTextCursor(match.cursor);
    Editor->ensureCursorVisible();
    showFindStatus(!match.wrapped        ? QString()
                   : options.backward ? QStringLiteral("Reached the start of the letter; went on from the end.")
                                      : QStringLiteral("Reached the end of the letter; went on from the start."));
}

void TFM_Cmps::replaceOne()
{
    // The selected match is replaced, then the next one is selected; without a selected
    // match Replace only finds one.
    const TextFinder finder(*Editor->document(), m_findDialog->findText(), m_findDialog->options());
    QTextCursor cursor = Editor->textCursor();
    if (finder.replace(cursor, m_findDialog->replaceText()))
        Editor->setTextCursor(cursor);
    findNext();
}

void TFM_Cmps::replaceAll()
{
    const TextFinder finder(*Editor->document(), m_findDialog->findText(), m_findDialog->options());
    const int count = finder.replaceAll(m_findDialog->replaceText());
    showFindStatus(count == 0   ? QStringLiteral("\"%1\" was not found.").arg(m_findDialog->findText())
                   : count == 1 ? QStringLiteral("Replaced 1 place.")
                                : QStringLiteral("Replaced %1 places.").arg(count));
}

void TFM_Cmps::InsertDate1Click()
{
    Editor->textCursor().insertText(LetterStamp::date(m_services.clock.now()));
}

void TFM_Cmps::InsertTime1Click()
{
    Editor->textCursor().insertText(LetterStamp::time(m_services.clock.now()));
}

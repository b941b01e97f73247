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
#include "composer/windows/ColorButton.h"
#include "composer/windows/ComposerEditor.h"
#include "composer/windows/FindInLetter.h"
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

void TFM_Cmps::buildFind()
{
    // The outcome of a search shows in the Find window and, for a while, in the status bar.
    m_find = new FindInLetter(Editor, this, [this](const QString &text) {
        if (text.isEmpty())
            statusBar()->clearMessage();
        else
            statusBar()->showMessage(text, kStatusMs);
    });
}

FindReplaceDialog *TFM_Cmps::findDialog() const { return m_find->dialog(); }

void TFM_Cmps::Find1Click() { m_find->show(false); }

void TFM_Cmps::Replace1Click() { m_find->show(true); }

void TFM_Cmps::FindNext1Click() { m_find->findNextOrAsk(); }

void TFM_Cmps::InsertDate1Click()
{
    Editor->textCursor().insertText(LetterStamp::date(m_services.clock.now()));
}

void TFM_Cmps::InsertTime1Click()
{
    Editor->textCursor().insertText(LetterStamp::time(m_services.clock.now()));
}

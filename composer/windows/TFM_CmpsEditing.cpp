// Colour, redo, find and replace and the page count of TFM_Cmps.
#include "composer/windows/TFM_Cmps.h"

#include "composer/ActiveAttributes.h"
#include "composer/LetterPageCount.h"
#include "composer/TextColors.h"
#include "composer/TextFinder.h"
#include "composer/windows/ColorButton.h"
#include "composer/windows/ComposerEditor.h"
#include "composer/windows/FindReplaceDialog.h"
#include "ui/WindowServices.h"

#include <QAction>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QToolBar>
#include <QWindow>

namespace {

// How long a search's outcome stays in the status bar.
constexpr int kStatusMs = 5000;

} // namespace

void TFM_Cmps::buildPageCount()
{
    LB_Pages = new QLabel(statusBar());
    LB_Pages->setObjectName(QStringLiteral("LB_Pages"));
    LB_Pages->setToolTip(QStringLiteral("The number of pictures the letter becomes when it is sent"));
    statusBar()->addPermanentWidget(LB_Pages);
    m_pageCount = new LetterPageCount(m_services.settings, [this] { return static_cast<const QTextDocument *>(Editor->document()); }, this);
    connect(m_pageCount, &LetterPageCount::counted, LB_Pages,
            [this](int pages) { LB_Pages->setText(LetterPageCount::text(pages)); });
    connect(Editor, &QTextEdit::textChanged, m_pageCount, &LetterPageCount::schedule);
    // The picture settings may have changed while another window was active.
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, m_pageCount, [this](QWindow *focus) {
        if (focus && focus == windowHandle())
            m_pageCount->schedule();
    });
    m_pageCount->schedule();
}

void TFM_Cmps::EditRedoCmdExecute()
{
    if (Editor->hasFocus())
        Editor->redo();
}

void TFM_Cmps::applyColor(void (ActiveAttributes::*set)(const QColor &), const QColor &color)
{
    if (FUpdating)
        return;
    QTextCursor cursor = Editor->textCursor();
    (ActiveAttributes(cursor).*set)(color);
    Editor->setTextCursor(cursor);
    Editor->setFocus();
}

void TFM_Cmps::FontColorButtonClick(const QColor &color) { applyColor(&ActiveAttributes::setColor, color); }
void TFM_Cmps::HighlightButtonClick(const QColor &color) { applyColor(&ActiveAttributes::setHighlight, color); }

// The menu items open the colour dialog of the matching button, which applies the colour.
void TFM_Cmps::Color1Click()
{
    FontColorButton->chooseMore();
    Editor->setFocus();
}

void TFM_Cmps::Highlight1Click()
{
    HighlightButton->chooseMore();
    Editor->setFocus();
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

void TFM_Cmps::buildColorButtons()
{
    FontColorButton = new ColorButton(QStringLiteral("format-text-color"), QStringLiteral("&Automatic"),
                                      TextColors::defaultText(), StandardToolBar);
    FontColorButton->setObjectName(QStringLiteral("FontColorButton"));
    FontColorButton->setToolTip(QStringLiteral("Font Color"));
    FontColorButton->setStatusTip(QStringLiteral("Colour the text; the arrow picks another colour"));
    HighlightButton = new ColorButton(QStringLiteral("draw-highlight"), QStringLiteral("&No Highlight"),
                                      TextColors::defaultHighlight(), StandardToolBar);
    HighlightButton->setObjectName(QStringLiteral("HighlightButton"));
    HighlightButton->setToolTip(QStringLiteral("Highlight Color"));
    HighlightButton->setStatusTip(QStringLiteral("Mark the text with a colour behind it; the arrow picks another colour"));
    StandardToolBar->addWidget(FontColorButton);
    StandardToolBar->addWidget(HighlightButton);
    connect(FontColorButton, &ColorButton::colorChosen, this, &TFM_Cmps::FontColorButtonClick);
    connect(HighlightButton, &ColorButton::colorChosen, this, &TFM_Cmps::HighlightButtonClick);
}

// The Style menu of the composer: font, colours, bold, italic and underline, alignment,
// bullets and numbering, applied to the letter through the composer core.
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
#include "os/PaletteIcon.h"
#include "os/ProgramIcons.h"
#include "ui/AccessibleNames.h"
#include "ui/WindowServices.h"

#include <QAction>
#include <QActionGroup>
#include <QBoxLayout>
#include <QButtonGroup>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QScopeGuard>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QWindow>

using ParagraphFormat::Numbering;

void TFM_Cmps::Font1Click()
{
    QTextCursor cursor = Editor->textCursor();
    ActiveAttributes attributes(cursor);
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, attributes.format().font(), this);
    if (ok) {
        attributes.assign(chosen);
        Editor->setTextCursor(cursor);
    }
    SelectionChange();
    Editor->setFocus();
}

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

void TFM_Cmps::applyColor(void (ActiveAttributes::*set)(const QColor &), const QColor &color)
{
    if (FUpdating)
        return;
    QTextCursor cursor = Editor->textCursor();
    (ActiveAttributes(cursor).*set)(color);
    Editor->setTextCursor(cursor);
    Editor->setFocus();
}

void TFM_Cmps::Bold1Click()
{
    BoldButton->setChecked(!BoldButton->isChecked());
    BoldButtonClick();
}

void TFM_Cmps::In1Click()
{
    ItalicButton->setChecked(!ItalicButton->isChecked());
    ItalicButtonClick();
}

void TFM_Cmps::Underline1Click()
{
    UnderlineButton->setChecked(!UnderlineButton->isChecked());
    UnderlineButtonClick();
}

void TFM_Cmps::applyStyle(int style, bool on)
{
    if (FUpdating)
        return;
    QTextCursor cursor = Editor->textCursor();
    ActiveAttributes(cursor).setStyle(ActiveAttributes::Style(style), on);
    Editor->setTextCursor(cursor);
}

// The menu items carry the alignment in their tags, like the buttons.
void TFM_Cmps::Left1Click() { applyAlignment(sender() ? sender()->property("tag").toInt() : AlignmentTag::Left); }

void TFM_Cmps::Center1Click() { applyAlignment(sender() ? sender()->property("tag").toInt() : AlignmentTag::Center); }

void TFM_Cmps::Right1Click() { applyAlignment(sender() ? sender()->property("tag").toInt() : AlignmentTag::Right); }

void TFM_Cmps::applyAlignment(int tag)
{
    if (FUpdating)
        return;
    QTextCursor cursor = Editor->textCursor();
    ParagraphFormat::setAlignment(cursor, tag);
    Editor->setTextCursor(cursor);
    SelectionChange();
}

void TFM_Cmps::Bullets1Click()
{
    BulletsButton->setChecked(!BulletsButton->isChecked());
    BulletsButtonClick();
}

void TFM_Cmps::NumberingCmdExecute()
{
    // On with the style chosen last (at first "1."), or off.
    const bool numbered = ParagraphFormat::numberingOf(Editor->textCursor()) != Numbering::None;
    applyNumbering(numbered ? int(Numbering::None) : m_lastNumbering);
    Editor->setFocus();
}

void TFM_Cmps::applyNumbering(int numbering)
{
    if (FUpdating || Editor->isReadOnly())
        return;
    if (numbering != int(Numbering::None))
        m_lastNumbering = numbering;
    QTextCursor cursor = Editor->textCursor();
    ParagraphFormat::setNumbering(cursor, Numbering(numbering));
    Editor->setTextCursor(cursor);
    SelectionChange();
}

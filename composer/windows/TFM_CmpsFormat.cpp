// The format bar, the Style and Edit commands and the tool-bar refresh of TFM_Cmps.
#include "composer/windows/TFM_Cmps.h"

#include "composer/ActiveAttributes.h"
#include "composer/AlignmentTag.h"
#include "composer/CaretFormat.h"
#include "composer/LetterContent.h"
#include "composer/LetterStamp.h"
#include "composer/ParagraphFormat.h"
#include "composer/windows/ComposerEditor.h"
#include "composer/windows/FontSizeBox.h"
#include "os/Clock.h"
#include "os/ProgramIcons.h"
#include "ui/AccessibleNames.h"
#include "ui/WindowServices.h"

#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QPointer>
#include <QScopeGuard>
#include <QBoxLayout>
#include <QToolBar>
#include <QToolButton>

namespace {

// "Short hint|Long hint": the short one is the tool tip, the long one the status tip.
void setHint(QWidget *w, const QString &hint)
{
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    w->setToolTip(bar < 0 ? hint : hint.left(bar));
    w->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
}

} // namespace

void TFM_Cmps::buildFormatBar()
{
    Panel2 = new QWidget(centralWidget());
    Panel2->setObjectName(QStringLiteral("Panel2"));
    // Two halves, side by side where the window is wide enough and else one below the
    // other (arrangeFormatBar), so that no control hides behind an overflow arrow.
    m_formatRows = new QBoxLayout(QBoxLayout::LeftToRight, Panel2);
    m_formatRows->setContentsMargins(0, 0, 0, 0);
    m_formatRows->setSpacing(0);
    auto half = [this](const char *name) {
        auto *bar = new QToolBar(Panel2);
        bar->setObjectName(QLatin1String(name));
        bar->setIconSize(QSize(16, 16));
        bar->setMovable(false);
        m_formatRows->addWidget(bar);
        return bar;
    };
    StandardToolBar = half("StandardToolBar");
    ParagraphToolBar = half("ParagraphToolBar");
    QToolBar *into = StandardToolBar;

    using R = ProgramIcons::Role;
    auto button = [&into](const char *name, R role, const char *hint, bool checkable) {
        auto *b = new QToolButton(into);
        b->setObjectName(QLatin1String(name));
        b->setIcon(ProgramIcons::icon(role));
        b->setCheckable(checkable);
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        setHint(b, QLatin1String(hint));
        into->addWidget(b);
        return b;
    };
    BoldButton = button("BoldButton", R::Bold, "Bold", true);
    ItalicButton = button("ItalicButton", R::Italic, "Italic", true);
    UnderlineButton = button("UnderlineButton", R::Underline, "Underline", true);
    connect(BoldButton, &QToolButton::clicked, this, &TFM_Cmps::BoldButtonClick);
    connect(ItalicButton, &QToolButton::clicked, this, &TFM_Cmps::ItalicButtonClick);
    connect(UnderlineButton, &QToolButton::clicked, this, &TFM_Cmps::UnderlineButtonClick);
    buildColorButtons();
    StandardToolBar->addSeparator();

    FontName = new QComboBox(StandardToolBar);
    FontName->setObjectName(QStringLiteral("FontName"));
    FontName->setEditable(true);
    FontName->setInsertPolicy(QComboBox::NoInsert);
    FontName->setMaxVisibleItems(10);
    FontName->setMinimumContentsLength(18);
    FontName->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setHint(FontName, QStringLiteral("Font Name|Select font name"));
    // activated: chosen from the list, with the arrow keys, or typed to a whole name.
    connect(FontName, &QComboBox::activated, this, &TFM_Cmps::FontNameChange);
    StandardToolBar->addWidget(FontName);

    FontSize = new FontSizeBox(StandardToolBar);
    FontSize->setObjectName(QStringLiteral("FontSize"));
    FontSize->setRange(0, 100);
    FontSize->setSingleStep(1);
    FontSize->setSpecialValueText(QStringLiteral(" ")); // a selection of mixed sizes
    FontSize->setFixedWidth(52);
    // The box asks for the caret's size whenever its style draws it, which some styles also
    // do while the window is torn down: after the editor has gone it has no caret to ask.
    FontSize->setFirstSize([editor = QPointer<ComposerEditor>(Editor)] {
        return editor ? CaretFormat::firstSize(editor->textCursor()) : 0;
    });
    setHint(FontSize, QStringLiteral("Font Size|Select font size"));
    connect(FontSize, &QSpinBox::valueChanged, this, &TFM_Cmps::FontSizeChange);
    // Enter ends the typing of a size: the letter gets the focus back.
    connect(FontSize, &FontSizeBox::entered, Editor, [this] { Editor->setFocus(); });
    StandardToolBar->addWidget(FontSize);

    into = ParagraphToolBar;
    BulletsButton = button("BulletsButton", R::Bullets, "Bullets|Enter bullet mode", true);
    connect(BulletsButton, &QToolButton::clicked, this, &TFM_Cmps::BulletsButtonClick);
    ParagraphToolBar->addSeparator();

    LeftAlign = button("LeftAlign", R::AlignLeft, "Align Left", true);
    CenterAlign = button("CenterAlign", R::AlignCenter, "Center", true);
    RightAlign = button("RightAlign", R::AlignRight, "Align Right", true);
    LeftAlign->setProperty("tag", AlignmentTag::Left);
    CenterAlign->setProperty("tag", AlignmentTag::Center);
    RightAlign->setProperty("tag", AlignmentTag::Right);
    m_alignGroup = new QButtonGroup(this);
    m_alignGroup->setExclusive(true);
    for (QToolButton *b : {LeftAlign, CenterAlign, RightAlign})
        m_alignGroup->addButton(b);
    LeftAlign->setChecked(true);
    connect(LeftAlign, &QToolButton::clicked, this, &TFM_Cmps::LeftAlignClick);
    connect(CenterAlign, &QToolButton::clicked, this, &TFM_Cmps::CenterAlignClick);
    connect(RightAlign, &QToolButton::clicked, this, &TFM_Cmps::RightAlignClick);
    ParagraphToolBar->addSeparator();

    auto commandButton = [this](const char *name, QAction *command) {
        auto *b = new QToolButton(ParagraphToolBar);
        b->setObjectName(QLatin1String(name));
        b->setDefaultAction(command);
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        ParagraphToolBar->addWidget(b);
        return b;
    };
    CopyButton = commandButton("CopyButton", EditCopyCmd);
    CutButton = commandButton("CutButton", EditCutCmd);
    PasteButton = commandButton("PasteButton", EditPasteCmd);
    UndoButton = commandButton("UndoButton", EditUndoCmd);
    RedoButton = commandButton("RedoButton", EditRedoCmd);
    ParagraphToolBar->addSeparator();

    Attachbutton = button("Attachbutton", R::Attach, "Add attachment", false);
    connect(Attachbutton, &QToolButton::clicked, this, &TFM_Cmps::AttachbuttonClick);

    // The picture buttons are announced by their hints.
    AccessibleNames::nameFromHints(StandardToolBar);
    AccessibleNames::nameFromHints(ParagraphToolBar);
    FontName->setAccessibleName(QStringLiteral("Font name"));
    FontSize->setAccessibleName(QStringLiteral("Font size"));

    arrangeFormatBar();
}

void TFM_Cmps::arrangeFormatBar()
{
    const QSize text = StandardToolBar->sizeHint();
    const QSize paragraph = ParagraphToolBar->sizeHint();
    const bool oneRow = text.width() + paragraph.width() <= width();
    m_formatRows->setDirection(oneRow ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom);
    Panel2->setFixedHeight(qMax(25, oneRow ? qMax(text.height(), paragraph.height()) : text.height() + paragraph.height()));
}

void TFM_Cmps::FillFontNames()
{
    QStringList families = QFontDatabase::families();
    families.sort(Qt::CaseInsensitive);
    families.removeDuplicates();
    FontName->addItems(families);
}

void TFM_Cmps::SelectionChange()
{
    FUpdating = true;
    const auto done = qScopeGuard([this] { FUpdating = false; });
    m_state = CaretFormat::read(Editor->textCursor());
    applyState(m_state);
}

void TFM_Cmps::applyState(const ToolBarState &state)
{
    BoldButton->setChecked(state.bold);
    ItalicButton->setChecked(state.italic);
    UnderlineButton->setChecked(state.underline);
    BulletsButton->setChecked(state.bullets);
    applyNumberingState(state);
    FontSize->setValue(state.fontSize);
    if (FontName->currentText() != state.fontName) {
        const int index = FontName->findText(state.fontName, Qt::MatchFixedString);
        FontName->setCurrentIndex(index);
        FontName->setEditText(state.fontName);
    }
    switch (state.alignment) {
    case AlignmentTag::Left: LeftAlign->setChecked(true); break;
    case AlignmentTag::Right: RightAlign->setChecked(true); break;
    case AlignmentTag::Center: CenterAlign->setChecked(true); break;
    default: break; // justified: the buttons stay as they were
    }
}

void TFM_Cmps::applyStyle(int style, bool on)
{
    if (FUpdating)
        return;
    QTextCursor cursor = Editor->textCursor();
    ActiveAttributes(cursor).setStyle(ActiveAttributes::Style(style), on);
    Editor->setTextCursor(cursor);
}

void TFM_Cmps::BoldButtonClick() { applyStyle(int(ActiveAttributes::Style::Bold), BoldButton->isChecked()); }
void TFM_Cmps::ItalicButtonClick() { applyStyle(int(ActiveAttributes::Style::Italic), ItalicButton->isChecked()); }
void TFM_Cmps::UnderlineButtonClick()
{
    applyStyle(int(ActiveAttributes::Style::Underline), UnderlineButton->isChecked());
}

void TFM_Cmps::applyAlignment(int tag)
{
    if (FUpdating)
        return;
    QTextCursor cursor = Editor->textCursor();
    ParagraphFormat::setAlignment(cursor, tag);
    Editor->setTextCursor(cursor);
    SelectionChange();
}

void TFM_Cmps::LeftAlignClick() { applyAlignment(LeftAlign->property("tag").toInt()); }
void TFM_Cmps::CenterAlignClick() { applyAlignment(CenterAlign->property("tag").toInt()); }
void TFM_Cmps::RightAlignClick() { applyAlignment(RightAlign->property("tag").toInt()); }

void TFM_Cmps::BulletsButtonClick()
{
    if (FUpdating)
        return;
    QTextCursor cursor = Editor->textCursor();
    ParagraphFormat::setBullets(cursor, BulletsButton->isChecked());
    Editor->setTextCursor(cursor);
}

void TFM_Cmps::Bullets1Click()
{
    BulletsButton->setChecked(!BulletsButton->isChecked());
    BulletsButtonClick();
}

void TFM_Cmps::FontNameChange(int index)
{
    if (FUpdating || index < 0)
        return;
    QTextCursor cursor = Editor->textCursor();
    ActiveAttributes(cursor).setFace(FontName->itemText(index));
    Editor->setTextCursor(cursor);
    Editor->setFocus();
}

void TFM_Cmps::FontSizeChange(int value)
{
    if (FUpdating)
        return;
    // The box reports a size once it is complete (Enter, Tab, leaving the box, an arrow);
    // the focus stays where the person put it.
    QTextCursor cursor = Editor->textCursor();
    if (!ActiveAttributes(cursor).setSize(value)) {
        SelectionChange(); // "0" is no size: the box shows the caret's size again
        return;
    }
    Editor->setTextCursor(cursor);
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

// The menu items carry the alignment in their tags, like the buttons.
void TFM_Cmps::Left1Click() { applyAlignment(sender() ? sender()->property("tag").toInt() : AlignmentTag::Left); }
void TFM_Cmps::Center1Click() { applyAlignment(sender() ? sender()->property("tag").toInt() : AlignmentTag::Center); }
void TFM_Cmps::Right1Click() { applyAlignment(sender() ? sender()->property("tag").toInt() : AlignmentTag::Right); }

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

void TFM_Cmps::InsertDate1Click()
{
    Editor->textCursor().insertText(LetterStamp::date(m_services.clock.now()));
}

void TFM_Cmps::InsertTime1Click()
{
    Editor->textCursor().insertText(LetterStamp::time(m_services.clock.now()));
}

void TFM_Cmps::EditUndoCmdExecute()
{
    if (Editor->hasFocus())
        Editor->undo();
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

void TFM_Cmps::FileNewCmdExecute()
{
    // A letter with content is only emptied when the person says so; either way Undo
    // brings it back, and the mail counts as changed.
    if (LetterContent::hasContent(*Editor->document())
        && ask(UserDialogs::Kind::Warning, QStringLiteral("All current text will be clear!\r\nAre you sure to start a new letter?"),
               UserDialogs::Buttons::YesNo)
            != UserDialogs::Answer::Yes)
        return;
    QTextCursor cursor = Editor->textCursor();
    LetterContent::clear(cursor);
    Editor->setTextCursor(cursor);
    Editor->setFocus();
    SelectionChange();
}

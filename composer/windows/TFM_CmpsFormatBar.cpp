// The format bar of the composer: style, colour, font and size, lists and alignment, the
// edit buttons and attaching; its refresh from the caret's format, and what its boxes say
// to a name or size they cannot take.
#include "composer/windows/TFM_Cmps.h"

#include "composer/ActiveAttributes.h"
#include "composer/AlignmentTag.h"
#include "composer/CaretFormat.h"
#include "composer/FontSizeStep.h"
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

namespace {

// "Short hint|Long hint": the short one is the tool tip, the long one the status tip.
void setHint(QWidget *w, const QString &hint)
{
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    w->setToolTip(bar < 0 ? hint : hint.left(bar));
    w->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
}

} // namespace

using ParagraphFormat::Numbering;

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
    AccessibleNames::nameComboBox(FontName, QStringLiteral("Font name"));
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

void TFM_Cmps::BoldButtonClick() { applyStyle(int(ActiveAttributes::Style::Bold), BoldButton->isChecked()); }

void TFM_Cmps::ItalicButtonClick() { applyStyle(int(ActiveAttributes::Style::Italic), ItalicButton->isChecked()); }

void TFM_Cmps::UnderlineButtonClick()
{
    applyStyle(int(ActiveAttributes::Style::Underline), UnderlineButton->isChecked());
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

void TFM_Cmps::buildFormatChecks()
{
    // Enter in the name box: a name of the list is taken by the box itself (activated).
    connect(FontName->lineEdit(), &QLineEdit::returnPressed, this, &TFM_Cmps::FontNameEntered);
    connect(FontSize, &FontSizeBox::outOfRange, this, &TFM_Cmps::FontSizeOutOfRange);
}

void TFM_Cmps::FontNameEntered()
{
    const QString typed = FontName->currentText().trimmed();
    if (!typed.isEmpty() && FontName->findText(typed, Qt::MatchFixedString) >= 0)
        return;
    // The letter's own font (which the list may lack, as a substituted one) is no error.
    if (!typed.isEmpty() && typed != m_state.fontName)
        ask(UserDialogs::Kind::Warning,
            QStringLiteral("There is no font named \"%1\" on this computer.\r\nChoose a font from the list.").arg(typed));
    SelectionChange(); // the box shows the letter's font again
    Editor->setFocus();
}

void TFM_Cmps::FontSizeOutOfRange(const QString &typed)
{
    ask(UserDialogs::Kind::Warning, QStringLiteral("The font size %1 is out of range: a size is from %2 to %3 points.")
                                        .arg(typed)
                                        .arg(FontSizeStep::kSmallest)
                                        .arg(FontSizeStep::kLargest));
    SelectionChange();
    Editor->setFocus();
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

void TFM_Cmps::FontColorButtonClick(const QColor &color) { applyColor(&ActiveAttributes::setColor, color); }

void TFM_Cmps::HighlightButtonClick(const QColor &color) { applyColor(&ActiveAttributes::setHighlight, color); }

void TFM_Cmps::buildNumbering()
{
    m_numberingMenu->addSeparator();

    m_numberingStyles = new QActionGroup(this);
    m_numberingStyles->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    const struct
    {
        const char *name;
        const char *caption;
        Numbering numbering;
    } styles[] = {
        {"NumberingDecimal1", "&1.  2.  3.", Numbering::Decimal},
        {"NumberingAlpha1", "&a)  b)  c)", Numbering::LowerAlpha},
        {"NumberingRoman1", "&i.  ii.  iii.", Numbering::LowerRoman},
    };
    for (const auto &style : styles) {
        QAction *a = m_numberingMenu->addAction(QLatin1String(style.caption));
        a->setObjectName(QLatin1String(style.name));
        a->setCheckable(true);
        a->setData(int(style.numbering));
        m_numberingStyles->addAction(a);
        // A checked style chosen again ends the numbering.
        connect(a, &QAction::triggered, this,
                [this, a](bool checked) { applyNumbering(checked ? a->data().toInt() : int(Numbering::None)); });
    }

    NumberingButton = new QToolButton(ParagraphToolBar);
    NumberingButton->setObjectName(QStringLiteral("NumberingButton"));
    NumberingButton->setIcon(PaletteIcon::wrap(QIcon::fromTheme(QStringLiteral("format-list-ordered"))));
    NumberingButton->setCheckable(true);
    NumberingButton->setAutoRaise(true);
    NumberingButton->setFocusPolicy(Qt::NoFocus);
    NumberingButton->setToolTip(QStringLiteral("Numbering (F12)"));
    NumberingButton->setStatusTip(QStringLiteral("Number the paragraphs; the arrow chooses 1., a) or i."));
    NumberingButton->setAccessibleName(QStringLiteral("Numbering"));
    NumberingButton->setPopupMode(QToolButton::MenuButtonPopup);
    NumberingButton->setMenu(m_numberingMenu);
    connect(NumberingButton, &QToolButton::clicked, this, &TFM_Cmps::NumberingButtonClick);
    // Right after Bullets.
    QAction *after = nullptr;
    const QList<QAction *> bar = ParagraphToolBar->actions();
    for (qsizetype i = 0; i + 1 < bar.size(); ++i) {
        if (ParagraphToolBar->widgetForAction(bar[i]) == BulletsButton)
            after = bar[i + 1];
    }
    ParagraphToolBar->insertWidget(after, NumberingButton);
}

void TFM_Cmps::NumberingButtonClick()
{
    if (FUpdating)
        return;
    applyNumbering(NumberingButton->isChecked() ? m_lastNumbering : int(Numbering::None));
}

void TFM_Cmps::applyNumberingState(const ToolBarState &state)
{
    if (!NumberingButton)
        return;
    NumberingButton->setChecked(state.numbering != int(Numbering::None));
    for (QAction *a : m_numberingStyles->actions())
        a->setChecked(a->data().toInt() == state.numbering);
}

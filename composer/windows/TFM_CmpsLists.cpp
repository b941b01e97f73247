// Numbered paragraphs in the composer: Style > Numbering with its three styles, the F12
// key that turns numbering on and off, and the format bar's Numbering button beside
// Bullets.
#include "composer/windows/TFM_Cmps.h"

#include "composer/ParagraphFormat.h"
#include "composer/windows/ComposerEditor.h"
#include "os/PaletteIcon.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

using ParagraphFormat::Numbering;

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

void TFM_Cmps::NumberingCmdExecute()
{
    // On with the style chosen last (at first "1."), or off.
    const bool numbered = ParagraphFormat::numberingOf(Editor->textCursor()) != Numbering::None;
    applyNumbering(numbered ? int(Numbering::None) : m_lastNumbering);
    Editor->setFocus();
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

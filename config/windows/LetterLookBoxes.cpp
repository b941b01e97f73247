#include "config/windows/LetterLookBoxes.h"

#include "config/ConfigKeys.h"
#include "config/windows/NumberBox.h"
#include "ui/AccessibleNames.h"

#include <QCheckBox>
#include <QFontComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

LetterLookBoxes::LetterLookBoxes(QWidget *parent)
    : QGroupBox(QStringLiteral(" On phones and for every reader "), parent)
{
    const auto named = [this](QWidget *w, const char *name) {
        w->setObjectName(QLatin1String(name));
        w->setParent(this);
    };
    CB_Sharp = new QCheckBox(QStringLiteral("Sha&rp pictures for high-resolution screens"));
    named(CB_Sharp, "CB_Sharp");
    CB_JpegOnly = new QCheckBox(QStringLiteral("&JPEG only"));
    CB_JpegOnly->setToolTip(QStringLiteral("Otherwise each page goes as PNG or JPEG, whichever is smaller"));
    named(CB_JpegOnly, "CB_JpegOnly");
    CB_TextBelow = new QCheckBox(QStringLiteral("Add the letter's &text below the pictures"));
    named(CB_TextBelow, "CB_TextBelow");

    CBX_LetterFont = new QFontComboBox;
    named(CBX_LetterFont, "CBX_LetterFont");
    CBX_LetterFont->setEditable(true);
    CBX_LetterFont->lineEdit()->setPlaceholderText(QStringLiteral("Desktop sans-serif"));
    AccessibleNames::nameComboBox(CBX_LetterFont, QStringLiteral("Font of new letters"));
    Edt_LetterFontSize = new NumberBox(*ConfigKeys::of(ConfigKey::LET_FontSize).range);
    named(Edt_LetterFontSize, "Edt_LetterFontSize");
    Edt_LetterFontSize->setFixedWidth(56);
    Edt_LetterFontSize->setAccessibleName(QStringLiteral("Size of new letters' font in points"));

    auto *fontLabel = new QLabel(QStringLiteral("New letters' &font:"), this);
    fontLabel->setBuddy(CBX_LetterFont);
    auto *font = new QHBoxLayout;
    font->addWidget(fontLabel);
    font->addWidget(CBX_LetterFont, 1);
    font->addWidget(Edt_LetterFontSize);
    font->addWidget(new QLabel(QStringLiteral("pt"), this));

    auto *rows = new QGridLayout(this);
    rows->setVerticalSpacing(4);
    rows->addWidget(CB_Sharp, 0, 0);
    rows->addWidget(CB_JpegOnly, 0, 1);
    rows->addWidget(CB_TextBelow, 1, 0, 1, 2);
    rows->addLayout(font, 2, 0, 1, 2);
}

#include "shell/windows/TFM_Tips.h"

#include "os/DataPaths.h"
#include "os/ProgramIcons.h"
#include "shell/windows/ScreenCentre.h"
#include "ui/WindowOpener.h"
#include "ui/WindowServices.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>

TFM_Tips::TFM_Tips(WindowServices &services, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint)
    , m_services(services)
{
    setObjectName(QStringLiteral("FM_Tips"));
    setWindowTitle(QStringLiteral("Tips of the day"));
    setWindowIcon(ProgramIcons::icon(ProgramIcons::Role::ProgramIcon));
    // The main window's closing ends the program, whether this window is open or not.
    setAttribute(Qt::WA_QuitOnClose, false);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setFixedSize(80, 222);
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setPixmap(ProgramIcons::icon(ProgramIcons::Role::TipsPicture).pixmap(Image1->size(), devicePixelRatio()));

    Label1 = new QLabel(QStringLiteral("Did you know ..."), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont heading = Label1->font();
    heading.setPointSizeF(heading.pointSizeF() * 1.5);
    heading.setBold(true);
    Label1->setFont(heading);

    Mo_tips = new QTextEdit(this);
    Mo_tips->setObjectName(QStringLiteral("Mo_tips"));
    Mo_tips->setReadOnly(true);
    Mo_tips->setFocusPolicy(Qt::NoFocus);
    Mo_tips->setFixedSize(360, 180);

    CHK_Dsp = new QCheckBox(QStringLiteral("Always show tips at startup"), this);
    CHK_Dsp->setObjectName(QStringLiteral("CHK_Dsp"));

    Button1 = new QPushButton(QStringLiteral("<<"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2 = new QPushButton(QStringLiteral(">>"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button3 = new QPushButton(QStringLiteral("&Close"), this);
    Button3->setObjectName(QStringLiteral("Button3"));
    Button3->setDefault(true);
    Button1->setAccessibleName(QStringLiteral("Previous tip"));
    Button2->setAccessibleName(QStringLiteral("Next tip"));
    Mo_tips->setAccessibleName(QStringLiteral("Tip"));
    for (QPushButton *button : {Button1, Button2, Button3})
        button->setMinimumWidth(72);
    connect(Button1, &QPushButton::clicked, this, &TFM_Tips::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TFM_Tips::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TFM_Tips::Button3Click);

    auto *text = new QVBoxLayout;
    text->setSpacing(8);
    text->addWidget(Label1);
    text->addWidget(Mo_tips);
    auto *top = new QHBoxLayout;
    top->setSpacing(12);
    top->addWidget(Image1, 0, Qt::AlignTop);
    top->addLayout(text);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(CHK_Dsp);
    buttons->addStretch(1);
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    buttons->addSpacing(8);
    buttons->addWidget(Button3);
    auto *all = new QVBoxLayout(this);
    all->setContentsMargins(12, 12, 12, 12);
    all->setSpacing(12);
    all->addLayout(top);
    all->addLayout(buttons);
    setFixedSize(sizeHint());
    centreOnScreen(this);

    CHK_Dsp->setChecked(TipsOfTheDay::readShowTips(m_services.paths.config));
    m_tips.start(m_services.random);
    showTip();
}

bool TFM_Tips::showAtStartup()
{
    if (CHK_Dsp->isChecked())
        show();
    return CHK_Dsp->isChecked();
}

void TFM_Tips::showTip()
{
    const QStringList lines = m_tips.memoLines();
    Mo_tips->clear();
    QTextCursor cursor(Mo_tips->document());
    QTextCharFormat plain;
    QTextCharFormat title;
    title.setFontWeight(QFont::Bold);
    for (int i = 0; i < lines.size(); ++i) {
        if (i > 0)
            cursor.insertBlock();
        cursor.insertText(lines.at(i), i == 1 ? title : plain);
    }
}

void TFM_Tips::Button1Click()
{
    m_tips.previous();
    showTip();
}

void TFM_Tips::Button2Click()
{
    m_tips.next();
    showTip();
}

void TFM_Tips::Button3Click()
{
    close();
}

void TFM_Tips::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        m_services.opener.setMainWindowEnabled(false);
}

void TFM_Tips::hideEvent(QHideEvent *event)
{
    QDialog::hideEvent(event);
    if (!event->spontaneous())
        m_services.opener.setMainWindowEnabled(true);
}

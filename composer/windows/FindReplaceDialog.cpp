#include "composer/windows/FindReplaceDialog.h"

#include <QAccessible>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

FindReplaceDialog::FindReplaceDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FindReplaceDialog"));
    setModal(false);

    auto *fields = new QGridLayout;
    Edt_Find = new QLineEdit(this);
    Edt_Find->setObjectName(QStringLiteral("Edt_Find"));
    Edt_Find->setMinimumWidth(240);
    auto *findLabel = new QLabel(QStringLiteral("Fi&nd what:"), this);
    findLabel->setBuddy(Edt_Find);
    Edt_Replace = new QLineEdit(this);
    Edt_Replace->setObjectName(QStringLiteral("Edt_Replace"));
    m_replaceLabel = new QLabel(QStringLiteral("Re&place with:"), this);
    m_replaceLabel->setBuddy(Edt_Replace);
    fields->addWidget(findLabel, 0, 0);
    fields->addWidget(Edt_Find, 0, 1);
    fields->addWidget(m_replaceLabel, 1, 0);
    fields->addWidget(Edt_Replace, 1, 1);

    CHK_MatchCase = new QCheckBox(QStringLiteral("Match &case"), this);
    CHK_MatchCase->setObjectName(QStringLiteral("CHK_MatchCase"));
    CHK_WholeWords = new QCheckBox(QStringLiteral("&Whole words only"), this);
    CHK_WholeWords->setObjectName(QStringLiteral("CHK_WholeWords"));
    CHK_Backward = new QCheckBox(QStringLiteral("Search &backwards"), this);
    CHK_Backward->setObjectName(QStringLiteral("CHK_Backward"));
    fields->addWidget(CHK_MatchCase, 2, 1);
    fields->addWidget(CHK_WholeWords, 3, 1);
    fields->addWidget(CHK_Backward, 4, 1);

    LB_Status = new QLabel(this);
    LB_Status->setObjectName(QStringLiteral("LB_Status"));
    LB_Status->setMinimumHeight(LB_Status->fontMetrics().height());
    fields->addWidget(LB_Status, 5, 0, 1, 2);

    auto *buttons = new QDialogButtonBox(Qt::Vertical, this);
    BT_FindNext = buttons->addButton(QStringLiteral("&Find Next"), QDialogButtonBox::ActionRole);
    BT_FindNext->setObjectName(QStringLiteral("BT_FindNext"));
    BT_Replace = buttons->addButton(QStringLiteral("&Replace"), QDialogButtonBox::ActionRole);
    BT_Replace->setObjectName(QStringLiteral("BT_Replace"));
    BT_ReplaceAll = buttons->addButton(QStringLiteral("Replace &All"), QDialogButtonBox::ActionRole);
    BT_ReplaceAll->setObjectName(QStringLiteral("BT_ReplaceAll"));
    BT_Close = buttons->addButton(QStringLiteral("Close"), QDialogButtonBox::RejectRole);
    BT_Close->setObjectName(QStringLiteral("BT_Close"));
    for (QPushButton *b : {BT_Replace, BT_ReplaceAll, BT_Close})
        b->setAutoDefault(false);
    BT_FindNext->setDefault(true);
    connect(BT_FindNext, &QPushButton::clicked, this, &FindReplaceDialog::findNextClicked);
    connect(BT_Replace, &QPushButton::clicked, this, &FindReplaceDialog::replaceClicked);
    connect(BT_ReplaceAll, &QPushButton::clicked, this, &FindReplaceDialog::replaceAllClicked);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(Edt_Find, &QLineEdit::textChanged, this, [this] {
        LB_Status->clear();
        updateButtons();
    });

    auto *row = new QHBoxLayout(this);
    row->addLayout(fields, 1);
    row->addWidget(buttons);
    setReplaceMode(false);
}

void FindReplaceDialog::setReplaceMode(bool replace)
{
    m_replace = replace;
    setWindowTitle(replace ? QStringLiteral("Replace") : QStringLiteral("Find"));
    for (QWidget *w : {static_cast<QWidget *>(m_replaceLabel), static_cast<QWidget *>(Edt_Replace),
                       static_cast<QWidget *>(BT_Replace), static_cast<QWidget *>(BT_ReplaceAll)})
        w->setVisible(replace);
    updateButtons();
    adjustSize();
}

void FindReplaceDialog::setFindText(const QString &text)
{
    Edt_Find->setText(text);
    Edt_Find->selectAll();
}

QString FindReplaceDialog::findText() const
{
    return Edt_Find->text();
}

QString FindReplaceDialog::replaceText() const
{
    return Edt_Replace->text();
}

TextFinder::Options FindReplaceDialog::options() const
{
    return {CHK_MatchCase->isChecked(), CHK_WholeWords->isChecked(), CHK_Backward->isChecked()};
}

void FindReplaceDialog::setStatus(const QString &text)
{
    LB_Status->setText(text);
    if (text.isEmpty())
        return;
    // The outcome is told to a screen reader at once; the focus stays in the find field.
    LB_Status->setAccessibleName(text);
    QAccessibleEvent alert(LB_Status, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

void FindReplaceDialog::updateButtons()
{
    const bool any = !Edt_Find->text().isEmpty();
    for (QPushButton *b : {BT_FindNext, BT_Replace, BT_ReplaceAll})
        b->setEnabled(any);
}

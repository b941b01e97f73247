#include "addressbook/windows/TFM_AddEdit.h"

#include "addressbook/AddressBook.h"
#include "addressbook/AddressQuestions.h"
#include "os/AppError.h"
#include "os/DataPaths.h"
#include "product/AppInfo.h"
#include "text/StoredText.h"
#include "ui/UserDialogs.h"
#include "ui/WindowServices.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TFM_AddEdit::TFM_AddEdit(WindowServices &services, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
    , m_services(services)
{
    setObjectName(QStringLiteral("FM_AddEdit"));
    Edt_Name = new QLineEdit;
    Edt_Name->setObjectName(QStringLiteral("Edt_Name"));
    Edt_Mail = new QLineEdit;
    Edt_Mail->setObjectName(QStringLiteral("Edt_Mail"));
    Button7 = new QPushButton(QStringLiteral("&OK"));
    Button7->setObjectName(QStringLiteral("Button7"));
    Button7->setDefault(true);
    Button8 = new QPushButton(QStringLiteral("&Cancel"));
    Button8->setObjectName(QStringLiteral("Button8"));

    auto *fields = new QGridLayout;
    auto *nameLabel = new QLabel(QStringLiteral("Name:"));
    nameLabel->setBuddy(Edt_Name);
    fields->addWidget(nameLabel, 0, 0);
    fields->addWidget(Edt_Name, 0, 1);
    auto *mailLabel = new QLabel(QStringLiteral("E-Mail:"));
    mailLabel->setBuddy(Edt_Mail);
    fields->addWidget(mailLabel, 1, 0);
    fields->addWidget(Edt_Mail, 1, 1);
    fields->setColumnMinimumWidth(1, 220);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button7);
    buttons->addWidget(Button8);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(12);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(Button7, &QPushButton::clicked, this, &TFM_AddEdit::Button7Click);
    connect(Button8, &QPushButton::clicked, this, &QDialog::reject);
}

std::string TFM_AddEdit::name() const
{
    return StoredText::fromQString(Edt_Name->text());
}

std::string TFM_AddEdit::address() const
{
    return StoredText::fromQString(Edt_Mail->text());
}

void TFM_AddEdit::setEntry(const QString &caption, const std::string &name, const std::string &address)
{
    setWindowTitle(caption);
    Edt_Name->setText(StoredText::toQString(name));
    Edt_Mail->setText(StoredText::toQString(address));
}

bool TFM_AddEdit::showFor(const QString &caption, const std::string &name, const std::string &address)
{
    setEntry(caption, name, address);
    return exec() == QDialog::Accepted;
}

bool TFM_AddEdit::reportFailure(const std::exception &e)
{
    m_services.dialogs.messageBox(UserDialogs::Kind::Error, QString::fromLatin1(AppInfo::ApplicationTitle),
                                  QString::fromUtf8(e.what()));
    return false;
}

bool TFM_AddEdit::AddAddress()
{
    m_editedName.clear();
    if (!showFor(QStringLiteral("Add ..."), {}, {}))
        return false;
    try {
        AddressBook(m_services.paths.config).StoreAddress(name(), address());
    } catch (const AppError &e) {
        return reportFailure(e);
    }
    return true;
}

bool TFM_AddEdit::EditAddress(const std::string &oldName, const std::string &oldAddress)
{
    m_editedName = oldName;
    if (!showFor(QStringLiteral("Edit ..."), oldName, oldAddress))
        return false;
    try {
        AddressBook(m_services.paths.config).ReplaceAddress(oldName, name(), address());
    } catch (const AppError &e) {
        return reportFailure(e);
    }
    return true;
}

void TFM_AddEdit::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    Edt_Name->setFocus();
}

void TFM_AddEdit::Button7Click()
{
    const QString problem = AddressBook::entryProblem(name(), address());
    if (!problem.isEmpty()) {
        m_services.dialogs.messageBox(UserDialogs::Kind::Plain, QString::fromLatin1(AppInfo::ApplicationTitle), problem);
        return;
    }
    if (!confirmed(AddressQuestions::storeAnyway(address()), Edt_Mail))
        return;
    const AddressBook book(m_services.paths.config);
    if (!confirmed(AddressQuestions::replaceExisting(book, m_editedName, name(), address()), Edt_Name))
        return;
    accept();
}

bool TFM_AddEdit::confirmed(const QString &question, QLineEdit *field)
{
    if (question.isEmpty())
        return true;
    if (m_services.dialogs.messageBox(UserDialogs::Kind::Confirmation, QString::fromLatin1(AppInfo::ApplicationTitle),
                                      question, UserDialogs::Buttons::YesNo)
        == UserDialogs::Answer::Yes)
        return true;
    // No: the editor stays open on the field to change, nothing typed is lost.
    field->setFocus();
    field->selectAll();
    return false;
}

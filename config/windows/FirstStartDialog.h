#pragma once

#include "config/ConfigForm.h"
#include "discovery/AccountDiscovery.h"
#include "send/SmtpConnectionTest.h"

#include <QDialog>
#include <functional>

class AccountFinder;
class NumberBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class SmtpPassword;
struct MailProvider;
struct MainWindowLayout;
struct WindowServices;

// The first start's account questions: the name, the address and the password. "Find
// settings" looks the server up from the address and shows what was found and where from
// in boxes the person may still change; "Test settings" logs in without sending. For a
// provider that signs in through the browser the password box gives way to a note: Save
// chooses OAuth2 and the SMTP page's "Sign in" follows. Save writes Config.dat as the
// configuration dialog does; Cancel writes nothing. "Type the settings myself" closes it
// for the configuration dialog's SMTP page.
class FirstStartDialog : public QDialog
{
    Q_OBJECT

public:
    // `form` is the configuration dialog's (ConfigState's): Save writes it and takes the
    // saved values into it, so that the dialog and the save at exit show the account.
    FirstStartDialog(WindowServices &services, ConfigForm &form, SmtpPassword &password, QWidget *parent = nullptr);

    // Where Save takes the main window's keys from; without one, as the file has them.
    std::function<MainWindowLayout()> windowLayout;
    // The search and the test; by default the real ones (tests replace them).
    std::function<AccountDiscovery::Result(const QString &address)> discover;
    std::function<SmtpConnectionTest::Outcome(const SmtpAccount &account)> test;

    // After it closed: the SMTP page should open (typing everything, or signing in).
    bool wantsSmtpPage() const { return m_wantsSmtpPage; }
    // The provider that signs in through the browser for the server in the boxes, or null.
    const MailProvider *oauthProvider() const;

    // The form as a save would write it.
    ConfigForm typedForm() const;

    void save();
    void typeMyself();

private:
    void found(const AccountDiscovery::Result &result);
    void loginChanged();

    WindowServices &m_services;
    ConfigForm &m_form;
    SmtpPassword &m_password;
    bool m_wantsSmtpPage = false;
    QString m_address; // the address as the login name last followed it

    QLineEdit *Edt_FromName = nullptr;
    QLineEdit *Edt_FromAdd = nullptr;
    QLineEdit *Edt_Pass = nullptr;
    QLabel *LB_Pass = nullptr;
    QLabel *LB_SignIn = nullptr;
    QLabel *LB_Found = nullptr;
    QLineEdit *Edt_Host = nullptr;
    NumberBox *Edt_Port = nullptr;
    QComboBox *CBX_Security = nullptr;
    QLineEdit *Edt_User = nullptr;
    AccountFinder *m_finder = nullptr;
    QPushButton *Btn_Save = nullptr;
    QPushButton *Btn_TypeMyself = nullptr;
    QPushButton *Btn_Cancel = nullptr;
};

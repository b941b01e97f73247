#pragma once

#include "config/ConfigForm.h"
#include "discovery/AccountDiscovery.h"
#include "send/SmtpConnectionTest.h"

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

class AccountFinder;
class NumberBox;
class OAuthLoginBox;
class QComboBox;
class QFormLayout;
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
// provider that signs in through the browser the password box gives way to the SMTP
// page's sign-in (OAuthLoginBox), which keeps the token as it does there. Save writes
// Config.dat as the configuration dialog does; Cancel writes nothing and signs out what
// was signed in here. "Type the settings myself" closes it for the configuration
// dialog's SMTP page, which opens with what was typed here.
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

    // After it closed: the SMTP page should open, to type everything (typedForm() shows
    // there, nothing saved) or to sign in after a save without the sign-in.
    bool wantsSmtpPage() const { return m_wantsSmtpPage; }
    // The provider that signs in through the browser for the server in the boxes, or null.
    const MailProvider *oauthProvider() const;
    // Whether the login is the browser's sign-in rather than the password.
    bool oauth2() const;

    // The form as a save would write it.
    ConfigForm typedForm() const;

    void save();
    void typeMyself();
    void reject() override;
    // The sign-ins made here for an account other than the one Config.dat now has are
    // signed out (their tokens removed), so that no token is left for an account that
    // was never saved. Cancel does it; after "Type the settings myself" the caller does it
    // once the SMTP page has closed.
    void forgetUnsavedSignIns();

private:
    void found(const AccountDiscovery::Result &result);
    void hostChanged();
    void loginChosen(bool oauth2);
    // The record a save of the boxes would leave (the account the sign-in is for).
    ConfigSettings typedSettings() const;

    WindowServices &m_services;
    ConfigForm &m_form;
    SmtpPassword &m_password;
    bool m_wantsSmtpPage = false;
    QString m_address; // the address as the login name last followed it
    const MailProvider *m_hostProvider = nullptr; // the host's, when the login was last chosen
    std::vector<ConfigSettings> m_signIns;         // the accounts signed in here
    std::string m_accountBefore;                    // ACC_OAuthAccount before any of them

    QLineEdit *Edt_FromName = nullptr;
    QLineEdit *Edt_FromAdd = nullptr;
    QLineEdit *Edt_Pass = nullptr;
    QLabel *LB_Pass = nullptr;
    QLabel *LB_Found = nullptr;
    QLineEdit *Edt_Host = nullptr;
    NumberBox *Edt_Port = nullptr;
    QComboBox *CBX_Security = nullptr;
    QLineEdit *Edt_User = nullptr;
    AccountFinder *m_finder = nullptr;
    OAuthLoginBox *m_oauth = nullptr;
    QFormLayout *m_serverRows = nullptr;
    QPushButton *Btn_Save = nullptr;
    QPushButton *Btn_TypeMyself = nullptr;
    QPushButton *Btn_Cancel = nullptr;
};

#pragma once

#include "config/ConfigKeys.h"
#include "config/ConfigSettings.h"

#include <QGroupBox>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QUrl;
class SignIn;
struct MailProvider;
struct WindowServices;

// The SMTP page's login by the browser's sign-in: the choice between the password and
// OAuth2, the provider preset (Google, Microsoft, Custom) with its endpoints and client,
// "Sign in" with the browser, who is signed in and where that is kept, and "Sign out".
// Its choices and fields are boxes of the configuration form like the page's others
// (boxes()); the sign-in itself keeps its tokens at once, whether or not the dialog is
// saved afterwards.
class OAuthLoginBox : public QGroupBox
{
    Q_OBJECT

public:
    explicit OAuthLoginBox(WindowServices &services, QWidget *parent = nullptr);
    ~OAuthLoginBox() override;

    // The boxes of the form's values, by key, for the dialog's table.
    std::vector<std::pair<ConfigKey, QWidget *>> boxes() const;
    // The authentication choice, placed by the page among the account's rows.
    QComboBox *authChoice() const { return CBX_Auth; }

    // A preset was chosen: the page fills the server's host, port and security.
    std::function<void(const MailProvider &provider)> presetChosen;
    // The record as the page's controls stand (the account and the client to sign in with).
    std::function<ConfigSettings()> currentSettings;
    // Opens the provider's page (by default the person's browser).
    std::function<bool(const QUrl &url)> openBrowser;
    int signInTimeOut = 300;

    // After the page showed the form's values: a preset's endpoints in place of the saved
    // ones, and whether the account is signed in.
    void valuesShown();

    // OAuth2 with `provider`'s preset, or the password when null (the first start, from
    // the server found for the address).
    void choose(const MailProvider *provider);
    // Whether a preset's fixed endpoints and scope are shown (the first start leaves
    // them out); Custom shows them always.
    void showPresetEndpoints(bool shown);
    // A sign-in waiting for the browser is given up (its dialog closed).
    void stopSignIn();

signals:
    // OAuth2 was chosen or given up: the password is of no use with it.
    void oauth2Chosen(bool on);
    // A sign-in kept its tokens for `account` (the record it signed in with).
    void signedIn(const ConfigSettings &account);

private:
    void choiceChanged();
    void providerChosen(int index);
    void startSignIn();
    void signInFinished();
    void signOut();
    void showSignInState();

    WindowServices &m_services;
    std::unique_ptr<SignIn> m_signIn;
    ConfigSettings m_signingIn; // the account a waiting sign-in is for
    QFormLayout *m_rows = nullptr;
    bool m_presetEndpointsShown = true;

    QComboBox *CBX_Auth = nullptr;
    QComboBox *CBX_Provider = nullptr;
    QLineEdit *Edt_AuthUrl = nullptr;
    QLineEdit *Edt_TokenUrl = nullptr;
    QLineEdit *Edt_Scope = nullptr;
    QLineEdit *Edt_ClientId = nullptr;
    QLineEdit *Edt_ClientSecret = nullptr;
    QLabel *LB_ClientId = nullptr;
    QLabel *LB_SignedIn = nullptr;
    QPushButton *BTN_SignIn = nullptr;
    QPushButton *BTN_SignOut = nullptr;
};

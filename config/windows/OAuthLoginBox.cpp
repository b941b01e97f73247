#include "config/windows/OAuthLoginBox.h"
#include "config/windows/NamedWidget.h"

#include "config/KeyringTokenStore.h"
#include "config/MailProviders.h"
#include "config/OAuthSettings.h"
#include "config/OAuthTokens.h"
#include "oauth/SignIn.h"
#include "oauth/SystemBrowser.h"
#include "product/AppInfo.h"
#include "text/StoredText.h"
#include "ui/UserDialogs.h"
#include "ui/WindowServices.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

namespace {

QLabel *buddy(const char *text, QWidget *field)
{
    auto *label = new QLabel(QString::fromLatin1(text));
    label->setBuddy(field);
    return label;
}

QString view(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

OAuthLoginBox::OAuthLoginBox(WindowServices &services, QWidget *parent)
    : QGroupBox(QStringLiteral("Sign in with the browser (OAuth2)"), parent)
    , m_services(services)
{
    openBrowser = &SystemBrowser::open;
    setObjectName(QStringLiteral("GB_OAuth"));
    CBX_Auth = named<QComboBox>("CBX_Auth");
    // The item data is the value Config.dat keeps.
    CBX_Auth->addItem(QStringLiteral("Password"), QStringLiteral("Password"));
    CBX_Auth->addItem(QStringLiteral("OAuth2 (sign in with the browser)"), QStringLiteral("OAuth2"));
    CBX_Auth->setAccessibleName(QStringLiteral("Authentication"));

    CBX_Provider = named<QComboBox>("CBX_Provider");
    for (const MailProvider &p : MailProviders::all())
        if (p.login == MailProvider::Login::OAuth2)
            CBX_Provider->addItem(view(p.name), view(p.name));
    CBX_Provider->addItem(QStringLiteral("Custom"), QStringLiteral("Custom"));
    Edt_AuthUrl = named<QLineEdit>("Edt_AuthUrl");
    Edt_TokenUrl = named<QLineEdit>("Edt_TokenUrl");
    Edt_Scope = named<QLineEdit>("Edt_Scope");
    Edt_ClientId = named<QLineEdit>("Edt_ClientId");
    Edt_ClientSecret = named<QLineEdit>("Edt_ClientSecret");
    Edt_ClientSecret->setEchoMode(QLineEdit::Password);
    Edt_AuthUrl->setPlaceholderText(QStringLiteral("https://"));
    Edt_TokenUrl->setPlaceholderText(QStringLiteral("https://"));
    Edt_ClientSecret->setPlaceholderText(QStringLiteral("only where the provider issued one"));
    LB_SignedIn = named<QLabel>("LB_SignedIn");
    LB_SignedIn->setWordWrap(true);
    BTN_SignIn = named<QPushButton>("BTN_SignIn", QStringLiteral("Sign &in..."));
    BTN_SignOut = named<QPushButton>("BTN_SignOut", QStringLiteral("Sign &out"));
    for (QPushButton *b : {BTN_SignIn, BTN_SignOut})
        b->setAutoDefault(false);

    auto *rows = m_rows = new QFormLayout(this);
    rows->setVerticalSpacing(6);
    rows->addRow(buddy("Provider: ", CBX_Provider), CBX_Provider);
    rows->addRow(buddy("Authorization URL: ", Edt_AuthUrl), Edt_AuthUrl);
    rows->addRow(buddy("Token URL: ", Edt_TokenUrl), Edt_TokenUrl);
    rows->addRow(buddy("Scope: ", Edt_Scope), Edt_Scope);
    LB_ClientId = buddy("Client ID: ", Edt_ClientId);
    rows->addRow(LB_ClientId, Edt_ClientId);
    rows->addRow(buddy("Client secret: ", Edt_ClientSecret), Edt_ClientSecret);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(BTN_SignIn);
    buttons->addWidget(BTN_SignOut);
    buttons->addStretch();
    rows->addRow(buttons);
    rows->addRow(LB_SignedIn);

    connect(CBX_Auth, &QComboBox::currentIndexChanged, this, &OAuthLoginBox::choiceChanged);
    connect(CBX_Provider, &QComboBox::currentIndexChanged, this, &OAuthLoginBox::choiceChanged);
    // Only a person's choice fills the server's values; showing saved ones does not.
    connect(CBX_Provider, &QComboBox::activated, this, &OAuthLoginBox::providerChosen);
    connect(BTN_SignIn, &QPushButton::clicked, this, &OAuthLoginBox::startSignIn);
    connect(BTN_SignOut, &QPushButton::clicked, this, &OAuthLoginBox::signOut);
    choiceChanged();
}

OAuthLoginBox::~OAuthLoginBox() = default;

std::vector<std::pair<ConfigKey, QWidget *>> OAuthLoginBox::boxes() const
{
    return {{ConfigKey::ACC_SMTPAuth, CBX_Auth},         {ConfigKey::ACC_OAuthProvider, CBX_Provider},
            {ConfigKey::ACC_OAuthAuthUrl, Edt_AuthUrl},   {ConfigKey::ACC_OAuthTokenUrl, Edt_TokenUrl},
            {ConfigKey::ACC_OAuthScope, Edt_Scope},       {ConfigKey::ACC_OAuthClientId, Edt_ClientId},
            {ConfigKey::ACC_OAuthClientSecret, Edt_ClientSecret}};
}

// A preset shows its endpoints without letting them be changed; Custom asks for them. The
// client ID is asked for where the build carries none for the preset.
void OAuthLoginBox::choiceChanged()
{
    const bool oauth2 = CBX_Auth->currentData().toString() == QLatin1String("OAuth2");
    setVisible(oauth2);
    const QString provider = CBX_Provider->currentData().toString();
    const MailProvider *preset =
        provider == QLatin1String("Custom") ? nullptr : MailProviders::byName(provider.toStdString());
    for (QLineEdit *field : {Edt_AuthUrl, Edt_TokenUrl, Edt_Scope}) {
        field->setReadOnly(preset != nullptr);
        m_rows->setRowVisible(field, !preset || m_presetEndpointsShown);
    }
    if (preset) {
        Edt_AuthUrl->setText(view(preset->authorizationUrl));
        Edt_TokenUrl->setText(view(preset->tokenUrl));
        Edt_Scope->setText(view(preset->scope));
        // The addresses read from their beginning.
        for (QLineEdit *field : {Edt_AuthUrl, Edt_TokenUrl, Edt_Scope})
            field->setCursorPosition(0);
    }
    const bool builtIn = preset && !OAuthSettings::builtInClientId(provider).isEmpty();
    Edt_ClientId->setPlaceholderText(builtIn ? QStringLiteral("this program's own (leave empty)")
                                             : QStringLiteral("the ID of the application you registered (see Help)"));
    emit oauth2Chosen(oauth2);
    if (oauth2 && !m_signIn)
        showSignInState();
}

void OAuthLoginBox::providerChosen(int index)
{
    const MailProvider *preset = MailProviders::byName(CBX_Provider->itemData(index).toString().toStdString());
    if (preset && presetChosen)
        presetChosen(*preset);
}

void OAuthLoginBox::valuesShown()
{
    choiceChanged();
}

void OAuthLoginBox::showSignInState()
{
    if (m_signIn || !currentSettings || CBX_Auth->currentData().toString() != QLatin1String("OAuth2"))
        return;
    const ConfigSettings settings = currentSettings();
    const auto store = OAuthTokens::shared().store(settings);
    if (!store->read()) {
        LB_SignedIn->setText(QStringLiteral("Not signed in."));
        BTN_SignOut->setEnabled(false);
        return;
    }
    const QString account = StoredText::toQString(m_services.settings.ACC_OAuthAccount).trimmed();
    const QString user = StoredText::toQString(settings.ACC_SMTPUser).trimmed();
    LB_SignedIn->setText(QStringLiteral("Signed in as %1. %2").arg(account.isEmpty() ? user : account, store->where()));
    BTN_SignOut->setEnabled(true);
}

void OAuthLoginBox::startSignIn()
{
    if (!currentSettings)
        return;
    m_signingIn = currentSettings();
    auto signIn = std::make_unique<SignIn>(OAuthSettings::clientOf(m_signingIn));
    signIn->openBrowser = openBrowser;
    signIn->timeOutSeconds = signInTimeOut;
    connect(signIn.get(), &SignIn::finished, this, &OAuthLoginBox::signInFinished, Qt::QueuedConnection);
    if (!signIn->start()) {
        m_services.dialogs.messageBox(UserDialogs::Kind::Error, QString::fromLatin1(AppInfo::ApplicationTitle),
                                      signIn->result().problem);
        return;
    }
    m_signIn = std::move(signIn);
    BTN_SignIn->setEnabled(false);
    LB_SignedIn->setText(QStringLiteral("Waiting for the sign-in in your browser..."));
}

void OAuthLoginBox::signInFinished()
{
    if (!m_signIn)
        return;
    const SignIn::Result result = m_signIn->result();
    m_signIn.reset();
    BTN_SignIn->setEnabled(true);
    QString problem = result.problem;
    if (result.ok()
        && OAuthTokens::shared().signedIn(m_signingIn, result.refreshToken, result.accessToken, result.expiresIn,
                                          problem)) {
        // Who signed in is shown from now on; the file gets it with the next save.
        m_services.settings.ACC_OAuthAccount = StoredText::fromQString(result.account);
        showSignInState();
        emit signedIn(m_signingIn);
        return;
    }
    LB_SignedIn->setText(QStringLiteral("Not signed in."));
    m_services.dialogs.messageBox(UserDialogs::Kind::Error, QString::fromLatin1(AppInfo::ApplicationTitle), problem);
}

void OAuthLoginBox::signOut()
{
    if (!currentSettings)
        return;
    QString problem;
    if (!OAuthTokens::shared().signOut(currentSettings(), problem)) {
        m_services.dialogs.messageBox(UserDialogs::Kind::Error, QString::fromLatin1(AppInfo::ApplicationTitle), problem);
        return;
    }
    m_services.settings.ACC_OAuthAccount.clear();
    showSignInState();
}

void OAuthLoginBox::choose(const MailProvider *provider)
{
    if (provider)
        CBX_Provider->setCurrentIndex(std::max(0, CBX_Provider->findData(view(provider->name))));
    CBX_Auth->setCurrentIndex(CBX_Auth->findData(provider ? QStringLiteral("OAuth2") : QStringLiteral("Password")));
    choiceChanged();
}

void OAuthLoginBox::showPresetEndpoints(bool shown)
{
    m_presetEndpointsShown = shown;
    choiceChanged();
}

void OAuthLoginBox::stopSignIn()
{
    if (!m_signIn)
        return;
    // Its finish, queued already or not, finds nothing waiting.
    m_signIn.reset();
    BTN_SignIn->setEnabled(true);
    LB_SignedIn->setText(QStringLiteral("Not signed in."));
    showSignInState();
}

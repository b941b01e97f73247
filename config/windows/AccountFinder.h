#pragma once

#include "discovery/AccountDiscovery.h"
#include "send/SmtpConnectionTest.h"
#include "ui/CertificateQuestion.h"

#include <QWidget>
#include <functional>

class NumberBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
struct WindowServices;

// The SMTP page's "Find settings" and "Test settings": the first looks the server up from
// the address (AccountDiscovery) and, when the person agrees, puts it into the page's boxes
// (nothing is saved before Save); the second tests what the boxes hold without sending
// (SmtpConnectionTest) and shows each step with the server's words. Questions go through
// the injected dialogs; a certificate that fails the checks gets the send dialog's
// question (CertificateQuestion), and a yes is kept as a pin, as when sending.
class AccountFinder : public QWidget
{
    Q_OBJECT

public:
    // The page's boxes the finder reads and fills, and where the address comes from.
    struct Boxes
    {
        QLineEdit *host = nullptr;
        NumberBox *port = nullptr;
        QComboBox *security = nullptr; // in the order of SmtpSecurity
        QLineEdit *user = nullptr;
        QLineEdit *password = nullptr;
        std::function<QString()> address;
    };

    AccountFinder(WindowServices &services, Boxes boxes, QWidget *parent = nullptr);

    // The search and the test; by default the real ones (tests replace them).
    std::function<AccountDiscovery::Result(const QString &address)> discover;
    std::function<SmtpConnectionTest::Outcome(const SmtpAccount &account)> test;
    // The configuration database Find settings asks (empty: none); by default the saved
    // one. The SMTP page gives the one its box shows; call updateNote() when it changes.
    std::function<QString()> database;
    // What Find settings says when there is no address to look up.
    QString noAddressText = QStringLiteral("Type your mail address in Accounts (or in From Add on the page "
                                           "Personal Info) first.");

    void findSettings();
    void testSettings();
    // The note under the buttons says what Find settings asks.
    void updateNote();

    // The question the real test asks about an untrusted certificate.
    CertificateQuestion &certificateQuestion() { return m_question; }

    // The account the boxes describe, as a test uses it.
    SmtpAccount account() const;

private:
    AccountDiscovery::Result realDiscover(const QString &address) const;
    SmtpConnectionTest::Outcome realTest(const SmtpAccount &account);

    WindowServices &m_services;
    Boxes m_boxes;
    QPushButton *Btn_FindSettings = nullptr;
    QPushButton *Btn_TestSettings = nullptr;
    QLabel *LB_FindNote = nullptr;
    CertificateQuestion m_question{this};
};

#pragma once

#include "config/ConfigSettings.h"
#include "os/Clock.h"
#include "os/DataPaths.h"
#include "os/RandomSource.h"
#include "send/SendMode.h"
#include "product/LinkAddresses.h"
#include "tests/support/FakeDialogs.h"
#include "tests/support/RecordingShell.h"
#include "ui/HelpLauncher.h"
#include "ui/WindowOpener.h"
#include "ui/WindowServices.h"

#include <QList>
#include <QQueue>
#include <QTemporaryDir>
#include <cstdint>
#include <string>

// A clock that shows the time a test sets.
class FixedClock : public Clock
{
public:
    QDateTime time = QDateTime(QDate(2002, 12, 2), QTime(10, 20, 30));
    QDateTime now() const override { return time; }
};

// Answers from a queue (then 0), recording each bound asked for.
class QueuedRandom : public RandomSource
{
public:
    QQueue<int> values;
    QList<int> bounds;
    int bounded(int bound) override
    {
        bounds.append(bound);
        const int v = values.isEmpty() ? 0 : values.dequeue();
        return bound > 0 ? v % bound : 0;
    }
};

// Records every help request.
class RecordingHelp : public HelpLauncher
{
public:
    QStringList targets;
    int result = 1;
    int HtmlHelp(QObject *, const QString &target, int, int) override
    {
        targets.append(target);
        return result;
    }
};

// Records what windows asked to open, as short texts ("configuration 1", "address Pick",
// "addAddress", "tips", "about", "send Self 100,230", "mainEnabled 0"), and answers the
// address list and send requests from its fields.
class RecordingOpener : public WindowOpener
{
public:
    QStringList calls;
    bool addressListAccepted = false;
    AddressPicks picks;
    bool sendShowing = false;
    bool sendResult = true;
    bool mainEnabled = true;
    // The services the previews are made with (the fixture's own).
    WindowServices *services = nullptr;

    void showConfiguration(int page) override { calls.append(QStringLiteral("configuration %1").arg(page)); }
    bool showAddressList(AddressListUse use, AddressPicks *out) override
    {
        static const char *names[] = {"Manage", "ManageKeepClose", "Pick"};
        calls.append(QStringLiteral("address ") + QLatin1String(names[int(use)]));
        if (addressListAccepted && out)
            *out = picks;
        return addressListAccepted;
    }
    void addAddress() override { calls.append(QStringLiteral("addAddress")); }
    void showTips() override { calls.append(QStringLiteral("tips")); }
    void showAbout() override { calls.append(QStringLiteral("about")); }
    bool sendDialogShowing() const override { return sendShowing; }
    bool sendMails(const std::vector<std::int64_t> &positions, SendMode mode) override
    {
        QStringList texts;
        for (std::int64_t position : positions)
            texts << QString::number(position);
        calls.append(QStringLiteral("send ") + QLatin1String(sendModeName(mode)) + QLatin1Char(' ')
                     + texts.join(QLatin1Char(',')));
        return sendResult;
    }
    // A real preview window: the tests look at what it shows.
    void showPreview(std::function<PicturePreview::Input()> source, QWidget *owner, bool print) override;
    void setMainWindowEnabled(bool enabled) override
    {
        mainEnabled = enabled;
        calls.append(QStringLiteral("mainEnabled %1").arg(enabled ? 1 : 0));
    }
};

// Everything a window test needs: the services from fakes, a temporary data folder with a
// first-run Config.dat and an empty MailBox.dat, the settings loaded from it, and a way to
// put mails into the store.
class WindowFixture
{
public:
    WindowFixture();

    QTemporaryDir dir;
    FakeDialogs dialogs;
    RecordingShell shell;
    FixedClock clock;
    QueuedRandom random;
    ConfigSettings settings;
    DataPaths paths;
    RecordingHelp help;
    LinkAddresses links;
    RecordingOpener opener;
    WindowServices services;

    // Replaces Config.dat and loads the settings record from it again.
    void writeConfig(const QByteArray &iniText);
    // Fills the account so that sending is allowed (host, user, password, sender).
    void configureAccount(const QString &host = QStringLiteral("127.0.0.1"), int port = 25);
    // Appends a mail to the store and returns its position.
    std::int64_t addMail(const std::string &mailText, char boxCode, char attachFlag = 'N');
    // A small mail with these fields (and an RTF letter holding `letter`).
    static std::string sampleMail(const std::string &to, const std::string &subject,
                                  const std::string &letter = "Hello");
};

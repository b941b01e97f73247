#include "mail/TMailMessage.h"
#include "mailbox/MailStore.h"
#include "mailbox/windows/TFM_MailBox.h"
#include "tools/shots/ShotContext.h"
#include "tools/shots/ShotRegistry.h"
#include "ui/ComposerWindows.h"

#include <QComboBox>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QTreeView>

namespace {

// The shots click nothing that opens a composer.
class NoComposers : public ComposerWindows
{
public:
    QWidget *openNewMail(int, MailBoxHost &) override { return nullptr; }
    QWidget *openStoredMail(int, MailBoxHost &, TMailMessage &, std::int64_t, BoxCode, const QStringList &) override { return nullptr; }
};

const char *const Letter =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}{\\f1\\froman\\fcharset0 Times New Roman;}}"
    "{\\colortbl ;\\red0\\green64\\blue160;\\red192\\green0\\blue0;}"
    "\\viewkind4\\uc1\\pard\\qc\\cf1\\b\\f0\\fs32 %s\\par\r\n"
    "\\pard\\cf0\\b0\\fs20\\par\r\n"
    "Dear %s,\\par\\par\r\n"
    "our choir sings on \\b Saturday, 14 March\\b0  at \\i St. Mary's hall\\i0 . "
    "The programme and the map are attached.\\par\\par\r\n"
    "\\f1\\fs24 With warm regards,\\par\r\n"
    "\\ul Ann\\ulnone\\par}";

struct DemoMail
{
    const char *toName, *toAddress, *subject;
    int day, hour;
    char box;
    bool attachments;
};

std::string demoText(const DemoMail &d)
{
    TMailMessage m;
    m.SetFrom("Ann Sender", "ann@example.com");
    m.ToRecipients.Add(d.toName, d.toAddress);
    m.SetSubject(d.subject);
    m.SetDate(QDateTime(QDate(2026, 12, d.day), QTime(d.hour, 15, 0)));
    m.SetPlainText(QString::asprintf(Letter, d.subject, d.toName).toStdString());
    if (d.attachments) {
        m.AttachStream(std::string(2400, 'p'), "programme.pdf");
        m.AttachStream(std::string(180000, 'm'), "map-to-the-hall.png");
    }
    m.Rebuild();
    return m.SourceText();
}

// The window over its own demonstration mails in every box.
TFM_MailBox *demoWindow(ShotContext &c, int box, int row)
{
    static NoComposers composers;
    QFile store(c.paths().mailBox);
    if (store.open(QIODevice::ReadWrite))
        store.resize(MailStore::HeaderSize);
    store.close();
    const DemoMail mails[] = {
        {"Bob Builder", "bob@example.com", "Spring concert", 7, 9, 'u', true},
        {"Carol Jones", "carol@example.org", "Holiday pictures", 6, 18, 'u', false},
        {"Dave Miller", "dave@example.net", "Meeting on Friday", 4, 11, 'u', false},
        {"Erin Walsh", "erin@example.com", "Choir rehearsal moved", 8, 16, 'u', false},
        {"Frank Ode", "frank@example.org", "Quarterly report", 2, 10, 's', true},
        {"Bob Builder", "bob@example.com", "Tickets for Saturday", 3, 14, 's', false},
        {"Carol Jones", "carol@example.org", "Re: Holiday pictures", 5, 8, 's', false},
        {"Dave Miller", "dave@example.net", "Old draft", 1, 8, 't', false},
    };
    const MailStore writer(c.paths().mailBox);
    for (const DemoMail &d : mails)
        writer.AppendMail(demoText(d), d.box, d.attachments ? 'Y' : 'N');

    auto *w = new TFM_MailBox(c.services(), composers, c.config().form, c.config().layout);
    w->resize(760, 560);
    w->CBX_BoxChange(box);
    w->LstV_MailList->clearSelection();
    if (row >= 0)
        w->selectRow(row);
    return w;
}

// A menu of the main window on its own, photographed as it drops down.
QWidget *openedMenu(ShotContext &c, QMenu *(*pick)(TFM_MailBox *))
{
    TFM_MailBox *w = demoWindow(c, 1, -1);
    QMenu *menu = pick(w);
    menu->setParent(nullptr, menu->windowFlags());
    QObject::connect(menu, &QObject::destroyed, [w] { delete w; });
    return menu;
}

const bool added = [] {
    ShotRegistry::add(QStringLiteral("mailbox-unsent"), [](ShotContext &c) -> QWidget * { return demoWindow(c, 1, 1); });
    ShotRegistry::add(QStringLiteral("mailbox-sent"), [](ShotContext &c) -> QWidget * { return demoWindow(c, 0, 0); });
    ShotRegistry::add(QStringLiteral("mailbox-trash"), [](ShotContext &c) -> QWidget * { return demoWindow(c, 2, 0); });
    ShotRegistry::add(QStringLiteral("mailbox-attachments"),
                      [](ShotContext &c) -> QWidget * { return demoWindow(c, 1, 2); });
    // As narrow as it goes: the buttons keep their places, the logo gives way.
    ShotRegistry::add(QStringLiteral("mailbox-narrow"), [](ShotContext &c) -> QWidget * {
        TFM_MailBox *w = demoWindow(c, 1, 1);
        w->resize(w->minimumWidth(), 480);
        return w;
    });
    const char *menus[] = {"file", "edit", "view", "tools", "help"};
    for (int i = 0; i < 5; ++i) {
        static int index;
        ShotRegistry::add(QStringLiteral("mailbox-menu-") + QLatin1String(menus[i]), [i](ShotContext &c) {
            index = i;
            return openedMenu(c, [](TFM_MailBox *w) { return w->MainMenu1->actions().at(index)->menu(); });
        });
    }
    ShotRegistry::add(QStringLiteral("mailbox-menu-popup"), [](ShotContext &c) {
        return openedMenu(c, [](TFM_MailBox *w) { return w->PopupMenu1; });
    });
    return true;
}();

} // namespace

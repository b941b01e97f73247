#include "ComposerEditor.h"
#include "LetterPageCount.h"
#include "ShotContext.h"
#include "ShotRegistry.h"
#include "TFM_Cmps.h"

#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTextCursor>

namespace {

const char *const kLetter =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}{\\f1\\froman\\fcharset0 Times New Roman;}}"
    "{\\colortbl ;\\red0\\green64\\blue160;\\red192\\green0\\blue0;}"
    "\\viewkind4\\uc1\\pard\\qc\\cf1\\b\\f0\\fs32 Spring concert\\par\r\n"
    "\\pard\\cf0\\b0\\fs20\\par\r\n"
    "Dear friends,\\par\\par\r\n"
    "our choir sings on \\b Saturday, 14 March\\b0  at \\i St. Mary's hall\\i0 . "
    "The programme:\\par\r\n"
    "{\\pntext\\f0\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf0\\pnindent0{\\pntxtb\\'B7}}\\fi-200\\li200 Folk songs from the north\\par\r\n"
    "{\\pntext\\f0\\'B7\\tab}Two pieces for piano\\par\r\n"
    "{\\pntext\\f0\\'B7\\tab}\\cf2 A surprise\\cf0\\par\r\n"
    "\\pard\\par\\f1\\fs24 With warm regards,\\par\r\n"
    "\\ul Ann\\ulnone\\par}";

TFM_Cmps *demoComposer(ShotContext &c)
{
    auto *w = new TFM_Cmps(c.services());
    w->Editor->loadLetter(kLetter);
    // Two To lines: the address panel has grown.
    w->Memo_To->setPlainText(QStringLiteral("Bob Builder\ndan@example.net"));
    w->Memo_CC->setPlainText(QStringLiteral("carol@example.org"));
    w->Edt_Subject->setText(QStringLiteral("Spring concert"));
    w->addAttachmentRow({QStringLiteral("programme.pdf"), QStringLiteral("/home/ann/programme.pdf"), AttachmentRow::File});
    w->addAttachmentRow({QStringLiteral("map.png"), QStringLiteral("/home/ann/map.png"), AttachmentRow::File});
    QTextCursor cursor = w->Editor->textCursor();
    cursor.setPosition(60);
    w->Editor->setTextCursor(cursor);
    w->pageCount()->flush(); // the status bar shows the page count
    return w;
}

// A menu of the composer on its own, photographed as it drops down.
QWidget *openedMenu(ShotContext &c, int index)
{
    TFM_Cmps *w = demoComposer(c);
    QMenu *menu = w->MainMenu1->actions().at(index)->menu();
    menu->setParent(nullptr, menu->windowFlags());
    QObject::connect(menu, &QObject::destroyed, [w] { delete w; });
    return menu;
}

const bool added = [] {
    ShotRegistry::add(QStringLiteral("composer"), [](ShotContext &c) -> QWidget * { return demoComposer(c); });
    const char *menus[] = {"file", "edit", "style", "tools", "help"};
    for (int i = 0; i < 5; ++i)
        ShotRegistry::add(QStringLiteral("composer-menu-") + QLatin1String(menus[i]),
                          [i](ShotContext &c) { return openedMenu(c, i); });
    return true;
}();

} // namespace

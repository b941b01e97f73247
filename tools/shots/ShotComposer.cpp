#include "composer/LetterPageCount.h"
#include "composer/windows/ComposerEditor.h"
#include "composer/windows/ComposerSpelling.h"
#include "composer/windows/PictureSizeDialog.h"
#include "composer/windows/TFM_Cmps.h"
#include "tools/shots/ShotContext.h"
#include "tools/shots/ShotRegistry.h"

#include <QApplication>
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
QWidget *openedMenu(ShotContext &c, const QString &name)
{
    TFM_Cmps *w = demoComposer(c);
    QMenu *menu = w->MainMenu1->findChild<QMenu *>(name);
    menu->setParent(nullptr, menu->windowFlags());
    QObject::connect(menu, &QObject::destroyed, [w] { delete w; });
    return menu;
}

// The context menu of a misspelt word ("programme" in US English).
QWidget *spellingMenu(ShotContext &c)
{
    TFM_Cmps *w = demoComposer(c);
    w->show();
    QApplication::processEvents();
    const qsizetype at = w->Editor->toPlainText().indexOf(QLatin1String("programme"));
    QTextCursor cursor(w->Editor->document());
    cursor.setPosition(int(at) + 2);
    QMenu *menu = w->spelling()->contextMenu(w->Editor->cursorRect(cursor).center());
    w->hide();
    menu->setParent(nullptr, menu->windowFlags());
    QObject::connect(menu, &QObject::destroyed, [w] { delete w; });
    return menu;
}

const bool added = [] {
    ShotRegistry::add(QStringLiteral("composer"), [](ShotContext &c) -> QWidget * { return demoComposer(c); });
    const char *menus[][2] = {{"file", "File1"},   {"edit", "Edit1"},   {"insert", "Insert1"},
                              {"style", "Style1"}, {"tools", "Tools1"}, {"help", "Help1"}};
    for (const auto &menu : menus) {
        const QString name = QLatin1String(menu[1]);
        ShotRegistry::add(QStringLiteral("composer-menu-") + QLatin1String(menu[0]),
                          [name](ShotContext &c) { return openedMenu(c, name); });
    }
    ShotRegistry::add(QStringLiteral("composer-spelling-menu"), spellingMenu);
    ShotRegistry::add(QStringLiteral("picture-size"), [](ShotContext &) -> QWidget * {
        return new PictureSizeDialog(QSize(1160, 400), QSize(580, 200));
    });
    return true;
}();

} // namespace

#include "composer/LetterRecovery.h"
#include "composer/windows/ComposerEditor.h"
#include "composer/windows/TFM_Cmps.h"
#include "picture/windows/TFM_Preview.h"
#include "product/AppInfo.h"
#include "tools/shots/ShotContext.h"
#include "tools/shots/ShotRegistry.h"

#include <QAction>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

namespace {

const char *const kLetter =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}}"
    "{\\colortbl ;\\red0\\green64\\blue160;}"
    "\\viewkind4\\uc1\\pard\\qc\\cf1\\b\\f0\\fs32 Spring concert\\par\r\n"
    "\\pard\\cf0\\b0\\fs20\\par Dear friends,\\par\\par\r\n"
    "our choir sings on \\b Saturday, 14 March\\b0  at \\i St. Mary's hall\\i0 . Doors open at seven; "
    "the first piece starts at half past seven, and there is tea in the interval.\\par\\par\r\n"
    "With warm regards,\\par Ann\\par}";

// The preview of a composer's letter, its pages made.
QWidget *preview(ShotContext &c)
{
    auto *w = new TFM_Cmps(c.services());
    w->Editor->loadLetter(kLetter);
    w->Edt_Subject->setText(QStringLiteral("Spring concert"));
    w->findChild<QAction *>(QStringLiteral("PreviewPictures1"))->trigger();
    auto *p = w->findChild<TFM_Preview *>();
    p->waitForPages();
    p->resize(720, 900);
    // The composer goes after its preview has gone (the preview is its child).
    QObject::connect(p, &QObject::destroyed, w, [w] {
        w->setLetterChanged(false);
        w->deleteLater();
    });
    return p;
}

QWidget *printDialog(ShotContext &)
{
    auto *printer = new QPrinter;
    auto *dialog = new QPrintDialog(printer);
    QObject::connect(dialog, &QObject::destroyed, [printer] { delete printer; });
    return dialog;
}

// The start-up question, as the program's message box shows it.
QWidget *recoveryQuestion(ShotContext &)
{
    auto *box = new QMessageBox(QMessageBox::Question, QString::fromLatin1(AppInfo::ApplicationTitle),
                                LetterRecovery::question(2), QMessageBox::Yes | QMessageBox::No);
    box->setDefaultButton(QMessageBox::No);
    return box;
}

const bool added = [] {
    ShotRegistry::add(QStringLiteral("picture-preview"), preview);
    ShotRegistry::add(QStringLiteral("print-dialog"), printDialog);
    ShotRegistry::add(QStringLiteral("recovery-question"), recoveryQuestion);
    return true;
}();

} // namespace

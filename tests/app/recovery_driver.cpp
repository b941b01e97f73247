// Loaded into the real program (LD_PRELOAD) by the recovery end-to-end test, to do what a
// person would: VELLORN_DRIVE=write opens a composer and writes a mail (recipients, subject,
// letter, an attachment picked in the file dialog); VELLORN_DRIVE=recover answers the
// start-up question with Yes and writes what the brought-back composer shows into the JSON
// file VELLORN_DRIVE_REPORT. It acts through the widgets' object names only.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

namespace {

int g_step = 0;
QStringList g_questions;

QWidget *visibleWindow(const char *name)
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String(name) && w->isVisible())
            return w;
    return nullptr;
}

template <typename T> T *child(QWidget *window, const char *name)
{
    return window ? window->findChild<T *>(QLatin1String(name)) : nullptr;
}

void writeStep()
{
    // The tips window closes once the splash has gone, as a person would close it.
    if (visibleWindow("Fm_About"))
        return;
    if (QWidget *tips = visibleWindow("FM_Tips"))
        tips->close();
    // The first start asks for the account; this mail is only written, never sent.
    if (QWidget *account = visibleWindow("FirstStartDialog")) {
        if (auto *cancel = child<QAbstractButton>(account, "Btn_Cancel"))
            QTimer::singleShot(0, cancel, &QAbstractButton::click);
        return;
    }
    QWidget *main = visibleWindow("TFM_MailBox");
    QWidget *composer = visibleWindow("TFM_Cmps");
    switch (g_step) {
    case 0:
        if (main && main->isEnabled() && !QApplication::activeModalWidget()) {
            g_step = 1;
            child<QAction>(main, "FileNewCmd")->trigger();
        }
        break;
    case 1:
        if (composer) {
            g_step = 2;
            QTest::keyClicks(child<QPlainTextEdit>(composer, "Memo_To"), QStringLiteral("bob@example.com"));
            QTest::keyClicks(child<QPlainTextEdit>(composer, "Memo_CC"), QStringLiteral("carol@example.org"));
            QTest::keyClicks(child<QLineEdit>(composer, "Edt_Subject"), QStringLiteral("Before the crash"));
            QTest::keyClicks(child<QTextEdit>(composer, "Editor"), QStringLiteral("An hour of careful writing."));
            QAbstractButton *attach = child<QAbstractButton>(composer, "Attachbutton");
            QTimer::singleShot(0, attach, &QAbstractButton::click);
        }
        break;
    case 2:
        if (auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget())) {
            g_step = 3;
            // Typed into the file name box, then Enter.
            auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            name->setText(qEnvironmentVariable("VELLORN_DRIVE_FILE"));
            QTimer::singleShot(0, name, [name] { QTest::keyClick(name, Qt::Key_Return); });
        }
        break;
    default:
        break; // the autosave comes on its own
    }
}

void recoverStep()
{
    if (g_step == 0) {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            g_questions << box->text();
            if (QAbstractButton *yes = box->button(QMessageBox::Yes)) {
                g_step = 1;
                yes->click();
            } else {
                box->accept();
            }
        }
        return;
    }
    QWidget *composer = visibleWindow("TFM_Cmps");
    if (g_step != 1 || !composer)
        return;
    g_step = 2;
    QJsonArray attachments;
    auto *list = child<QListWidget>(composer, "LstV_Attach");
    for (int i = 0; i < list->count(); ++i)
        attachments.append(list->item(i)->text());
    QJsonObject report{
        {QStringLiteral("questions"), QJsonArray::fromStringList(g_questions)},
        {QStringLiteral("to"), child<QPlainTextEdit>(composer, "Memo_To")->toPlainText()},
        {QStringLiteral("cc"), child<QPlainTextEdit>(composer, "Memo_CC")->toPlainText()},
        {QStringLiteral("subject"), child<QLineEdit>(composer, "Edt_Subject")->text()},
        {QStringLiteral("letter"), child<QTextEdit>(composer, "Editor")->toPlainText()},
        {QStringLiteral("changed"), child<QTextEdit>(composer, "Editor")->document()->isModified()},
        {QStringLiteral("attachments"), attachments},
    };
    QFile out(qEnvironmentVariable("VELLORN_DRIVE_REPORT"));
    if (out.open(QIODevice::WriteOnly))
        out.write(QJsonDocument(report).toJson());
}

void startDriving()
{
    const QString mode = qEnvironmentVariable("VELLORN_DRIVE");
    if (mode.isEmpty())
        return;
    auto *timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, qApp, mode == QLatin1String("write") ? writeStep : recoverStep);
    timer->start(100);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(startDriving)

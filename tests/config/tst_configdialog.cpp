#include "config/ConfigFile.h"
#include "config/ConfigState.h"
#include "config/IniFile.h"
#include "config/windows/NumberBox.h"
#include "config/windows/TFm_Set.h"
#include "os/MemoryKeyring.h"
#include "tests/support/TestFiles.h"
#include "tests/support/windows/WindowControls.h"
#include "tests/support/windows/WindowFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSlider>
#include <QGroupBox>
#include <QTabBar>
#include <QTabWidget>
#include <QtTest>
#include <type_traits>
#include <unistd.h>
#include <variant>

using namespace WindowControls;

// The configuration dialog as a person uses it.
class TestConfigDialog : public QObject
{
    Q_OBJECT

private:
    static void show(QDialog &d)
    {
        d.show();
        QApplication::setActiveWindow(&d);
        QVERIFY(QTest::qWaitForWindowActive(&d));
    }
    static void type(NumberBox *box, const QString &text)
    {
        box->setFocus();
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClicks(box, text);
    }
    // The configuration as start-up loads it, before the dialog is made.
    static ConfigState loaded(WindowFixture &f, PasswordKeyring *keyring = nullptr)
    {
        ConfigState config(keyring);
        config.load(f.settings, f.paths.config);
        return config;
    }
    static int fileInt(const WindowFixture &f, const char *key) { return IniFile(f.paths.config).readInteger("System", key, -1); }

private slots:
    // With a large font nothing is cut: every tab shows whole, and every control of every
    // page lies inside its page with at least the height it asks for.
    void nothingClippedAtLargeFonts_data()
    {
        QTest::addColumn<int>("points");
        QTest::newRow("default font") << 0;
        QTest::newRow("15 pt") << 15;
    }
    void nothingClippedAtLargeFonts()
    {
        QFETCH(int, points);
        const QFont before = QApplication::font();
        const auto restore = qScopeGuard([&] { QApplication::setFont(before); });
        if (points > 0) {
            QFont large = before;
            large.setPointSize(points);
            QApplication::setFont(large);
        }
        WindowFixture f;
        ConfigState config = loaded(f);
        TFm_Set dialog(f.services, config.form, config.password);
        show(dialog);
        QVERIFY(dialog.width() >= 440 && dialog.height() >= 389);
        auto *pages = dialog.findChild<QTabWidget *>(QStringLiteral("PGS_Setting"));
        QTabBar *tabs = pages->tabBar();
        for (int i = 0; i < tabs->count(); ++i)
            QVERIFY2(tabs->rect().contains(tabs->tabRect(i)), qPrintable(tabs->tabText(i)));
        for (int index = 0; index < pages->count(); ++index) {
            pages->setCurrentIndex(index);
            QWidget *page = pages->widget(index);
            QCoreApplication::processEvents();
            for (QWidget *control : page->findChildren<QWidget *>()) {
                QWidget *holder = control->parentWidget();
                if (!control->isVisible() || (holder != page && !qobject_cast<QGroupBox *>(holder)))
                    continue; // the inner parts of a control
                const QString name = control->objectName() + QLatin1Char(' ') + QString::number(index);
                const QRect at(control->mapTo(page, QPoint(0, 0)), control->size());
                QVERIFY2(page->rect().contains(at), qPrintable(name));
                const int needed = control->hasHeightForWidth() ? control->heightForWidth(control->width())
                                                                : control->minimumSizeHint().height();
                QVERIFY2(control->height() >= needed, qPrintable(name + QLatin1Char(' ') + control->metaObject()->className() + QLatin1Char(' ') + QString::number(control->height()) + QLatin1Char('<') + QString::number(needed)));
            }
        }
    }

    // The SMTP page: "None" is chosen only after a warning; the password goes to the
    // keyring, the file keeps ACC_SMTPPass empty, and the page says where it is kept.
    void securityAndKeyring()
    {
        WindowFixture f;
        MemoryKeyring keyring;
        ConfigState config = loaded(f, &keyring);
        TFm_Set dialog(f.services, config.form, config.password);
        dialog.setPage(1);
        show(dialog);
        auto *security = child<QComboBox>(&dialog, "CBX_Security");
        QCOMPARE(security->currentText(), QStringLiteral("Automatic"));
        security->setFocus();
        QTest::keyClick(security, Qt::Key_End);
        QCOMPARE(security->currentText(), QStringLiteral("None"));
        QCOMPARE(f.dialogs.shown.size(), 1);
        QCOMPARE(f.dialogs.shown[0].kind, UserDialogs::Kind::Warning);
        QVERIFY(f.dialogs.shown[0].text.contains(QStringLiteral("password")));
        QVERIFY(child<QLabel>(&dialog, "LB_PassPlace")->text().contains(QStringLiteral("Config.dat")));

        child<QLineEdit>(&dialog, "Edt_Host")->setText(QStringLiteral("mail.example.org"));
        child<QLineEdit>(&dialog, "Edt_User")->setText(QStringLiteral("ann"));
        child<QLineEdit>(&dialog, "Edt_Pass")->setText(QStringLiteral("s3cret"));
        click(&dialog, "Button1");
        QVERIFY(!dialog.isVisible());
        QCOMPARE(keyring.entries.value(QStringLiteral("smtp:ann@mail.example.org")), std::string("s3cret"));
        const IniFile ini(f.paths.config);
        QCOMPARE(ini.readString("System", "ACC_SMTPPass", "?"), std::string());
        QCOMPARE(ini.readString("System", "ACC_SMTPSecurity"), std::string("none"));
        QVERIFY(ini.readFlag("System", "ACC_SMTPPassInKeyring", false));
        QCOMPARE(f.settings.ACC_SMTPPass, std::string("s3cret"));
        QVERIFY(child<QLabel>(&dialog, "LB_PassPlace")->text().contains(QStringLiteral("keyring")));

        // A new dialog (the next start) reads it back from the keyring; a locked keyring is
        // told on the page, and the password is not taken as empty by a save.
        keyring.status = PasswordKeyring::Status::Refused;
        ConfigState next = loaded(f, &keyring);
        TFm_Set reopened(f.services, next.form, next.password);
        QCOMPARE(f.settings.ACC_SMTPPass, std::string());
        QVERIFY(child<QLabel>(&reopened, "LB_PassPlace")->text().contains(QStringLiteral("could not be read")));
        show(reopened);
        click(&reopened, "Button1");
        QVERIFY(ini.readFlag("System", "ACC_SMTPPassInKeyring", false));
        keyring.status = PasswordKeyring::Status::Ok;
        QCOMPARE(keyring.entries.value(QStringLiteral("smtp:ann@mail.example.org")), std::string("s3cret"));
    }

    // Every value of the form has its box, which shows it and gives it back: values unlike
    // the first-run ones, one of each row, reach the record through Save unchanged.
    void everyValueHasItsBox()
    {
        WindowFixture f;
        ConfigState config = loaded(f);
        ConfigForm &form = config.form;
        for (const ConfigField<ConfigForm> &row : ConfigFields::form) {
            std::visit(
                [&](auto value) {
                    using T = std::decay_t<decltype(form.*value)>;
                    if constexpr (std::is_same_v<T, int>)
                        form.*value = row.entry().range->min + 1;
                    else if constexpr (std::is_same_v<T, bool>)
                        form.*value = !(form.*value);
                    else if constexpr (std::is_same_v<T, std::string>)
                        // A choice among words takes one of its own (OAuth2 and a provider
                        // whose endpoints are typed).
                        form.*value = row.key == ConfigKey::ACC_SMTPAuth        ? std::string("OAuth2")
                                      : row.key == ConfigKey::ACC_OAuthProvider ? std::string("Custom")
                                                                                : "v-" + std::string(row.entry().name);
                    else
                        form.*value = SmtpSecurity::StartTls;
                },
                row.member);
        }
        const ConfigForm given = form;
        TFm_Set dialog(f.services, form, config.password);
        for (const ConfigField<ConfigForm> &row : ConfigFields::form)
            QVERIFY2(dialog.boxOf(row.key), row.entry().name.data());
        show(dialog);
        click(&dialog, "Button1");
        QVERIFY(!dialog.isVisible());
        const ConfigForm saved = ConfigForm::showing(f.settings);
        for (const ConfigField<ConfigForm> &row : ConfigFields::form)
            std::visit([&](auto value) { QVERIFY2(saved.*value == given.*value, row.entry().name.data()); },
                       row.member);
    }

    // The number boxes: out-of-range text brought into range on leaving, letters refused,
    // text that is not an integer saved as the lower bound, Up and Down step by one.
    void numberBoxes()
    {
        WindowFixture f;
        ConfigState config = loaded(f);
        TFm_Set dialog(f.services, config.form, config.password);
        show(dialog);
        QCOMPARE(QApplication::focusWidget(), child<QPushButton>(&dialog, "Button1"));

        auto *width = child<NumberBox>(&dialog, "Edt_PW");
        type(width, QStringLiteral("2000"));
        QCOMPARE(width->text(), QStringLiteral("2000"));
        QSignalSpy refused(width, &NumberBox::keyRefused);
        QTest::keyClicks(width, QStringLiteral("ab"));
        QCOMPARE(refused.count(), 2);
        QCOMPARE(width->text(), QStringLiteral("2000"));
        child<NumberBox>(&dialog, "Edt_PH")->setFocus();
        QCOMPARE(width->text(), QStringLiteral("1024"));

        type(child<NumberBox>(&dialog, "Edt_PH"), QString());
        type(child<NumberBox>(&dialog, "Edt_ML"), QStringLiteral("1.5"));
        auto *top = child<NumberBox>(&dialog, "Edt_MT");
        top->setFocus();
        QTest::keyClick(top, Qt::Key_Down); // already at its lower bound
        QCOMPARE(top->text(), QStringLiteral("25"));
        QTest::keyClick(top, Qt::Key_Up);
        QTest::keyClick(top, Qt::Key_Up);
        QCOMPARE(top->text(), QStringLiteral("27"));
        type(child<NumberBox>(&dialog, "Edt_MB"), QStringLiteral("-40")); // saved before leaving the box

        click(&dialog, "Button1");
        QVERIFY(!dialog.isVisible());
        QCOMPARE(fileInt(f, "PIC_W"), 1024);
        QCOMPARE(fileInt(f, "PIC_H"), 160);
        QCOMPARE(fileInt(f, "PIC_ML"), 0);
        QCOMPARE(fileInt(f, "PIC_MT"), 27);
        QCOMPARE(fileInt(f, "PIC_MB"), 25);
        QCOMPARE(f.settings.PIC_W, 1024);
    }

    // A top margin below its range and a port of 2525 written by hand: the record keeps the
    // values read, the dialog shows the port as it is and the margin at its bound, and a
    // Save that did not touch them writes them back unchanged. A port typed above 999 is
    // taken.
    void loadedValuesKept()
    {
        WindowFixture f;
        QByteArray text = FirstRunConfigText();
        text.replace("PIC_MT=25\r\n", "PIC_MT=20\r\n").replace("ACC_SMTPPort=25\r\n", "ACC_SMTPPort=2525\r\n");
        text.replace("ACC_SMTPNeedLogin=True", "ACC_SMTPNeedLogin=False").replace("ACC_SMTPPass=", "ACC_SMTPPass=abc");
        TestFiles::write(f.paths.config, text);
        ConfigState config = loaded(f);
        TFm_Set dialog(f.services, config.form, config.password);
        QCOMPARE(f.settings.PIC_MT, 20);
        QCOMPARE(f.settings.ACC_SMTPPort, 2525);
        QCOMPARE(child<NumberBox>(&dialog, "Edt_MT")->text(), QStringLiteral("25"));
        QCOMPARE(child<NumberBox>(&dialog, "Edt_Port")->text(), QStringLiteral("2525"));
        QCOMPARE(child<QLineEdit>(&dialog, "Edt_Pass")->displayText(), QStringLiteral("***"));
        QVERIFY(child<QCheckBox>(&dialog, "CKBox_NeedLogin")->isHidden());

        show(dialog);
        child<QSlider>(&dialog, "TB_Quality")->setValue(10);
        click(&dialog, "Button4");
        QCOMPARE(child<QSlider>(&dialog, "TB_Quality")->value(), 75);
        click(&dialog, "Button1");
        QCOMPARE(fileInt(f, "PIC_MT"), 20);
        QCOMPARE(fileInt(f, "ACC_SMTPPort"), 2525);
        QCOMPARE(IniFile(f.paths.config).readString("System", "ACC_SMTPNeedLogin"), std::string("False"));
        QCOMPARE(f.settings.PIC_MT, 20);
        QCOMPARE(f.settings.ACC_SMTPPort, 2525);

        dialog.setPage(1);
        show(dialog);
        type(child<NumberBox>(&dialog, "Edt_Port"), QStringLiteral("1025"));
        click(&dialog, "Button1");
        QCOMPARE(fileInt(f, "ACC_SMTPPort"), 1025);
        QCOMPARE(f.settings.ACC_SMTPPort, 1025);
    }

    // Account texts typed in any script are saved (as UTF-8 where Windows-1252 cannot hold
    // them) and shown again by the dialog of the next start; Western text keeps its bytes.
    void accountTextsInAnyScript()
    {
        WindowFixture f;
        {
            ConfigState config = loaded(f);
            TFm_Set dialog(f.services, config.form, config.password);
            show(dialog);
            // Typed as an input method delivers it: key events that carry the text.
            auto typeText = [&](const char *edit, const QString &text) {
                QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
                QApplication::sendEvent(child<QLineEdit>(&dialog, edit), &key);
            };
            typeText("Edt_FromName", QStringLiteral("张三 Ωmega"));
            typeText("Edt_ReplyName", QStringLiteral("Zoë"));
            typeText("Edt_User", QStringLiteral("иван"));
            click(&dialog, "Button1");
        }
        const QByteArray file = TestFiles::read(f.paths.config);
        QVERIFY(file.contains("ACC_FromName=" + QStringLiteral("张三 Ωmega").toUtf8() + "\r\n"));
        QVERIFY(file.contains("ACC_ReplyName=Zo\xeb\r\n"));
        ConfigState again = loaded(f);
        TFm_Set reopened(f.services, again.form, again.password);
        QCOMPARE(child<QLineEdit>(&reopened, "Edt_FromName")->text(), QStringLiteral("张三 Ωmega"));
        QCOMPARE(child<QLineEdit>(&reopened, "Edt_ReplyName")->text(), QStringLiteral("Zoë"));
        QCOMPARE(child<QLineEdit>(&reopened, "Edt_User")->text(), QStringLiteral("иван"));
    }

    // Cancel and Escape close without writing and keep the record; the page stays for the
    // next showing, the controls show the saved values again, and the save at exit writes
    // nothing that was cancelled.
    void cancelEscapeAndHelp()
    {
        WindowFixture f;
        ConfigState config = loaded(f);
        TFm_Set dialog(f.services, config.form, config.password);
        const QByteArray before = TestFiles::read(f.paths.config);
        auto *pages = child<QTabWidget>(&dialog, "PGS_Setting");
        const QStringList help = {"Manual_option_picset.htm", "Manual_option_smtp.htm", "Manual_option_myinfo.htm"};
        const char *firstControl[] = {"Edt_PW", "Edt_Host", "Edt_FromName"};
        for (int page = 0; page < 3; ++page) {
            dialog.setPage(page);
            show(dialog);
            click(&dialog, "Button3");
            QCOMPARE(f.help.targets.last(), f.paths.executableFolder + "\\help.chm::/html\\" + help[page]);
            auto *control = child<QWidget>(&dialog, firstControl[page]);
            control->setFocus();
            QTest::keyClick(control, Qt::Key_Escape);
            QVERIFY(!dialog.isVisible());
            QCOMPARE(dialog.result(), int(QDialog::Rejected));
        }

        dialog.setPage(2);
        show(dialog);
        auto *fromName = child<QLineEdit>(&dialog, "Edt_FromName");
        fromName->setFocus();
        QTest::keyClicks(fromName, QStringLiteral("Mallory"));
        type(child<NumberBox>(&dialog, "Edt_PW"), QStringLiteral("300"));
        click(&dialog, "Button2");
        QVERIFY(!dialog.isVisible());
        QCOMPARE(f.settings.ACC_FromName, std::string());
        QCOMPARE(TestFiles::read(f.paths.config), before);

        dialog.setPage(-1);
        show(dialog);
        QCOMPARE(pages->currentIndex(), 2);
        QCOMPARE(fromName->text(), QString());
        QCOMPARE(child<NumberBox>(&dialog, "Edt_PW")->text(), QStringLiteral("600"));
        QTest::keyClicks(fromName, QStringLiteral("Eve"));
        dialog.close(); // the window's close is a Cancel too
        QCOMPARE(fromName->text(), QString());

        SaveConfig(f.settings, config.form, MainWindowLayout(), f.paths.config); // at exit
        QCOMPARE(IniFile(f.paths.config).readString("System", "ACC_FromName"), std::string());
        QCOMPARE(fileInt(f, "PIC_W"), 600);

        // A save: the form takes the saved values, which the next Cancel goes back to.
        show(dialog);
        QTest::keyClicks(fromName, QStringLiteral(" Ann "));
        click(&dialog, "Button1");
        QCOMPARE(config.form.Edt_FromName, std::string("Ann"));
        show(dialog);
        QCOMPARE(fromName->text(), QStringLiteral("Ann"));
        dialog.reject();
    }

    // The configuration database on the SMTP page: a first-run file, which lacks the key,
    // gains no line from a Save or the save at exit that left it alone; turned off it is
    // written empty, another address is written as typed, and a Cancel writes nothing.
    void configurationDatabase()
    {
        WindowFixture f;
        ConfigState config = loaded(f);
        QVERIFY(!TestFiles::read(f.paths.config).contains("ACC_ConfigDatabase"));
        TFm_Set dialog(f.services, config.form, config.password);
        auto *ask = child<QCheckBox>(&dialog, "CB_ConfigDatabase");
        auto *address = child<QLineEdit>(&dialog, "Edt_ConfigDatabase");
        const QString standard = QStringLiteral("https://autoconfig.thunderbird.net/v1.1/");
        const auto line = [&] {
            const QByteArray text = TestFiles::read(f.paths.config);
            const qsizetype at = text.indexOf("\nACC_ConfigDatabase=");
            return at < 0 ? QByteArray("absent") : text.mid(at + 1, text.indexOf('\r', at) - at - 1);
        };
        show(dialog);
        QVERIFY(ask->isChecked());
        QCOMPARE(address->text(), standard);
        click(&dialog, "Button1");
        SaveConfig(f.settings, config.form, MainWindowLayout(), f.paths.config); // at exit
        QCOMPARE(line(), QByteArray("absent"));

        show(dialog);
        ask->click();
        click(&dialog, "Button2");
        QCOMPARE(line(), QByteArray("absent"));
        show(dialog);
        QVERIFY(ask->isChecked());
        ask->click();
        click(&dialog, "Button1");
        QCOMPARE(line(), QByteArray("ACC_ConfigDatabase="));
        QCOMPARE(f.settings.ACC_ConfigDatabase, std::string());

        show(dialog);
        QVERIFY(!ask->isChecked() && !address->isEnabled());
        ask->click();
        QCOMPARE(address->text(), standard);
        address->setText(QStringLiteral("https://db.example.net/mail/ "));
        click(&dialog, "Button1");
        QCOMPARE(line(), QByteArray("ACC_ConfigDatabase=https://db.example.net/mail/"));
        QCOMPARE(f.settings.ACC_ConfigDatabase, std::string("https://db.example.net/mail/"));
        ConfigSettings reread;
        LoadConfig(reread, f.paths.config);
        QCOMPARE(reread.ACC_ConfigDatabase, std::string("https://db.example.net/mail/"));
    }

    // Ctrl+Tab and Ctrl+Shift+Tab turn the pages from any control (the focus goes along
    // when it was on a page); pages and buttons answer Alt with their underlined letters.
    void keys()
    {
        WindowFixture f;
        ConfigState config = loaded(f);
        TFm_Set dialog(f.services, config.form, config.password);
        auto *pages = child<QTabWidget>(&dialog, "PGS_Setting");
        show(dialog);
        QWidget *save = child<QPushButton>(&dialog, "Button1");
        QTest::keyClick(save, Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(pages->currentIndex(), 1);
        QCOMPARE(QApplication::focusWidget(), save); // the focus stays outside the pages
        auto *host = child<QLineEdit>(&dialog, "Edt_Host");
        host->setFocus();
        QTest::keyClick(host, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(pages->currentIndex(), 0);
        QCOMPARE(QApplication::focusWidget(), child<QWidget>(&dialog, "Edt_PW"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(pages->currentIndex(), 2);

        QTest::keyClick(&dialog, Qt::Key_O, Qt::AltModifier);
        QCOMPARE(pages->currentIndex(), 0);
        QTest::keyClick(&dialog, Qt::Key_N, Qt::AltModifier); // pressed a moment after the key
        QTRY_VERIFY(!child<QCheckBox>(&dialog, "CB_PN")->isChecked());
        QTest::keyClick(&dialog, Qt::Key_C, Qt::AltModifier);
        QTRY_VERIFY(!dialog.isVisible());
        QVERIFY(child<QCheckBox>(&dialog, "CB_PN")->isChecked()); // cancelled
    }

    // A Config.dat that cannot be written: the message, and the dialog stays open.
    void unwritableFile()
    {
        WindowFixture f;
        ConfigState config = loaded(f);
        TFm_Set dialog(f.services, config.form, config.password);
        QFile::setPermissions(f.paths.config, QFileDevice::ReadOwner);
        if (::geteuid() == 0) // root writes any file: a folder that does not exist instead
            f.paths.config = f.paths.folder + QStringLiteral("gone/Config.dat");
        show(dialog);
        click(&dialog, "Button1");
        QVERIFY(dialog.isVisible());
        QCOMPARE(f.dialogs.shown.size(), 1);
        QCOMPARE(f.dialogs.shown.last().text, QStringLiteral("Unable to write to ") + f.paths.config);
        QVERIFY(f.dialogs.shown.last().kind == UserDialogs::Kind::Error);
    }

    // The picture mail's switches start on; one switched off is saved off, the others on.
    void pictureMailSwitches()
    {
        WindowFixture f;
        ConfigState config = loaded(f);
        TFm_Set dialog(f.services, config.form, config.password);
        show(dialog);
        for (const char *name : {"CB_Progressive", "CB_ShortLastPage", "CB_FooterLink"})
            QVERIFY(child<QCheckBox>(&dialog, name)->isChecked());
        child<QCheckBox>(&dialog, "CB_FooterLink")->click();
        click(&dialog, "Button1");
        QCOMPARE(fileInt(f, "PIC_FooterLink"), 0);
        QCOMPARE(fileInt(f, "PIC_Progressive"), 1);
        QVERIFY(!f.settings.PIC_FooterLink && f.settings.PIC_ShortLastPage);
    }
};

QTEST_MAIN(TestConfigDialog)
#include "tst_configdialog.moc"

// The main window over a large store: from the start of the reload to a painted window,
// sorting the shown list by each column, previewing a 200 KB letter, and the resident
// memory afterwards. Runs on the offscreen platform unless another one is chosen.
//
//   mailbox_bench_window [MAILS]     default: 10000 mails (20-200 KB each), all unsent
#include "app/AppAssembly.h"
#include "bench/mailbox/StoreGenerator.h"
#include "config/ConfigSettings.h"
#include "config/DataFiles.h"
#include "mailbox/MailListModel.h"
#include "mailbox/MailStore.h"
#include "mailbox/windows/TFM_MailBox.h"
#include "os/DataPaths.h"
#include "os/ProgramIcons.h"
#include "os/RandomSource.h"
#include "os/Shell.h"
#include "os/SystemClock.h"
#include "ui/ComposerWindows.h"
#include "ui/HelpLauncher.h"
#include "ui/UserDialogs.h"

#include <QApplication>
#include <QStandardPaths>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTreeView>
#include <cstdio>
#include <fstream>
#include <string>

namespace {

// Services that answer nothing: the benchmark opens no dialog.
struct Quiet : UserDialogs, Shell, RandomSource, HelpLauncher, ComposerWindows
{
    Answer messageBox(Kind, const QString &, const QString &text, Buttons) override
    {
        std::fprintf(stderr, "box: %s\n", qPrintable(text));
        return Answer::Ok;
    }
    QString openFileName(const QString &, const QString &, const QString &) override { return {}; }
    QStringList openFileNames(const QString &, const QString &, const QString &) override { return {}; }
    QString saveFileName(const QString &, const QString &, const QString &, const QString &) override { return {}; }
    bool openUrl(const QUrl &) override { return true; }
    int bounded(int) override { return 0; }
    int HtmlHelp(QObject *, const QString &, int, int) override { return 0; }
    QWidget *openNewMail(int, MailBoxHost &) override { return nullptr; }
    QWidget *openStoredMail(int, MailBoxHost &, TMailMessage &, std::int64_t, BoxCode, const QStringList &) override { return nullptr; }
};

double ms(const QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

long residentKb()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            long kb = 0;
            status >> kb;
            return kb;
        }
        status.ignore(1 << 16, '\n');
    }
    return -1;
}

// A letter of about `bytes` bytes of RTF: paragraphs with some formatting.
std::string bigLetter(std::size_t bytes)
{
    std::string rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 ";
    for (int n = 0; rtf.size() < bytes; ++n)
        rtf += "Paragraph " + std::to_string(n) + " of a long letter, with \\b bold\\b0  and \\i italic\\i0  words "
               "so that the reader has something to lay out.\\par\r\n";
    return rtf + "}";
}

void paint(TFM_MailBox &w)
{
    w.repaint();
    QApplication::processEvents();
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The demonstration windows must not touch the user's own settings (the program's
    // registry values among them).
    QStandardPaths::setTestModeEnabled(true);
    ProgramIcons::installFallbackTheme();
    const int mails = argc > 1 ? std::atoi(argv[1]) : 10000;

    QTemporaryDir dir;
    const DataPaths paths = DataPaths::besideExecutable(dir.path());
    DataFiles::ensureConfigFile(paths.config);
    QElapsedTimer t;
    t.start();
    QRandomGenerator rng(2002);
    StoreGenerator::writeStore(paths.mailBox, mails, "u", rng);
    const std::string letter = "From: \"Ann\" <ann@example.com>\r\nTo: \"Bob\" <bob@example.com>\r\nSubject: Long letter\r\n"
                               "Date: Sun, 01 Dec 2002 00:00:00 +0000\r\nMIME-Version: 1.0\r\n"
                               "Content-Type: text/plain; charset=\"iso-8859-1\"\r\nContent-Transfer-Encoding: 8bit\r\n\r\n"
                               + bigLetter(200 * 1024) + "\r\n";
    MailStore(paths.mailBox).AppendMail(letter, 'u', 'N');
    std::printf("store: %d generated mails (20-200 KB) and one 200 KB letter, in %.1f s\n", mails, ms(t) / 1e3);

    ConfigSettings settings;
    Quiet quiet;
    SystemClock clock;
    AppAssembly parts({quiet, quiet, clock, quiet, quiet}, settings, paths);
    parts.loadConfiguration();

    const long before = residentKb();
    t.start();
    TFM_MailBox &w = parts.createMainWindow(quiet); // its creation reloads the boxes
    w.show();
    paint(w);
    std::printf("window created, boxes reloaded and painted: %.1f ms (%d rows shown)\n", ms(t),
                w.mailListModel()->rowCount());
    t.start();
    w.ReloadBoxes();
    w.UpdateBoxCounts();
    paint(w);
    std::printf("ReloadBoxes to painted window: %.1f ms\n", ms(t));

    const char *names[] = {"", "", "to", "subject", "time", "size"};
    for (int column : {2, 3, 4, 5, 3}) {
        t.start();
        w.sortBy(column);
        paint(w);
        std::printf("sort by %-7s and paint: %.1f ms\n", names[column], ms(t));
    }

    // The letter is the oldest mail: first when sorted by time.
    w.sortBy(4);
    t.start();
    w.selectRow(0);
    paint(w);
    std::printf("preview of the 200 KB letter (%lld characters shown): %.1f ms\n",
                static_cast<long long>(w.Edt_body->document()->characterCount()), ms(t));
    t.start();
    w.selectRow(1);
    paint(w);
    std::printf("preview of a picture mail without letter: %.1f ms\n", ms(t));

    std::printf("resident memory: %.1f MB (%.1f MB before the window)\n", double(residentKb()) / 1024,
                double(before) / 1024);
    return 0;
}

// Storing a composed mail: a 20-page letter with a 20 MB attachment, built into the
// composer's message and appended to the store. Prints the time and the peak memory the
// store took beyond what the process held before.
#include "composer/MailStorer.h"
#include "config/ConfigSettings.h"
#include "config/DataFiles.h"
#include "mail/TMailMessage.h"
#include "os/Clock.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>

namespace {

class NowClock : public Clock
{
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

// A field of /proc/self/status in KB ("VmHWM", "VmRSS").
long statusKb(const char *field)
{
    std::ifstream in("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(field) + ":";
    while (std::getline(in, line))
        if (line.rfind(prefix, 0) == 0)
            return std::stol(line.substr(prefix.size()));
    return -1;
}

// Starts a new peak: the high-water mark falls back to what the process holds now.
void resetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

void fillLetter(QTextDocument &doc)
{
    QTextCursor c(&doc);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    // 20 pages of about 45 lines.
    for (int line = 0; line < 900; ++line) {
        c.insertText(QStringLiteral("Line %1 of the letter, with ").arg(line), QTextCharFormat());
        c.insertText(QStringLiteral("bold words"), bold);
        c.insertText(QStringLiteral(" and the rest of a line that runs on."), QTextCharFormat());
        c.insertBlock();
    }
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("Config.dat"));
    const QString mailBox = dir.filePath(QStringLiteral("MailBox.dat"));
    DataFiles::ensureConfigFile(config);
    DataFiles::ensureMailBoxFile(mailBox);

    const qint64 attachmentSize = 20 * 1024 * 1024;
    const QString attachment = dir.filePath(QStringLiteral("big.bin"));
    {
        std::string bytes(static_cast<std::size_t>(attachmentSize), '\0');
        std::mt19937 random(7);
        for (char &b : bytes)
            b = static_cast<char>(random());
        QFile file(attachment);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes.data(), attachmentSize) != attachmentSize)
            return 1;
    }

    QTextDocument letter;
    fillLetter(letter);
    ConfigSettings settings = ConfigSettings::firstRun();
    settings.ACC_FromName = "Ann Sender";
    settings.ACC_FromAdd = "ann@example.com";
    NowClock clock;
    const MailStorer storer(settings, clock, mailBox, config, dir.path());
    ComposedMail mail{&letter, QStringLiteral("bob@example.com"), {}, {}, QStringLiteral("Big"),
                      ComposeMode::New, BoxCode::Unsent};

    for (int run = 0; run < 3; ++run) {
        std::vector<AttachmentRow> rows{{QStringLiteral("big.bin"), attachment, AttachmentRow::File}};
        TMailMessage msg;
        const long before = statusKb("VmRSS");
        resetPeak();
        QElapsedTimer timer;
        timer.start();
        storer.StoreMail(msg, mail, rows);
        const qint64 ms = timer.elapsed();
        const long peak = statusKb("VmHWM") - before;
        std::printf("StoreMail, 20-page letter + 20 MB attachment: %lld ms, peak memory +%.1f MB (%.2f x the attachment)\n",
                    static_cast<long long>(ms), peak / 1024.0, peak * 1024.0 / double(attachmentSize));
    }
    return 0;
}

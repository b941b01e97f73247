#include "shell/TipsOfTheDay.h"

#include "config/IniFile.h"
#include "os/RandomSource.h"

#include <QFile>

TipsOfTheDay::TipsOfTheDay() = default;

const QStringList &TipsOfTheDay::titles()
{
    static const QStringList list = {
        QStringLiteral("Compose mail containa grid:"),
        QStringLiteral("Picture Quality:"),
        QStringLiteral("Cancel process:"),
        QStringLiteral("Send by MS Outlook Express:"),
        QStringLiteral("Upgrade Note:"),
        QStringLiteral("Import RichText:"),
    };
    return list;
}

const QStringList &TipsOfTheDay::texts()
{
    static const QStringList list = {
        QStringLiteral("You can copy the grid form other document editing software. And paste it to Vellorn "
                       "Composer Editor."),
        QStringLiteral("Default Picture Quality value is 75, and 100 is the best quality, mail size is big if "
                       "picture quality is high."),
        QStringLiteral("The time is long when you send a long text mail, You can cancel process when Vellorn "
                       "Compose is sending. But do not cancel process when Vellorn Compose is generating mail."),
        // The trailing blank belongs to the text.
        QStringLiteral("Vellorn Composer also can generate a outside mail file, and let MS Outlook Express open "
                       "it.(You must sure that you have installed MicroSoft Outlook Express) "),
        QStringLiteral("Select original Vellorn Composer path in Select Destination Directory when installing to "
                       "upgrade. All old mails or address book are still available in the upgrade version. You "
                       "do not must reinstall Vellorn Composer when reinstall Windows."),
        QStringLiteral("You can import RichText form other RichText document editing software.Click Import button "
                       "to pop up a Open File dialog box, Then select the RichText file you wanna import."),
    };
    return list;
}

void TipsOfTheDay::start(RandomSource &random)
{
    show(random.bounded(count()));
}

void TipsOfTheDay::show(int index)
{
    const int n = count();
    m_index = ((index % n) + n) % n;
}

void TipsOfTheDay::previous()
{
    show(m_index - 1);
}

void TipsOfTheDay::next()
{
    show(m_index + 1);
}

QStringList TipsOfTheDay::memoLines() const
{
    return {QStringLiteral(" "), titles().at(m_index), QStringLiteral(" "), texts().at(m_index)};
}

bool TipsOfTheDay::readShowTips(const QString &configPath)
{
    if (!QFile::exists(configPath)) {
        // Owner only, like every Config.dat: it holds the password once the account is set.
        QFile file(configPath);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner))
            file.write(" \r\n");
    }
    return IniFile(configPath).readFlag("System", "WND_ShowTips", true);
}

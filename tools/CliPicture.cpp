// vellorn-cli render / picture: the page rendering and the picture mail of the send
// job, without a window.
#include "tools/CliPrograms.h"
#include "tools/CliRegistry.h"
#include "tools/CliSupport.h"

#include "config/ConfigFile.h"
#include "config/ConfigSettings.h"
#include "picture/PagePicture.h"
#include "picture/PageRenderer.h"
#include "picture/SendJob.h"
#include "richtext/LetterDocument.h"

#include <QDir>
#include <QFileInfo>
#include <QTextDocument>
#include <cstdio>

namespace {

// Settings of [System] in CONFIG with the fallbacks of missing keys; without --config,
// the values of a first-run Config.dat.
bool loadSettings(QStringList &args, ConfigSettings &settings)
{
    bool bad = false;
    const std::optional<QString> config = Cli::takeOption(args, QStringLiteral("--config"), &bad);
    if (bad)
        return false;
    settings = ConfigSettings::firstRun();
    if (config) {
        if (!QFileInfo(*config).isFile()) {
            Cli::fail(QStringLiteral("cannot read %1: no such file").arg(*config));
            return false;
        }
        LoadConfig(settings, *config);
    }
    return true;
}

bool takeOutput(QStringList &args, QString &out)
{
    bool bad = false;
    const std::optional<QString> value = Cli::takeOption(args, QStringLiteral("-o"), &bad);
    if (bad)
        return false;
    if (!value) {
        Cli::fail(QStringLiteral("missing -o"));
        return false;
    }
    out = *value;
    return true;
}

int renderCommand(const QStringList &arguments)
{
    QStringList args = arguments;
    ConfigSettings settings;
    QString dir;
    if (!loadSettings(args, settings) || !takeOutput(args, dir))
        return 1;
    if (args.size() != 1)
        return Cli::fail(QStringLiteral("usage: render LETTER -o DIR [--config CONFIG]"));
    const std::optional<std::string> letter = Cli::readFile(args.first());
    if (!letter)
        return 1;
    if (!QDir().mkpath(dir))
        return Cli::fail(QStringLiteral("cannot create folder %1").arg(dir));

    QTextDocument doc;
    LetterDocument::load(*letter, &doc);
    PageRenderer renderer(settings);
    bool written = true;
    renderer.pageReady = [&](int page, std::string_view picture) {
        if (written)
            written = Cli::writeFile(QDir(dir).filePath(PagePicture::fileNameText(page, picture)), std::string(picture));
    };
    const int pages = renderer.render(doc);
    if (!written)
        return 1;
    std::printf("%d\n", pages);
    return 0;
}

int pictureCommand(const QStringList &arguments)
{
    QStringList args = arguments;
    ConfigSettings settings;
    QString out;
    if (!loadSettings(args, settings) || !takeOutput(args, out))
        return 1;
    if (args.size() != 1)
        return Cli::fail(QStringLiteral("usage: picture MAILFILE -o OUT.eml [--config CONFIG]"));
    const std::optional<std::string> text = Cli::readFile(args.first());
    if (!text)
        return 1;

    SendJob job(settings);
    job.LoadMailText(*text);
    job.RenderPages();
    job.BuildHtmlBody();
    job.Rebuild();
    job.SaveToFile(out);
    std::printf("%d\n", job.PageCount);
    return 0;
}

CliCommand renderCmd(CliPrograms::Render.name, CliPrograms::Render.usage, &renderCommand);
CliCommand pictureCmd(CliPrograms::Picture.name, CliPrograms::Picture.usage, &pictureCommand);

} // namespace

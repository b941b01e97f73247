#include "tools/CliPrograms.h"
#include "tools/CliRegistry.h"
#include "tools/CliSupport.h"

#include "richtext/LetterDocument.h"
#include "richtext/writing/RtfWriter.h"

#include <QTextDocument>

// vellorn-cli rtf text|html|write FILE: the rich-text stand-in on the command line.
namespace {

int rtfCommand(const QStringList &args)
{
    static const QString usage = QStringLiteral("usage: vellorn-cli rtf text|html|write FILE");
    if (args.size() != 2)
        return Cli::fail(usage);
    const QString mode = args.at(0);
    if (mode != QLatin1String("text") && mode != QLatin1String("html") && mode != QLatin1String("write"))
        return Cli::fail(QStringLiteral("unknown rtf mode \"%1\" (%2)").arg(mode, usage));
    const std::optional<std::string> bytes = Cli::readFile(args.at(1));
    if (!bytes)
        return 1;
    QTextDocument doc;
    LetterDocument::load(*bytes, &doc);
    if (mode == QLatin1String("write")) {
        Cli::writeStdout(RtfWriter::write(doc));
        return 0;
    }
    QString out;
    if (mode == QLatin1String("html")) {
        out = doc.toHtml();
    } else {
        // Pictures have no text of their own.
        out = doc.toPlainText().remove(QChar::ObjectReplacementCharacter);
    }
    if (!out.isEmpty() && !out.endsWith(QLatin1Char('\n')))
        out += QLatin1Char('\n');
    const QByteArray utf8 = out.toUtf8();
    Cli::writeStdout(std::string(utf8.constData(), static_cast<size_t>(utf8.size())));
    return 0;
}

CliCommand rtfCmd(CliPrograms::Rtf.name, CliPrograms::Rtf.usage, &rtfCommand);

} // namespace

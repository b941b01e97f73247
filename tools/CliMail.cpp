// vellorn-cli dump / build: the mail model from the command line.
#include "tools/CliRegistry.h"
#include "tools/CliSupport.h"

#include "mail/AddressList.h"
#include "mail/HeaderLineBreaks.h"
#include "mail/TMailMessage.h"
#include "os/AppError.h"
#include "os/LocalTime.h"
#include "text/Ansi.h"
#include "text/LineBreaks.h"
#include "text/StoredText.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// Raw bytes (header lines, content types) as JSON text: Windows-1252, so that the output
// is valid UTF-8 whatever the bytes.
QJsonValue text(std::string_view bytes)
{
    return Ansi::toQString(bytes);
}

QJsonArray nameAndAddress(const QString &name, const QString &address)
{
    return QJsonArray{name, address};
}

QJsonArray recipients(const TMailRecipients &list)
{
    // The whole lists at once: asking entry by entry compares the header text again for
    // every entry.
    const std::vector<QString> &names = list.Texts();
    const std::vector<std::string> &addresses = list.Addresses();
    QJsonArray out;
    for (std::size_t i = 0; i < addresses.size() && i < names.size(); ++i)
        out.append(nameAndAddress(names[i], StoredText::toQString(addresses[i])));
    return out;
}

// A text body with the charset it was read in; null when the mail has none.
QJsonValue body(const TMailPart *part, const QString &text, const std::string &charset)
{
    if (!part)
        return QJsonValue::Null;
    return QJsonObject{{QStringLiteral("charset"), QString::fromStdString(charset)}, {QStringLiteral("text"), text}};
}

// The part tree, built bottom-up without recursion (a loaded tree may be 100 levels deep).
QJsonObject tree(const TMailPart *root)
{
    struct Node
    {
        const TMailPart *part;
        int next;
        QJsonArray parts;
    };
    auto describe = [](const TMailPart *part, const QJsonArray &parts) {
        QJsonArray headers;
        for (const std::string &line : part->Headers)
            headers.append(text(line));
        QJsonObject o;
        o.insert(QStringLiteral("content_type"), text(part->EffectiveContentType()));
        o.insert(QStringLiteral("boundary"), text(part->Boundary()));
        o.insert(QStringLiteral("headers"), headers);
        o.insert(QStringLiteral("parts"), parts);
        return o;
    };
    std::vector<Node> stack{{root, 0, {}}};
    QJsonObject result;
    while (!stack.empty()) {
        Node &node = stack.back();
        if (node.next < node.part->SubParts.Count()) {
            const TMailPart *child = node.part->SubParts[node.next++];
            stack.push_back({child, 0, {}});
            continue;
        }
        const QJsonObject o = describe(node.part, node.parts);
        stack.pop_back();
        if (stack.empty())
            result = o;
        else
            stack.back().parts.append(o);
    }
    return result;
}

int dump(const QStringList &args)
{
    if (args.size() != 1)
        return Cli::fail(QStringLiteral("usage: dump FILE"));
    std::optional<std::string> bytes = Cli::readFile(args.first());
    if (!bytes)
        return 1;
    // Line ends as the mail store keeps them: every CR LF, lone CR or lone LF becomes CR LF.
    // A lone CR in the header block is a blank, as the mail reader takes it.
    HeaderLineBreaks::makeMailCrLf(*bytes);
    TMailMessage message;
    try {
        message.Clear();
        // The message takes the text over: every body is a stretch of it, not a copy.
        message.LoadFromString(std::move(*bytes));
        message.ScanParts();
    } catch (const AppError &e) {
        return Cli::fail(QString::fromUtf8(e.what()));
    }

    QString name, address;
    QJsonObject o;
    o.insert(QStringLiteral("content_type"), text(message.EffectiveContentType()));
    o.insert(QStringLiteral("subject"), message.SubjectText());
    message.ReadAddressText("From", name, address);
    o.insert(QStringLiteral("from"), nameAndAddress(name, address));
    message.ReadAddressText("Reply-To", name, address);
    o.insert(QStringLiteral("reply_to"), nameAndAddress(name, address));
    o.insert(QStringLiteral("to"), recipients(message.ToRecipients));
    o.insert(QStringLiteral("cc"), recipients(message.CcRecipients));
    o.insert(QStringLiteral("bcc"), recipients(message.BccRecipients));
    o.insert(QStringLiteral("date"), text(message.HeaderValue("Date")));
    o.insert(QStringLiteral("message_id"), text(message.HeaderValue("Message-ID")));
    std::string plainCharset, htmlCharset;
    const QString plain = message.PlainBodyText(&plainCharset);
    const QString html = message.HtmlBodyText(&htmlCharset);
    o.insert(QStringLiteral("plain"), body(message.PlainPart, plain, plainCharset));
    o.insert(QStringLiteral("html"), body(message.HtmlPart, html, htmlCharset));
    QJsonArray attachments;
    for (TMailPart *part : message.Attachments) {
        // The digest is taken as the file is decoded: a base64 file is never held whole.
        QCryptographicHash hash(QCryptographicHash::Sha256);
        qint64 size = 0;
        part->WriteDecoded([&hash, &size](std::string_view piece) {
            hash.addData(QByteArrayView(piece.data(), static_cast<qsizetype>(piece.size())));
            size += static_cast<qint64>(piece.size());
        });
        QJsonObject a;
        a.insert(QStringLiteral("name"), part->AttachmentFileNameText());
        a.insert(QStringLiteral("content_type"), text(part->EffectiveContentType()));
        a.insert(QStringLiteral("embedded"), part->IsEmbedded);
        a.insert(QStringLiteral("size"), size);
        a.insert(QStringLiteral("sha256"), QString::fromLatin1(hash.result().toHex()));
        attachments.append(a);
        // Nothing needs a file decoded whole again: at most one is held at a time.
        std::string().swap(part->DecodedBody);
        part->IsDecoded = false;
    }
    o.insert(QStringLiteral("attachments"), attachments);
    o.insert(QStringLiteral("tree"), tree(&message));
    Cli::writeStdout(QJsonDocument(o).toJson(QJsonDocument::Indented).toStdString());
    return 0;
}

std::vector<AddressList::Entry> readList(const QString &arg)
{
    const QByteArray utf8 = arg.toUtf8();
    return AddressList::read(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

// "NAME <ADDR>" (the name may be quoted) or an address alone, read as every address is;
// a refusal names the option.
void splitRecipient(const QString &option, const QString &arg, QString &name, QString &address)
{
    const std::vector<AddressList::Entry> entries = readList(arg);
    if (entries.size() != 1 || !entries.front().error.empty()) {
        const std::string why = entries.empty() ? "no address" : entries.size() > 1 ? "more than one address"
                                                                                      : entries.front().error;
        throw AppError(option.toStdString() + ": " + why);
    }
    name = QString::fromUtf8(entries.front().name);
    address = QString::fromUtf8(entries.front().address);
}

// Each argument is an address list: "a@x.test, \"B, Jr.\" <b@y.test>".
void setRecipients(TMailRecipients &list, const QString &option, const QStringList &args)
{
    QStringList names, addresses;
    for (const QString &arg : args) {
        for (const AddressList::Entry &e : readList(arg)) {
            if (!e.error.empty())
                throw AppError(option.toStdString() + ": " + e.error);
            names << QString::fromUtf8(e.name);
            addresses << QString::fromUtf8(e.address);
        }
    }
    list.SetAllText(names, addresses);
}

int build(const QStringList &argsIn)
{
    QStringList args = argsIn;
    bool error = false;
    const std::optional<QString> out = Cli::takeOption(args, QStringLiteral("-o"), &error);
    const std::optional<QString> subject = Cli::takeOption(args, QStringLiteral("--subject"), &error);
    const std::optional<QString> from = Cli::takeOption(args, QStringLiteral("--from"), &error);
    const std::optional<QString> replyTo = Cli::takeOption(args, QStringLiteral("--reply-to"), &error);
    const QStringList to = Cli::takeAllOptions(args, QStringLiteral("--to"), &error);
    const QStringList cc = Cli::takeAllOptions(args, QStringLiteral("--cc"), &error);
    const QStringList bcc = Cli::takeAllOptions(args, QStringLiteral("--bcc"), &error);
    const std::optional<QString> plain = Cli::takeOption(args, QStringLiteral("--plain"), &error);
    const std::optional<QString> html = Cli::takeOption(args, QStringLiteral("--html"), &error);
    const QStringList attach = Cli::takeAllOptions(args, QStringLiteral("--attach"), &error);
    const QStringList embed = Cli::takeAllOptions(args, QStringLiteral("--embed"), &error);
    if (error)
        return 1;
    if (!args.isEmpty())
        return Cli::fail(QStringLiteral("build: unknown argument %1").arg(args.first()));
    if (!out)
        return Cli::fail(QStringLiteral("build: -o OUT is required"));

    std::optional<std::string> plainText, htmlText;
    if (plain && !(plainText = Cli::readFile(*plain)))
        return 1;
    if (html && !(htmlText = Cli::readFile(*html)))
        return 1;

    TMailMessage message;
    try {
        message.Clear();
        if (subject)
            message.SetSubjectText(*subject);
        message.SetDate(LocalTime::now());
        QString name, address;
        if (from) {
            splitRecipient(QStringLiteral("--from"), *from, name, address);
            message.SetFromText(name, address);
        }
        if (replyTo) {
            splitRecipient(QStringLiteral("--reply-to"), *replyTo, name, address);
            message.SetReplyToText(name, address);
        }
        setRecipients(message.ToRecipients, QStringLiteral("--to"), to);
        setRecipients(message.CcRecipients, QStringLiteral("--cc"), cc);
        setRecipients(message.BccRecipients, QStringLiteral("--bcc"), bcc);
        // Text files are read as UTF-8 when they are that, else as Windows-1252.
        if (plainText)
            message.SetPlainBody(StoredText::toQString(*plainText));
        if (htmlText)
            message.SetHtmlBody(StoredText::toQString(*htmlText));
        // Each file is encoded while it is read: only its encoded text is held.
        for (const QString &file : attach)
            message.AttachFilePathEncoded(file, {}, false);
        for (const QString &file : embed)
            message.AttachFilePathEncoded(file, {}, true);
        // Written as it is built: the encoded attachments are not copied into one text.
        return Cli::writeFile(*out, [&message](const Cli::PieceSink &sink) { message.WriteRebuilt(sink); }) ? 0 : 1;
    } catch (const AppError &e) {
        return Cli::fail(QString::fromUtf8(e.what()));
    }
}

const CliCommand dumpCommand("dump", "dump FILE  (a mail text as JSON: fields, bodies, attachments, part tree)", dump);
const CliCommand buildCommand("build",
                              "build -o OUT [--subject TEXT] [--from \"NAME <ADDR>\"] [--reply-to ...] [--to ...]... "
                              "[--cc ...]... [--bcc ...]... [--plain FILE] [--html FILE] [--attach FILE]... "
                              "[--embed FILE]...",
                              build);

} // namespace

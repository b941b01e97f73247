// The message as a builder: creation and clearing, text bodies, attachments, the
// arrangement of the multipart containers and writing the message text (Rebuild).
#include "mail/TMailMessage.h"

#include "mail/DisplayName.h"
#include "mail/HeaderLineBreaks.h"
#include "mail/Base64.h"
#include "mail/ContentTypes.h"
#include "mail/HeaderFolding.h"
#include "mail/HeaderWords.h"
#include "mail/RandomSource.h"
#include "mail/StringHelpers.h"
#include "os/AppError.h"
#include "os/FileBytes.h"
#include "os/MessagePump.h"
#include "text/Ansi.h"
#include "text/LineBreaks.h"

#include "mail/MailText.h"
#include "text/StoredText.h"

#include <QFile>
#include <QUrl>

#include <algorithm>
#include <unordered_set>

namespace {

// Errors name the file in UTF-8, as every error message.
void openAttachment(QFile &file, const QString &path)
{
    if (!file.open(QIODevice::ReadOnly))
        throw AppError("Cannot open file \"" + path.toStdString() + "\"");
}

[[noreturn]] void attachmentUnreadable(const QString &path)
{
    throw AppError("Cannot read file \"" + path.toStdString() + "\"");
}

// The whole file, or AppError naming the file.
std::string readAttachment(const QString &path)
{
    QFile file(path);
    openAttachment(file, path);
    std::string bytes;
    if (!FileBytes::readAll(file, bytes))
        attachmentUnreadable(path);
    return bytes;
}

// The file's base64 text (Base64EncodeStream's), encoded as it is read: only a piece of
// the file is held at a time. The same errors as readAttachment.
std::string readAttachmentBase64(const QString &path)
{
    QFile file(path);
    openAttachment(file, path);
    std::string encoded;
    // A regular file's text is sized once; a pipe's grows as it comes.
    const qint64 size = file.isSequential() ? 0 : file.size() - file.pos();
    if (size > 0)
        encoded.reserve(Base64StreamSize(static_cast<std::size_t>(size)));
    // Whole 76-character lines per piece, so that the pieces' text is the whole file's.
    std::string piece(57 * 16384, '\0');
    for (;;) {
        std::size_t got = 0;
        while (got < piece.size()) {
            const qint64 n = file.read(piece.data() + got, static_cast<qint64>(piece.size() - got));
            if (n < 0)
                attachmentUnreadable(path);
            if (n == 0)
                break;
            got += static_cast<std::size_t>(n);
        }
        Base64EncodeStreamAppend(std::string_view(piece.data(), got), encoded);
        if (got < piece.size())
            return encoded;
    }
}

// A file name inside a Content-ID or a Content-Location: its Windows-1252 bytes as always,
// or, for a name that code page cannot hold, its UTF-8 in URL escapes.
std::string nameInReference(const QString &name)
{
    if (std::optional<std::string> bytes = StoredText::windows1252(name))
        return std::move(*bytes);
    return QUrl::toPercentEncoding(name, "!$&'()*+,;=:@ ").toStdString();
}

// The file name without its path, with CR and LF removed so that it cannot start a
// new header line.
std::string bareFileName(std::string_view fileName)
{
    const std::size_t slash = fileName.find_last_of("/\\");
    if (slash != std::string_view::npos)
        fileName.remove_prefix(slash + 1);
    return WithoutLineBreaks(fileName);
}

// The same for a name in characters.
QString bareFileNameText(const QString &fileName)
{
    QString name = fileName.mid(std::max(fileName.lastIndexOf(u'/'), fileName.lastIndexOf(u'\\')) + 1);
    name.remove(u'\r').remove(u'\n');
    return name;
}

// Every line of the field, in one pass (a mail may repeat a field thousands of times).
void removeAllFields(TMailPart *part, std::string_view name)
{
    const std::string prefix = std::string(name) + ":";
    std::erase_if(part->Headers, [&](const std::string &line) { return StartsWithNoCase(line, prefix); });
}

} // namespace

TMailMessage::TMailMessage()
    : TMailPart(nullptr), ToRecipients(this, "To"), CcRecipients(this, "Cc"), BccRecipients(this, "Bcc")
{
    OwnerMessage = this;
    Name = "MailMessage1";
}

TMailMessage::~TMailMessage()
{
    Attachments.Clear();
    destroySubParts();
    while (!m_ownedParts.empty())
        delete *m_ownedParts.begin();
}

TMailPart *TMailMessage::newPart()
{
    TMailPart *part = new TMailPart(this);
    part->OwnerMessage = this;
    return part;
}

void TMailMessage::destroyPart(TMailPart *part)
{
    if (!part || part == this)
        return;
    part->Detach();
    delete part;
}

void TMailMessage::partDestroyed(TMailPart *part)
{
    m_ownedParts.erase(part);
    if (!Attachments.IsEmpty())
        while (Attachments.Remove(part) >= 0) {
        }
    for (TMailPart **ref : {&PlainPart, &HtmlPart, &MixedPart, &RelatedPart, &AlternativePart, &TextContainer})
        if (*ref == part)
            *ref = nullptr;
}

void TMailMessage::Clear()
{
    Attachments.Clear();
    PlainPart = HtmlPart = MixedPart = RelatedPart = AlternativePart = TextContainer = nullptr;
    destroySubParts();
    while (!m_ownedParts.empty())
        delete *m_ownedParts.begin();
    Headers.clear();
    EncodedBody.clear();
    DecodedBody.clear();
    ParentBoundary.clear();
    IsDecoded = false;
    IsEmbedded = false;
    PlainLines.clear();
    HtmlLines.clear();
    NeedRebuild = NeedArrange = NeedScan = false;
    UnnamedCount = 0;
}

// ---------------------------------------------------------------- bodies

void TMailMessage::SetPlainText(std::string_view text)
{
    SetBodyText(text, PlainPart, "text/plain");
    PlainLines = SplitLines(text);
}

void TMailMessage::SetHtmlText(std::string_view text)
{
    SetBodyText(text, HtmlPart, "text/html");
    HtmlLines = SplitLines(text);
}

void TMailMessage::SetBodyText(std::string_view text, TMailPart *&part, std::string_view contentType)
{
    ArrangeParts(part ? 0 : 2);
    std::string body = LineBreaks::toCrLf(text);
    if (!part) {
        if (TextContainer) {
            // With pictures beside both texts the HTML opens the related container.
            const bool split = AlternativePart && RelatedPart && RelatedPart->ParentPart == AlternativePart;
            TMailPart *container = split && contentType == "text/html" ? RelatedPart : TextContainer;
            TMailPart *created = newPart();
            created->ParentPart = container;
            created->ParentBoundary = container->Boundary();
            int position;
            if (contentType == "text/plain" || container != TextContainer)
                position = 0;
            else if (contentType == "text/html")
                position = (!container->SubParts.IsEmpty()
                            && container->SubParts.First()->ContentType() == "text/plain")
                               ? 1
                               : 0;
            else
                position = container->SubParts.Count();
            container->SubParts.Insert(position, created);
            part = created;
        } else {
            part = this;
        }
    }
    part->DecodedBody = std::move(body);
    part->IsDecoded = true;
    part->Encode(TextEncoding);
    part->SetHeaderValue("Content-Type", contentType);
    part->SetHeaderParam("Content-Type", "charset", "\"" + CharsetLabel(part->DecodedBody, Charset) + "\"");
    part->SetHeaderValue("Content-Disposition", "inline");
    part->SetHeaderValue("Content-Length", std::to_string(part->EncodedBody.size()));
    markRelatedRoot();
    NeedRebuild = true;
}

// ---------------------------------------------------------------- attachments

void TMailMessage::AttachFile(const std::string &fileName, const std::string &contentType, bool embedded)
{
    attachNew(readAttachment(Ansi::fileNameToPath(fileName)), Ansi::toQString(bareFileName(fileName)), contentType,
              embedded, false);
}

void TMailMessage::AttachFilePath(const QString &path, const std::string &contentType, bool embedded)
{
    attachNew(readAttachment(path), bareFileNameText(path), contentType, embedded, false);
}

void TMailMessage::AttachFilePathEncoded(const QString &path, const std::string &contentType, bool embedded)
{
    if (AttachEncoding != etBase64) {
        AttachFilePath(path, contentType, embedded);
        return;
    }
    // The file is encoded before the tree changes, so a read error leaves no part.
    attachNew(readAttachmentBase64(path), bareFileNameText(path), contentType, embedded, false, true);
}

void TMailMessage::AttachStream(std::string_view bytes, const std::string &fileName, const std::string &contentType,
                                bool embedded)
{
    attachNew(std::string(bytes), Ansi::toQString(bareFileName(fileName)), contentType, embedded, false);
}

void TMailMessage::AttachStreamText(std::string_view bytes, const QString &fileName, const std::string &contentType,
                                    bool embedded)
{
    attachNew(std::string(bytes), bareFileNameText(fileName), contentType, embedded, false);
}

void TMailMessage::AddPicture(std::string_view bytes, const std::string &fileName, const std::string &contentType,
                              bool embedded)
{
    attachNew(std::string(bytes), Ansi::toQString(bareFileName(fileName)), contentType, embedded, true);
}

void TMailMessage::nameAttachment(TMailPart *part, const QString &name, bool onlyWhereEmpty)
{
    // The type's "name" is the older way of naming a file, the disposition's "filename"
    // the one meant for saving: both carry it, a name outside plain ASCII in RFC 2231's
    // form, which every reader takes without complaint.
    static constexpr std::pair<std::string_view, std::string_view> params[] = {{"Content-Type", "name"},
                                                                               {"Content-Disposition", "filename"}};
    for (const auto &[field, param] : params) {
        QString text = name;
        if (onlyWhereEmpty && part->HasHeaderParam(field, param)) {
            // A name the part has keeps its text. One that reads as written stays as it
            // is; one in another form (an encoded word inside quotes, as older versions
            // stored it) is written in today's, so a stored mail sent again carries it.
            std::string charset;
            const std::string raw = part->HeaderParam(field, param, &charset);
            text = MailText::paramText(raw, charset);
            if (charset.empty() && MailText::plainAsciiName(text) && text.toStdString() == raw)
                continue;
        }
        part->SetFileNameParam(field, param, text);
    }
}

void TMailMessage::attachNew(std::string bytes, const QString &name, const std::string &contentType,
                             bool embedded, bool picture, bool base64)
{
    ArrangeParts(embedded ? 4 : 3);
    TMailPart *container = embedded ? RelatedPart : MixedPart;
    TMailPart *part = this;
    if (container) {
        part = newPart();
        part->ParentPart = container;
        part->ParentBoundary = container->Boundary();
        container->SubParts.Add(part);
    }
    const std::string reference = nameInReference(name);
    const std::string type =
        contentType.empty() ? ContentTypeOfFile(StoredText::fromQString(name)) : WithoutLineBreaks(contentType);
    const std::string quotedName = MailText::quotedName(name, Charset);

    if (base64) {
        // Undecoded, as a part read from a mail: Decode() gives the file's bytes.
        std::string().swap(part->DecodedBody);
        part->IsDecoded = false;
        part->setBase64Body(std::move(bytes));
    } else {
        part->DecodedBody = std::move(bytes);
        part->IsDecoded = true;
        part->Encode(AttachEncoding);
    }
    part->SetHeaderValue("Content-Type", type);
    const std::string length = std::to_string(part->EncodedBody.size());
    part->IsEmbedded = embedded;

    if (picture) {
        part->SetHeaderValue("Content-Length", length);
        part->SetHeaderValue("Content-ID", "<" + reference + ">");
        part->SetFileNameParam("Content-Type", "name", name);
    } else {
        part->SetHeaderValue("X-Mail-Attachment", quotedName);
        part->SetHeaderValue("Content-Length", length);
        if (embedded) {
            part->SetHeaderValue("Content-Disposition", "inline");
            part->SetHeaderParam("X-Mail-Attachment", "embedded", "yes");
            if (EmbedMethod == emContentID)
                part->SetHeaderValue("Content-ID", "<" + reference + ">");
            else
                part->SetHeaderValue("Content-Location", ContentLocationBase + reference);
        } else {
            part->SetHeaderValue("Content-Disposition", "attachment");
            nameAttachment(part, name, false);
            part->SetHeaderParam("X-Mail-Attachment", "embedded", "no");
        }
    }
    Attachments.Add(part);
    markRelatedRoot();
    NeedRebuild = true;
}

// ---------------------------------------------------------------- arranging

void TMailMessage::ArrangeParts(int reason)
{
    const ArrangeReason why = arrangeReason(reason);
    if (!NeedArrange && why == ArrangeReason::IfNeeded)
        return;
    ScanParts();
    NeedRebuild = true;
    NeedArrange = false;
    UnnamedCount = 0;

    const PartCounts counts = countParts(why);
    moveOwnBodyOut();
    setOwnFields();
    Arrangement arrangement = makeContainers(counts);
    placeTextBodies(arrangement);
    placeAttachments(arrangement);
    replaceContainers(arrangement);
}

TMailMessage::ArrangeReason TMailMessage::arrangeReason(int reason)
{
    switch (reason) {
    case 0:
        return ArrangeReason::IfNeeded;
    case 2:
        return ArrangeReason::AddingText;
    case 3:
        return ArrangeReason::AddingAttachment;
    case 4:
        return ArrangeReason::AddingEmbedded;
    default:
        return ArrangeReason::Always;
    }
}

// What the message holds, the part about to be added included.
TMailMessage::PartCounts TMailMessage::countParts(ArrangeReason why) const
{
    PartCounts counts;
    counts.texts = (why == ArrangeReason::AddingText ? 1 : 0) + (PlainPart ? 1 : 0) + (HtmlPart ? 1 : 0);
    counts.ordinary = why == ArrangeReason::AddingAttachment ? 1 : 0;
    counts.embedded = why == ArrangeReason::AddingEmbedded ? 1 : 0;
    for (const TMailPart *a : Attachments)
        ++(a->IsEmbedded ? counts.embedded : counts.ordinary);
    return counts;
}

// The message's own body moves into a part of its own, which takes over the message's
// role. A text role moves even with an empty body: the message is about to become a
// container and must not be put into itself.
void TMailMessage::moveOwnBodyOut()
{
    const bool textRole = PlainPart == this || HtmlPart == this;
    // A named file moves even when it is empty: it is still a file of the mail.
    const bool namedFile = Attachments.IndexOf(this) >= 0
                           && (HasHeader("X-Mail-Attachment") || HasHeaderParam("Content-Disposition", "filename")
                               || HasHeaderParam("Content-Type", "name"));
    if (!EncodedBody.empty() || textRole || namedFile) {
        TMailPart *moved = newPart();
        moved->EncodedBody = EncodedBody;
        if (textRole && IsDecoded) {
            moved->DecodedBody = DecodedBody;
            moved->IsDecoded = true;
        }
        // The attachment mark goes with the fields it names, in its place among them.
        for (const std::string &line : Headers)
            if (StartsWithNoCase(line, "Content-") || StartsWithNoCase(line, "X-Mail-Attachment:"))
                moved->Headers.push_back(line);
        if (PlainPart == this)
            PlainPart = moved;
        else if (HtmlPart == this)
            HtmlPart = moved;
        else if (MixedPart == this)
            MixedPart = moved;
        else if (RelatedPart == this)
            RelatedPart = moved;
        else if (AlternativePart == this)
            AlternativePart = moved;
        else if (!SubParts.IsEmpty())
            destroyPart(moved);
        else
            Attachments.Add(moved);
        // The fields of a file went with it, those the message does not know too: kept
        // here as well, they would come back from the file when it is the message's only
        // part (placeAttachments) and double at every rewrite.
        if (Attachments.IndexOf(moved) >= 0)
            std::erase_if(Headers, [](const std::string &line) { return StartsWithNoCase(line, "Content-"); });
        EncodedBody.clear();
        DecodedBody.clear();
        IsDecoded = false;
    }
    while (Attachments.Remove(this) >= 0) {
    }
}

// The message's own fields.
void TMailMessage::setOwnFields()
{
    for (const char *field : {"Content-Type", "Content-Transfer-Encoding", "Content-Disposition", "Content-ID",
                              "Content-Location", "Content-Length"})
        removeAllFields(this, field);
    SetHeaderValue("Mime-Version", "1.0");
    SetHeaderValue("X-Mailer", "Vellorn Composer");
    removeAllFields(this, "X-Mail-Attachment");
    SetHeaderValue("X-Unsent", "1");
}

// The containers the counts call for (the message itself is the outermost one).
TMailMessage::Arrangement TMailMessage::makeContainers(const PartCounts &counts)
{
    Arrangement a;
    a.oldMixed = MixedPart;
    a.oldRelated = RelatedPart;
    a.oldAlternative = AlternativePart;
    if (counts.ordinary > 1 || (counts.ordinary >= 1 && (counts.texts > 0 || counts.embedded > 0)))
        a.mixed = makeContainer(a, nullptr, "multipart/mixed", "_mixed");
    // Plain and HTML with pictures: alternative { plain, related { HTML, pictures } }, so
    // that a reader of the plain text finds it whole and the pictures belong to the HTML.
    a.split = counts.texts > 1 && counts.embedded > 0;
    if (a.split) {
        a.alternative = makeContainer(a, a.mixed, "multipart/alternative", "_alternative");
        a.related = makeContainer(a, a.alternative, "multipart/related", "_related");
    } else {
        if (counts.embedded > 0)
            a.related = makeContainer(a, a.mixed, "multipart/related", "_related");
        if (counts.texts > 1)
            a.alternative =
                makeContainer(a, a.related ? a.related : a.mixed, "multipart/alternative", "_alternative");
    }
    TextContainer = a.alternative ? a.alternative : a.related ? a.related : a.mixed;
    return a;
}

TMailPart *TMailMessage::makeContainer(Arrangement &a, TMailPart *parent, const char *type, const char *suffix)
{
    TMailPart *container = this;
    if (parent) {
        container = newPart();
        container->ParentPart = parent;
        container->ParentBoundary = parent->Boundary();
        parent->SubParts.Add(container);
    }
    container->SetHeaderValue("Content-Type", type);
    container->SetHeaderParam("Content-Type", "boundary", "\"" + NewBoundary() + suffix + "\"");
    a.placed.insert(container);
    return container;
}

void TMailMessage::insertInto(Arrangement &a, TMailPart *container, TMailPart *part, int position)
{
    part->OwnerMessage = this;
    part->ParentPart = container;
    part->ParentBoundary = container->Boundary();
    if (position < 0)
        container->SubParts.Add(part);
    else
        container->SubParts.Insert(position, part);
    a.placed.insert(part);
}

// Text bodies, plain first.
void TMailMessage::placeTextBodies(Arrangement &a)
{
    const std::pair<TMailPart **, const char *> textRoles[] = {{&PlainPart, "text/plain"}, {&HtmlPart, "text/html"}};
    for (const auto &[ref, type] : textRoles) {
        TMailPart *part = *ref;
        if (!part)
            continue;
        part->Detach();
        if (TextContainer) {
            // Split: the plain text before the related container, the HTML first in it.
            if (a.split)
                insertInto(a, part == PlainPart ? a.alternative : a.related, part, 0);
            else
                insertInto(a, TextContainer, part);
            part->SetHeaderValue("Content-Type", type);
            part->SetHeaderValue("Content-Disposition", "inline");
            part->Decode();
            part->Encode(TextEncoding);
            part->SetHeaderValue("Content-Length", std::to_string(part->EncodedBody.size()));
            part->destroySubParts();
        } else {
            // The message itself becomes the body (keeping the text's charset).
            const std::string charset = part->HeaderParam("Content-Type", "charset");
            SetHeaderValue("Content-Type", type);
            if (!charset.empty())
                SetHeaderParam("Content-Type", "charset", "\"" + charset + "\"");
            SetHeaderValue("Content-Disposition", "inline");
            part->Decode();
            DecodedBody = part->DecodedBody;
            IsDecoded = true;
            Encode(TextEncoding);
            destroyPart(part);
            *ref = this;
        }
    }
}

// Attachments, in order.
void TMailMessage::placeAttachments(Arrangement &a)
{
    const std::vector<TMailPart *> attachments(Attachments.begin(), Attachments.end());
    for (TMailPart *part : attachments) {
        part->Detach();
        if (part->HeaderValue("Content-Type").empty())
            part->SetHeaderValue("Content-Type", "application/octet-stream");
        QString name = part->AttachmentFileNameText();
        if (name.isEmpty()) {
            name = QString::fromStdString("file_" + std::to_string(UnnamedCount)
                                          + ExtensionOfContentType(part->ContentType()));
            ++UnnamedCount;
        }
        const std::string reference = nameInReference(name);
        part->SetHeaderValue("X-Mail-Attachment", MailText::quotedName(name, Charset));
        if (part->IsEmbedded && a.related) {
            part->SetHeaderParam("X-Mail-Attachment", "embedded", "yes");
            if (EmbedMethod == emContentID) {
                if (part->HeaderValue("Content-ID").empty())
                    part->SetHeaderValue("Content-ID", "<" + reference + ">");
            } else {
                part->SetHeaderValue("Content-Location", ContentLocationBase + reference);
            }
            part->SetHeaderValue("Content-Disposition", "inline");
            insertInto(a, a.related, part);
            continue;
        }
        part->SetHeaderParam("X-Mail-Attachment", "embedded", "no");
        nameAttachment(part, name, true);
        if (a.mixed) {
            part->SetHeaderValue("Content-Disposition", "attachment");
            insertInto(a, a.mixed, part);
            continue;
        }
        becomeSingleAttachment(part);
    }
}

// The message is this single attachment. A file name needs a disposition to stand in
// ("Content-Disposition:; filename=" is no field a reader understands).
void TMailMessage::becomeSingleAttachment(TMailPart *part)
{
    if (part->HeaderValue("Content-Disposition").empty())
        part->SetHeaderValue("Content-Disposition", "attachment");
    for (const std::string &line : part->Headers)
        if (StartsWithNoCase(line, "Content-") || StartsWithNoCase(line, "X-Mail-"))
            Headers.push_back(line);
    if (part->ContentType().rfind("multipart/", 0) == 0) {
        // A multipart text kept whole (below the nesting limit): the message carries
        // it as it is, so that reading it again finds its parts.
        EncodedBody = part->EncodedBody;
        DecodedBody.clear();
        IsDecoded = false;
    } else {
        part->Decode();
        DecodedBody = part->DecodedBody;
        IsDecoded = true;
        Encode(etBase64);
    }
    const int index = Attachments.IndexOf(part);
    if (index >= 0) {
        Attachments.Delete(index);
        Attachments.Insert(index, this);
    }
    destroyPart(part);
}

// The previous containers go (their children have all moved); so do children of the
// message that are neither new containers nor moved parts: they are emptied containers
// and would otherwise be written into a message that may be a single body.
void TMailMessage::replaceContainers(const Arrangement &a)
{
    std::vector<TMailPart *> obsolete;
    for (TMailPart *old : {a.oldAlternative, a.oldRelated, a.oldMixed})
        if (old && old != this && !a.placed.count(old))
            obsolete.push_back(old);
    for (TMailPart *child : SubParts)
        if (!a.placed.count(child) && std::find(obsolete.begin(), obsolete.end(), child) == obsolete.end())
            obsolete.push_back(child);
    for (TMailPart *old : obsolete)
        old->Detach();
    for (TMailPart *old : obsolete)
        destroyPart(old);
    MixedPart = a.mixed;
    RelatedPart = a.related;
    AlternativePart = a.alternative;
    markRelatedRoot();
}

void TMailMessage::markRelatedRoot()
{
    // RFC 2387: the related container names the type of its first part, the one shown.
    if (!RelatedPart || RelatedPart->SubParts.IsEmpty())
        return;
    const std::string type = RelatedPart->SubParts.First()->ContentType();
    if (!type.empty())
        RelatedPart->SetHeaderParam("Content-Type", "type", "\"" + WithoutLineBreaks(type) + "\"");
}

// ---------------------------------------------------------------- writing

// The multipart text from the tree: the preamble, then each part's delimiter, header lines
// and body, closing each container after its last part.
void TMailMessage::writeMultipartBody(const PieceSink &sink) const
{
    sink("This is a multipart message in mime format.\r\n", true);

    struct Level
    {
        const TMailPart *part;
        int next;
    };
    std::vector<Level> levels{{this, 0}};
    while (!levels.empty()) {
        Level &level = levels.back();
        if (level.next >= level.part->SubParts.Count()) {
            sink("\r\n--", true);
            sink(level.part->Boundary(), false);
            sink("--\r\n", true);
            levels.pop_back();
            continue;
        }
        const TMailPart *child = level.part->SubParts[level.next++];
        sink("\r\n--", true);
        sink(child->ParentBoundary, true);
        sink("\r\n", true);
        std::string store;
        for (const std::string &line : child->Headers) {
            if (line.empty())
                continue;
            // A line break inside a field is a blank, and a long line is folded, as in
            // the message's own fields.
            const std::string_view field = HeaderLineBreaks::blankInside(line, store);
            if (field.size() > 78) {
                sink(FoldHeaders(field), false);
            } else {
                sink(field, field.data() == line.data());
                sink("\r\n", true);
            }
            MessagePump::serve();
        }
        sink("\r\n", true);
        if (!child->SubParts.IsEmpty()) {
            levels.push_back({child, 0}); // `level` is not used after this
            continue;
        }
        // The body as it is, serving the event loop line by line.
        const std::string_view body = child->EncodedBody;
        std::size_t pos = 0;
        while (pos < body.size()) {
            std::size_t lf = body.find('\n', pos);
            lf = lf == std::string_view::npos ? body.size() : lf + 1;
            sink(body.substr(pos, lf - pos), true);
            pos = lf;
            MessagePump::serve();
        }
    }
}

std::vector<std::string_view> TMailMessage::RebuiltPieces(std::deque<std::string> &made)
{
    if (!NeedRebuild || SubParts.IsEmpty()) {
        // A single body is its own text: only its length is written, as Rebuild would.
        if (NeedRebuild)
            SetHeaderValue("Content-Length", std::to_string(EncodedBody.size()));
        made.push_back(SourceHead());
        return {made.back(), EncodedBody};
    }
    // The head comes first but names the length of what follows: its place is kept and
    // filled once the length is known.
    std::vector<std::string_view> pieces(1);
    std::size_t length = 0;
    writeMultipartBody([&](std::string_view piece, bool lasting) {
        if (piece.empty())
            return;
        length += piece.size();
        if (!lasting) {
            made.emplace_back(piece);
            piece = made.back();
        }
        // A body comes line by line: its lines are one view again.
        std::string_view &last = pieces.back();
        if (!last.empty() && lasting && last.data() + last.size() == piece.data())
            last = std::string_view(last.data(), last.size() + piece.size());
        else
            pieces.push_back(piece);
    });
    SetHeaderValue("Content-Length", std::to_string(length));
    made.push_back(SourceHead());
    pieces.front() = made.back();
    return pieces;
}

void TMailMessage::WriteRebuilt(const std::function<void(std::string_view)> &sink)
{
    std::deque<std::string> made;
    for (const std::string_view piece : RebuiltPieces(made)) {
        sink(piece);
        MessagePump::serve();
    }
}

void TMailMessage::Rebuild()
{
    if (!NeedRebuild)
        return;
    if (!SubParts.IsEmpty()) {
        // Size first, so the text is built in one allocation.
        std::size_t size = 64;
        std::vector<const TMailPart *> stack{this};
        while (!stack.empty()) {
            const TMailPart *p = stack.back();
            stack.pop_back();
            for (const TMailPart *child : p->SubParts) {
                size += child->ParentBoundary.size() + 16;
                for (const std::string &line : child->Headers)
                    size += line.size() + 2;
                size += child->SubParts.IsEmpty() ? child->EncodedBody.size() : 80;
                stack.push_back(child);
            }
        }

        std::string out;
        out.reserve(size);
        writeMultipartBody([&out](std::string_view piece, bool) { out += piece; });
        EncodedBody = std::move(out);
    }
    SetHeaderValue("Content-Length", std::to_string(EncodedBody.size()));
    NeedRebuild = false;
}

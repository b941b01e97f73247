#pragma once

#include "TMailPart.h"
#include "TMailRecipients.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

class QDateTime;

// How embedded parts (pictures shown in the HTML body) are marked.
enum TEmbedMethod { emContentID = 0, emContentLocation = 1 };

class TMailMessage;
// Progress of loading text: Total = length of the text, Current = 0 at the start, the
// 1-based position of each line start while reading, Total at the end.
using TProgressEvent = std::function<void(TMailMessage *Sender, std::int64_t Total, std::int64_t Current)>;

// The whole mail: the root part of the tree, the recipient lists, the text bodies and
// the attachment list, and the logic that arranges the multipart containers (mixed,
// related, alternative) for what the message holds. Each window that handles mail owns
// one and calls Clear before building or loading the next mail.
class TMailMessage : public TMailPart
{
public:
    TMailMessage();
    ~TMailMessage() override;

    // ---- fields
    // Every attachment part of the tree, embedded pictures included (not owned).
    TMailPartList Attachments;
    // The plain and the HTML body, line by line (filled by ScanParts and the setters).
    std::vector<std::string> PlainLines;
    std::vector<std::string> HtmlLines;
    TMailPart *PlainPart = nullptr;
    TMailPart *HtmlPart = nullptr;
    TMailPart *MixedPart = nullptr;
    TMailPart *RelatedPart = nullptr;
    TMailPart *AlternativePart = nullptr;
    // The innermost container, which receives the text bodies.
    TMailPart *TextContainer = nullptr;

    // Published properties.
    std::string Charset = "iso-8859-1";
    TProgressEvent OnProgress;
    TEncodingType TextEncoding = etQuotedPrintable;
    TEncodingType AttachEncoding = etBase64;
    TEmbedMethod EmbedMethod = emContentLocation;
    std::string ContentLocationBase = "http://localhost/";

    int UnnamedCount = 0;
    TMailRecipients ToRecipients;
    TMailRecipients CcRecipients;
    TMailRecipients BccRecipients;

    // The tree changed since the last Rebuild (EncodedBody and "Content-Length" stale).
    bool NeedRebuild = false;
    // Loaded from text and not arranged yet.
    bool NeedArrange = false;
    // Loaded from text and bodies/attachments not found yet.
    bool NeedScan = false;

    // ---- building
    // Destroys every part, empties headers, bodies, lists, references and flags.
    void Clear();
    void SetPlainText(std::string_view text);
    void SetHtmlText(std::string_view text);
    // Sets the text of a body part (creating it where needed; `part` is updated).
    void SetBodyText(std::string_view text, TMailPart *&part, std::string_view contentType);
    // Loads the file (bytes name, Windows-1252) and calls AttachStream; a file that cannot
    // be read raises AppError("Cannot open file \"NAME\"").
    void AttachFile(const std::string &fileName, const std::string &contentType = {}, bool embedded = false);
    // Adds an attachment with the full attachment header set. The file name is taken
    // without its path; CR and LF in it are removed. An empty content type is looked up
    // from the file name.
    void AttachStream(std::string_view bytes, const std::string &fileName, const std::string &contentType = {},
                      bool embedded = false);
    // The lighter variant for rendered pages: "Content-ID" <name> whatever EmbedMethod.
    void AddPicture(std::string_view bytes, const std::string &fileName, const std::string &contentType = {},
                    bool embedded = true);
    // Writes the message text from the tree (only when NeedRebuild) and clears NeedRebuild.
    void Rebuild();
    // Rebuilds the container tree. reason: 0 only if NeedArrange, 2 a text body is about
    // to be added, 3 an ordinary attachment, 4 an embedded part.
    void ArrangeParts(int reason);

    // ---- reading (LoadFromString / LoadFromText are TMailPart's)
    // Finds PlainPart, HtmlPart, the containers and Attachments; fills PlainLines and
    // HtmlLines. Works only when NeedScan is set.
    void ScanParts();
    // PlainLines / HtmlLines as one text, each line followed by CR LF.
    std::string PlainText() const;
    std::string HtmlText() const;

    // ---- address, subject, date and identity fields
    // Display name (decoded) and address of a field such as "From" or "Reply-To".
    void ReadAddress(std::string_view fieldName, std::string &name, std::string &address) const;
    std::string FromAddress() const;
    void SetFrom(std::string_view name, std::string_view address);
    void SetReplyTo(std::string_view name, std::string_view address);
    // The whole "Subject" text with encoded words decoded.
    std::string DecodedSubject() const;
    void SetSubject(std::string_view text);
    void SetDate(const QDateTime &dateTime);
    // "<yyyymmddhhnnss.R1.R2@domain>" with two fresh pseudo-random values.
    void SetMessageId(std::string_view domain);

    // Splits text into lines at CR LF, CR or LF (a final line break adds no empty line).
    static std::vector<std::string> SplitLines(std::string_view text);
    // Each line followed by CR LF.
    static std::string JoinLines(const std::vector<std::string> &lines);

private:
    friend class TMailPart;
    friend class MailTextReader;

    // Every part created with this message as owner and not yet destroyed.
    std::unordered_set<TMailPart *> m_ownedParts;

    TMailPart *newPart();
    // Detaches and destroys a part of this message (with its subtree).
    void destroyPart(TMailPart *part);
    // Called by a dying part: forgets every reference to it.
    void partDestroyed(TMailPart *part);
    void setAddressField(std::string_view field, std::string_view name, std::string_view address);
    bool takeTextBody(TMailPart *part, const std::string &type);
    void attachNew(std::string_view bytes, const std::string &fileName, const std::string &contentType,
                   bool embedded, bool picture);
};

#pragma once

#include "mail/TMailPart.h"
#include "mail/TMailRecipients.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

class QDateTime;
class QString;

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
    // The container that receives the text bodies: the innermost one, or, when plain and
    // HTML stand beside pictures, the alternative container, whose related container
    // takes the HTML.
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
    // The same for a file whose name is given as the file system spells it: a name that
    // Windows-1252 cannot hold is written as UTF-8 encoded words and an RFC 2231 filename*.
    // A file that cannot be read raises the same errors.
    void AttachFilePath(const QString &path, const std::string &contentType = {}, bool embedded = false);
    // AttachFilePath for a writer that needs only the mail text (the command line's
    // build). With AttachEncoding base64 the file is encoded while it is read, a piece at
    // a time, so its bytes are never held whole: the part is left as a part read from a
    // mail is, with EncodedBody only (IsDecoded false; Decode() gives the bytes again).
    // Same names, fields and errors; a read error leaves the message as it was.
    void AttachFilePathEncoded(const QString &path, const std::string &contentType = {}, bool embedded = false);
    void AttachStreamText(std::string_view bytes, const QString &fileName, const std::string &contentType = {},
                          bool embedded = false);
    // The lighter variant for rendered pages: "Content-ID" <name> whatever EmbedMethod.
    void AddPicture(std::string_view bytes, const std::string &fileName, const std::string &contentType = {},
                    bool embedded = true);
    // Writes the message text from the tree (only when NeedRebuild) and clears NeedRebuild.
    void Rebuild();
    // Hands the mail text to `sink` piece by piece without keeping it: the same bytes as
    // SourceHead() + EncodedBody after Rebuild, for a writer that does not need the text
    // whole (a large attachment is then held once, not twice). Sets "Content-Length" as
    // Rebuild does; EncodedBody and NeedRebuild stay as they were.
    void WriteRebuilt(const std::function<void(std::string_view)> &sink);
    // The same text as views, for a writer that sends it without a copy of the whole
    // (the SMTP session): views into the parts' header lines and bodies, and into `made`,
    // which keeps the bytes written on the way (the header block, closing delimiters).
    // Sets "Content-Length" as Rebuild does; EncodedBody and NeedRebuild stay as they
    // were. The views hold while the message is not changed and `made` lives.
    std::vector<std::string_view> RebuiltPieces(std::deque<std::string> &made);
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
    // The same read in the charset of their part (see MailText::decode); readAs receives
    // the charset used.
    QString PlainBodyText(std::string *readAs = nullptr) const;
    QString HtmlBodyText(std::string *readAs = nullptr) const;
    // Sets a text body from characters: Windows-1252 bytes when the text fits (as
    // SetPlainText), else UTF-8 with the charset "utf-8".
    void SetPlainBody(const QString &text);
    void SetHtmlBody(const QString &text);

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
    // The domain a Message-ID of this mail names: the one of the From address, else the
    // given host name (the SMTP server's), else "localhost". An IP address is never used,
    // so the sender's network address does not travel with the mail.
    std::string MessageIdDomain(std::string_view fallbackHost) const;
    // The same fields as characters, for the windows and the command line: names and the
    // subject that Windows-1252 holds are written exactly as the byte setters write them,
    // others as UTF-8 encoded words; reading decodes every encoded word in its charset.
    void ReadAddressText(std::string_view fieldName, QString &name, QString &address) const;
    void SetFromText(const QString &name, const QString &address);
    void SetReplyToText(const QString &name, const QString &address);
    QString SubjectText() const;
    void SetSubjectText(const QString &text);
    // Writes the address fields and the subject of a loaded mail again in the form the
    // setters write (a stored mail sent again goes out in the corrected form). A field
    // that does not read as addresses stays as it stands.
    void RewriteFields();

    // Splits text into lines at CR LF, CR or LF (a final line break adds no empty line).
    static std::vector<std::string> SplitLines(std::string_view text);
    // Each line followed by CR LF.
    static std::string JoinLines(const std::vector<std::string> &lines);

private:
    // The multipart text below the header block, written piece by piece. `lasting` tells
    // whether the piece stays valid after the call (a literal, or bytes of the tree) or
    // only during it.
    using PieceSink = std::function<void(std::string_view piece, bool lasting)>;
    void writeMultipartBody(const PieceSink &sink) const;
    // Sets the "type" parameter of the related container to its first part's type.
    void markRelatedRoot();

    // ---- arranging, step by step (ArrangeParts)
    // ArrangeParts' reason, read once: 0 only if NeedArrange, 2, 3 and 4 a text body, an
    // ordinary attachment or an embedded part is about to be added, any other always.
    enum class ArrangeReason { IfNeeded, Always, AddingText, AddingAttachment, AddingEmbedded };
    static ArrangeReason arrangeReason(int reason);
    struct PartCounts
    {
        int texts = 0;
        int ordinary = 0;
        int embedded = 0;
    };
    // The containers made for the counts and the ones they replace.
    struct Arrangement
    {
        TMailPart *mixed = nullptr;
        TMailPart *related = nullptr;
        TMailPart *alternative = nullptr;
        // alternative { plain, related { HTML, pictures } }
        bool split = false;
        TMailPart *oldMixed = nullptr;
        TMailPart *oldRelated = nullptr;
        TMailPart *oldAlternative = nullptr;
        // The new containers and the parts put into them.
        std::unordered_set<const TMailPart *> placed;
    };
    PartCounts countParts(ArrangeReason why) const;
    void moveOwnBodyOut();
    void setOwnFields();
    Arrangement makeContainers(const PartCounts &counts);
    TMailPart *makeContainer(Arrangement &a, TMailPart *parent, const char *type, const char *suffix);
    void insertInto(Arrangement &a, TMailPart *container, TMailPart *part, int position = -1);
    void placeTextBodies(Arrangement &a);
    void placeAttachments(Arrangement &a);
    void becomeSingleAttachment(TMailPart *part);
    void replaceContainers(const Arrangement &a);

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
    void setAddressFieldText(std::string_view field, const QString &name, const QString &address);
    // The display name as it stands in the field (encoded words not decoded) and the address.
    void readAddressRaw(std::string_view fieldName, std::string &name, std::string &address) const;
    // The "Subject" text after the colon, trimmed, encoded words not decoded.
    std::string rawSubject() const;
    void setBodyCharacters(const QString &text, TMailPart *&part, std::vector<std::string> &lines,
                           std::string_view contentType);
    bool takeTextBody(TMailPart *part, const std::string &type);
    // `name` is the file name without its path. `bytes` are the file's, encoded here with
    // AttachEncoding, or with `base64` their base64 text (Base64EncodeStream's form).
    void attachNew(std::string bytes, const QString &name, const std::string &contentType, bool embedded,
                   bool picture, bool base64 = false);
    // Sets "name" and "filename" of an ordinary attachment; with onlyWhereEmpty a name
    // the part already has keeps its text (written in today's form).
    void nameAttachment(TMailPart *part, const QString &name, bool onlyWhereEmpty);
};

#pragma once

#include "mail/BodyBytes.h"
#include "mail/TMailPartList.h"

#include <QString>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class TMailMessage;

// Transfer encodings a part can be written with.
enum TEncodingType { etBase64 = 0, etQuotedPrintable = 1, etNoEncoding = 2, et7Bit = 3 };

// One MIME entity: header lines, the body as it stands in the mail text, the same body
// after transfer decoding, and the sub-parts. Everything is 8-bit bytes; nothing here
// converts characters.
//
// Ownership: a part created with a message as owner is destroyed by that message at the
// latest (when the message is cleared or destroyed); a part destroys its sub-parts. A
// part created without an owner belongs to whoever created it and cannot load text.
class TMailPart
{
public:
    explicit TMailPart(TMailMessage *owner);
    virtual ~TMailPart();

    TMailPart(const TMailPart &) = delete;
    TMailPart &operator=(const TMailPart &) = delete;

    // ---- fields
    // Header lines, one field per entry ("Name: value; param=value"), no line breaks;
    // folded input lines are already joined.
    std::vector<std::string> Headers;
    // The body exactly as it stands in the mail text (for a multipart part the preamble
    // after loading, the whole multipart body of a message after Rebuild). After loading
    // it is a stretch of the loaded text, not a copy.
    BodyBytes EncodedBody;
    // The body after transfer decoding.
    std::string DecodedBody;
    // Boundary of the enclosing multipart part, written in front of this part.
    std::string ParentBoundary;
    // The owning message; a message refers to itself.
    TMailMessage *OwnerMessage = nullptr;
    // Children in output order (owned).
    TMailPartList SubParts;
    // The enclosing part; null for the message and for parts outside the tree.
    TMailPart *ParentPart = nullptr;
    bool IsDecoded = false;
    bool IsEmbedded = false;
    // Component name, the "%s" of error messages.
    std::string Name = "MailPart1";

    // ---- header access (names compared ignoring case; the first field of a name counts)
    // Main value of the field, trimmed, one pair of enclosing quotes (' or ") removed.
    std::string HeaderValue(std::string_view name) const;
    // A parameter of the field, trimmed and unquoted the same way; empty if absent.
    // Values given with a charset or in numbered sections are joined and decoded to bytes.
    std::string HeaderParam(std::string_view name, std::string_view param) const;
    // The same, giving the charset an extended value names in *charset (else empty).
    std::string HeaderParam(std::string_view name, std::string_view param, std::string *charset) const;
    // Non-empty value: replaces the main value of the first line (appending "Name: "
    // first if absent), parameters stay. Empty value: deletes the first line of the field.
    void SetHeaderValue(std::string_view name, std::string_view value);
    // Sets or appends a parameter (value written as given; callers add quotes).
    void SetHeaderParam(std::string_view name, std::string_view param, std::string_view value);
    // Sets a file name parameter ("name", "filename") as MailText::fileNameParam writes
    // it, in place of every form the parameter had; a field already so is left alone.
    void SetFileNameParam(std::string_view name, std::string_view param, const QString &fileName);
    bool HasHeader(std::string_view name) const;
    bool HasHeaderParam(std::string_view name, std::string_view param) const;
    // Lower-cased main value of "Content-Type".
    std::string ContentType() const;
    // The type a reader gives the part: ContentType, or the default when the field is
    // missing or is not a "type/subtype" pair: "text/plain", and "message/rfc822" for a
    // part of a multipart/digest.
    std::string EffectiveContentType() const;
    // The "boundary" parameter of "Content-Type".
    std::string Boundary() const;

    // ---- body
    // Fills DecodedBody from EncodedBody once (until text is loaded again). Returns true.
    bool Decode();
    // Hands the bytes Decode() gives to `sink`, in pieces for a base64 body not decoded
    // yet: those are decoded a stretch at a time and not kept (DecodedBody and IsDecoded
    // stay as they were), so a large file is never held decoded whole. Any other body is
    // decoded with Decode() and handed over whole, as DecodedBody.
    void WriteDecoded(const std::function<void(std::string_view)> &sink);
    // Writes EncodedBody from DecodedBody and sets "Content-Transfer-Encoding" to match.
    void Encode(TEncodingType encodingType);
    // FoldHeaders(Headers) + CR LF + EncodedBody: the mail text of a rebuilt message. A
    // lone CR or LF inside a field is written as a blank.
    std::string SourceText() const;
    // The first half of SourceText: the folded header block and the empty line after it.
    // SourceHead() + EncodedBody is the mail text, for those who write it without
    // putting the two together (the SMTP session, a file).
    std::string SourceHead() const;
    // Writes SourceText with every line ending in CR LF (a lone CR or LF becomes CR LF).
    // The file name is bytes (Windows-1252). A write failure raises AppError.
    void SaveToFile(const std::string &fileName) const;
    // The name under which the part is listed and saved (always a safe file name).
    std::string AttachmentFileName() const;
    // The same name as the windows show it and save under: encoded words and extended
    // parameters read in their charsets.
    QString AttachmentFileNameText() const;
    // Removes the part from its parent's SubParts and clears ParentPart.
    void Detach();

    // ---- reading mail text
    // Replaces the content by the parsed text; with withHeaders false the whole text is
    // the body. Raises "%s: TMailPart must be owned by a TMailMessage" without an owner.
    // The bodies are stretches of one copy of the text; a text given as a string to keep
    // (std::move) is taken over instead of copied.
    void LoadFromText(std::string_view text, bool withHeaders);
    void LoadFromText(std::string &&text, bool withHeaders);
    void LoadFromText(const char *text, bool withHeaders) { LoadFromText(std::string_view(text), withHeaders); }
    // LoadFromText with headers.
    void LoadFromString(std::string_view text);
    void LoadFromString(std::string &&text);
    void LoadFromString(const char *text) { LoadFromString(std::string_view(text)); }

protected:
    // Destroys (and unlinks) every sub-part, deepest first, without recursion.
    void destroySubParts();

private:
    friend class TMailMessage;
    friend class MailTextReader;

    // The message this part registered with at creation (it destroys the part at the
    // latest when it is cleared or destroyed); null for a message or a part without owner.
    TMailMessage *m_owner = nullptr;
    int headerIndex(std::string_view name) const;
    // Lower-cased value of "Content-Transfer-Encoding".
    std::string transferEncoding() const;
    // Takes `encoded` as the base64 body and marks the part so.
    void setBase64Body(std::string encoded);
    // The first source of the attachment name, before decoding; `charset` is set when it
    // came from an extended parameter that names one.
    std::string rawAttachmentName(std::string &charset) const;
};

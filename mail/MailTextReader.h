#pragma once

#include <memory>
#include <string>

class TMailPart;

// Turns mail text into the part tree of a message: header lines, the body, multipart
// sub-parts cut at their delimiter lines, and uuencoded files in plain mails converted
// into a multipart/mixed tree with base64 attachments.
//
// The reader keeps an explicit stack instead of recursing, descends at most
// MaxMultipartDepth multipart levels and creates at most MaxParts parts per message:
// what lies deeper or further stays as text in the enclosing part's body. Every line
// is looked at once per nesting level, and bodies are stretches of the text, not copies
// (the parts share the text, which lives as long as any of them refers to it).
class MailTextReader
{
public:
    static constexpr int MaxMultipartDepth = 100;
    static constexpr int MaxParts = 10000;

    // TMailPart::LoadFromText: raises "%s: TMailPart must be owned by a TMailMessage"
    // when the part has no owning message.
    static void load(TMailPart *part, std::shared_ptr<const std::string> text, bool withHeaders);
};

// Base64 decoded in pieces (Base64Decoder, as a large body is decoded while it is read)
// against the text decoded at once: the same bytes wherever the text is cut. The first
// byte of the input chooses the cuts, the rest is the base64 text.
#include "fuzz/FuzzSupport.h"

#include "mail/Base64Decoder.h"
#include "mail/Base64.h"

#include <string>

namespace {

// The text fed in pieces whose lengths run through 1 .. step (cut everywhere when step is 1).
std::string inPieces(std::string_view text, unsigned step, bool stopAtPadding)
{
    Base64Decoder decoder(stopAtPadding);
    std::string out;
    std::size_t at = 0;
    unsigned length = 1;
    while (at < text.size()) {
        const std::size_t n = std::min<std::size_t>(length, text.size() - at);
        decoder.Feed(text.substr(at, n), out);
        at += n;
        length = length % step + 1;
    }
    decoder.Finish(out);
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const unsigned step = data[0] % 64 + 1;
    const std::string_view text = FuzzSupport::bytes(data + 1, size - 1);

    std::string whole;
    Base64DecodeText(text, whole);
    FuzzSupport::require(inPieces(text, step, true) == whole, "a body decoded in pieces gives the bytes decoded at once");
    FuzzSupport::require(inPieces(text, 1, true) == whole, "a body decoded byte by byte gives the bytes decoded at once");
    FuzzSupport::require(inPieces(text, step, false) == Base64DecodeLine(text),
                         "a line decoded in pieces gives the bytes of the line decoded at once");
    // Whole groups make whole bytes: what is encoded decodes back to itself.
    std::string encoded;
    Base64EncodeStreamAppend(whole, encoded);
    std::string again;
    Base64DecodeText(encoded, again);
    FuzzSupport::require(again == whole, "decoded bytes encoded and decoded again are the same bytes");
    return 0;
}

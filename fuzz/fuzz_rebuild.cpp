// Mail text read and arranged, then written twice: once from the parts as the SMTP session
// sends it (RebuiltPieces, the text never held whole) and once whole (Rebuild). The two
// must be the same bytes, and the message must end in the same state.
#include "fuzz/FuzzSupport.h"

#include "mail/RandomSource.h"
#include "mail/TMailMessage.h"
#include "os/AppError.h"

#include <deque>
#include <string>

namespace {

void load(TMailMessage &message, std::string_view text, bool arrange)
{
    message.Clear();
    message.LoadFromString(std::string(text));
    message.ScanParts();
    if (arrange)
        message.ArrangeParts(0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzSupport::ensureApplication();
    if (size == 0)
        return 0;
    // The first byte: whether the parts are arranged first (as a composed mail is).
    const bool arrange = (data[0] & 1) != 0;
    const std::string_view text = FuzzSupport::bytes(data + 1, size - 1);
    try {
        SetMailRandomSource([] { return 0x5EED0000u; });
        TMailMessage pieces;
        load(pieces, text, arrange);
        std::deque<std::string> made;
        std::string streamed;
        for (const std::string_view piece : pieces.RebuiltPieces(made))
            streamed.append(piece);

        TMailMessage whole;
        load(whole, text, arrange);
        whole.Rebuild();
        SetMailRandomSource({});
        FuzzSupport::require(streamed == whole.SourceText(), "the text written from the parts is the text Rebuild writes");
        FuzzSupport::require(pieces.HeaderValue("Content-Length") == whole.HeaderValue("Content-Length"),
                             "both ways name the same length");
    } catch (const AppError &) {
        SetMailRandomSource({});
    }
    return 0;
}

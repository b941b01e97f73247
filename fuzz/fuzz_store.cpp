// A MailBox.dat walked as the main window and `vellorn-cli store check` walk it: the records
// and damaged stretches, the mail list's summaries, and the text of every record listed,
// which must account for every byte of the file.
#include "fuzz/FuzzSupport.h"

#include "mail/TMailMessage.h"
#include "mailbox/MailStore.h"
#include "os/AppError.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzSupport::ensureApplication();
    const MailStore store(FuzzSupport::scratchFile("MailBox.dat", FuzzSupport::bytes(data, size)));
    try {
        // The steps cover the file from its first record position without a gap, and every
        // record reads back with its own length.
        std::int64_t at = 100;
        std::size_t records = 0;
        for (const StoreWalker::Step &step : store.walkStore()) {
            FuzzSupport::require(step.start == at && step.end > step.start, "the walk covers the store without a gap");
            at = step.end;
            if (step.isRecord) {
                ++records;
                // Shown without its large bodies: the same letter, and every body left
                // out lies inside the record.
                TMailMessage whole, shown;
                std::vector<RecordSkeleton::Gap> gaps;
                store.LoadMail(step.start, whole);
                store.LoadMailShown(step.start, shown, &gaps);
                FuzzSupport::require(shown.PlainLines == whole.PlainLines, "the preview shows the whole mail's letter");
                for (const RecordSkeleton::Gap &gap : gaps)
                    FuzzSupport::require(gap.offset >= step.start + 20 && gap.offset + gap.length <= step.end,
                                         "a body left out lies inside its record");
                FuzzSupport::require(static_cast<std::int64_t>(store.ReadMailText(step.start).size()) == step.header.length,
                                     "a record reads back with its own length");
            }
        }
        FuzzSupport::require(at == std::max<std::int64_t>(100, static_cast<std::int64_t>(size)),
                             "the walk ends at the end of the store");
        FuzzSupport::require(store.ScanStore().size() == records, "every record has its summary");
    } catch (const AppError &) {
    }
    return 0;
}

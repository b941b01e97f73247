// A MailBox.dat walked as the main window and `vellorn-cli store check` walk it: the records
// and damaged stretches, the mail list's summaries, and the text of every record listed.
#include "fuzz/FuzzSupport.h"

#include "mailbox/MailStore.h"
#include "os/AppError.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzSupport::ensureApplication();
    const MailStore store(FuzzSupport::scratchFile("MailBox.dat", FuzzSupport::bytes(data, size)));
    try {
        for (const StoreWalker::Step &step : store.walkStore())
            if (step.isRecord)
                (void)store.ReadMailText(step.start);
        (void)store.ScanStore();
    } catch (const AppError &) {
    }
    return 0;
}

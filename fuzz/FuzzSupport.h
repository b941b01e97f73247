#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>
#include <string_view>

// The entry point of every fuzz target: one input, however damaged, goes through one of our
// readers. Under -DVELLORN_FUZZ=ON libFuzzer calls it; otherwise ReplayMain calls it once for
// each file it is given. A return of 0 is all libFuzzer accepts.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

// What the targets share.
namespace FuzzSupport {

// The Qt application the readers need (fonts, painting, text layout), made at the first call
// on the offscreen platform and kept for the whole run.
void ensureApplication();

inline std::string_view bytes(const uint8_t *data, size_t size)
{
    return std::string_view(reinterpret_cast<const char *>(data), size);
}

// What a reader promises for any input: when it does not hold, the run stops with a
// message (after the replay's name of the input; libFuzzer keeps the input as a crash).
void require(bool holds, const char *promise);

// The bytes written to a file of the given name in a private folder made for this run; for
// the readers that open their file by path. The same name is rewritten by every input.
QString scratchFile(const char *name, std::string_view bytes);

} // namespace FuzzSupport

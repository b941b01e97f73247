// The shared pseudo-random generator of the mail model (boundaries, Message-IDs).
#include "mail/RandomSource.h"

#include <chrono>
#include <cstdio>
#include <random>

namespace {

std::mt19937 &generator()
{
    // Seeded once from the clock and the system's entropy, so that two runs started in
    // the same instant still draw different values. The mail model runs on the GUI thread
    // only, but the static initialisation itself is thread-safe.
    static std::mt19937 instance = [] {
        std::random_device entropy;
        const auto now = static_cast<std::uint64_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count());
        std::seed_seq seed{entropy(), entropy(), static_cast<unsigned>(now), static_cast<unsigned>(now >> 32)};
        return std::mt19937(seed);
    }();
    return instance;
}

std::function<std::uint32_t()> &injected()
{
    static std::function<std::uint32_t()> source;
    return source;
}

} // namespace

std::uint32_t MailRandom32()
{
    if (const auto &source = injected())
        return source();
    return static_cast<std::uint32_t>(generator()());
}

void SetMailRandomSource(std::function<std::uint32_t()> source)
{
    injected() = std::move(source);
}

std::string NewBoundary()
{
    char hex[9];
    std::snprintf(hex, sizeof hex, "%8.8X", static_cast<unsigned>(MailRandom32()));
    return std::string("boundary") + hex;
}

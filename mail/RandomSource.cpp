// The shared pseudo-random generator of the mail model (boundaries, Message-IDs).
#include "MimeHelpers.h"

#include <chrono>
#include <cstdio>
#include <random>

std::uint32_t MailRandom32()
{
    // Seeded once from the clock; the mail model runs on the GUI thread only, but the
    // static initialisation itself is thread-safe.
    static std::mt19937 generator(static_cast<std::uint32_t>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count()));
    return static_cast<std::uint32_t>(generator());
}

std::string NewBoundary()
{
    char hex[9];
    std::snprintf(hex, sizeof hex, "%8.8X", static_cast<unsigned>(MailRandom32()));
    return std::string("boundary") + hex;
}

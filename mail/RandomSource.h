#pragma once

// The one pseudo-random generator of the mail model (boundaries, Message-IDs); tests
// replace it.

#include <cstdint>
#include <functional>
#include <string>

// A full 32-bit value from the shared pseudo-random generator, seeded once from the
// clock and the system's entropy on first use.
std::uint32_t MailRandom32();
// Makes MailRandom32 draw from `source` (tests fix the values); an empty function goes
// back to the generator.
void SetMailRandomSource(std::function<std::uint32_t()> source);
// "boundary" + 8 upper-case hex digits of MailRandom32().
std::string NewBoundary();

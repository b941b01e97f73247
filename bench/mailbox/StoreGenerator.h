#pragma once

#include <QRandomGenerator>
#include <QString>
#include <cstdint>
#include <string>
#include <vector>

// Large stores for the benchmarks: picture mails of 20 to 200 KB whose bodies are
// base64-looking lines, each with its own recipient, subject and date.
namespace StoreGenerator {

constexpr std::int64_t MinMail = 20 * 1024;
constexpr std::int64_t MaxMail = 200 * 1024;

// Mail number n, exactly `size` bytes long.
std::string mailText(int n, std::int64_t size, QRandomGenerator &rng);

// Writes a store of `mails` mails of random sizes directly (appending through the store
// would flush the disk for every mail); mail i goes into box boxCodes[i % length].
// Returns the records' positions.
std::vector<std::int64_t> writeStore(const QString &path, int mails, const std::string &boxCodes,
                                     QRandomGenerator &rng);

} // namespace StoreGenerator

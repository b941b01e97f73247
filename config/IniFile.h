#pragma once

#include <QString>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// An INI file with the semantics of the Windows profile functions: sections and keys are
// matched without regard to case, a key that exists is rewritten in its place, a missing
// key is added at the end of its section, a missing section at the end of the file, and
// a missing file is created (readable and writable by its owner only). Lines are written
// with CR LF; bytes are kept as they are. Every call reads the file afresh and every
// write rewrites it, so nothing is cached between calls, unless the file is read once for
// a batch of reads (`readOnce`).
class IniFile
{
public:
    // Values read longer than this are cut.
    static constexpr size_t MaxValueLength = 2047;

    explicit IniFile(QString path);
    // An IniFile whose reads all answer from one reading of the file, made now: one state
    // of the file for a load of many keys, without reading it once per key. A write through
    // it rewrites the file as always, and later reads read the file afresh.
    static IniFile readOnce(QString path);

    const QString &path() const { return m_path; }

    // Text value; the fallback when the file, section or key is missing.
    std::string readString(std::string_view section, std::string_view key, std::string_view fallback = {}) const;
    // Decimal (optionally signed) or 0x/0X hexadecimal; anything else gives the fallback.
    int readInteger(std::string_view section, std::string_view key, int fallback) const;
    // "1"/"0" flag: read as an integer, non-zero meaning on.
    bool readFlag(std::string_view section, std::string_view key, bool fallback) const;
    // "True"/"False" flag: "False" or a number equal to 0 is off, anything else on;
    // a missing key gives the fallback.
    bool readTrueFalse(std::string_view section, std::string_view key, bool fallback) const;
    // Key names of a section in file order (empty when the section is missing).
    std::vector<std::string> keyNames(std::string_view section) const;
    // Every key of a section in file order with the value readString gives for it (so a
    // key written twice shows the first line's value twice), from one reading of the file.
    std::vector<std::pair<std::string, std::string>> sectionEntries(std::string_view section) const;

    // Writers return false when the file cannot be read or written.
    bool writeString(std::string_view section, std::string_view key, std::string_view value);
    bool writeInteger(std::string_view section, std::string_view key, int value);
    bool writeFlag(std::string_view section, std::string_view key, bool on);
    bool writeTrueFalse(std::string_view section, std::string_view key, bool on);
    // Writes key=value into the line of oldKey, so that a name spelled anew keeps its
    // place; without that line, as writeString(section, key, value).
    bool renameKey(std::string_view section, std::string_view oldKey, std::string_view key,
                   std::string_view value);
    // Removing a key that is not there succeeds and leaves the file untouched.
    bool removeKey(std::string_view section, std::string_view key);

    // Integer parsing shared by the readers: nullopt-like failure reported through ok.
    static int parseInteger(std::string_view text, bool *ok);
    // The texts the flag writers write.
    static const char *flagText(bool on) { return on ? "1" : "0"; }
    static const char *trueFalseText(bool on) { return on ? "True" : "False"; }

private:
    using Lines = std::vector<std::string>;
    // The held reading, or a fresh one (kept in `fresh`).
    const Lines &lines(Lines &fresh) const;

    QString m_path;
    std::shared_ptr<const Lines> m_held;
};

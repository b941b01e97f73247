// A Config.dat read as the program reads it at start (the settings, the configuration
// dialog's values, the window layout) and as the address book reads it, then written back:
// every key of [System] and one address book entry. What was saved saves again the same,
// and every number reads only in the number form and back as itself.
#include "fuzz/FuzzSupport.h"

#include "addressbook/AddressBook.h"
#include "config/ConfigFile.h"
#include "config/IniFile.h"
#include "os/AppError.h"

#include <QFile>

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A number as the file holds it: one optional sign, then decimal digits or "0x" and hex
// digits. Anything else reads as the key's fallback.
bool numberForm(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    if (!text.empty() && (text.front() == '-' || text.front() == '+'))
        text.remove_prefix(1);
    bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    if (hex)
        text.remove_prefix(2);
    if (text.empty())
        return false;
    for (const char c : text)
        if (!((c >= '0' && c <= '9') || (hex && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')))))
            return false;
    return true;
}

// Every value of the file read as a number: taken only in the number form, and the
// number written as the file writes it reads back as itself.
void checkNumbers(std::string_view file)
{
    std::size_t start = 0;
    while (start < file.size()) {
        std::size_t end = file.find('\n', start);
        if (end == std::string_view::npos)
            end = file.size();
        const std::string_view line = file.substr(start, end - start);
        start = end + 1;
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos)
            continue;
        std::string_view value = line.substr(eq + 1);
        if (!value.empty() && value.back() == '\r')
            value.remove_suffix(1);
        bool ok = false;
        const int n = IniFile::parseInteger(value, &ok);
        if (!ok)
            continue;
        FuzzSupport::require(numberForm(value), "a value reads as a number only in the number form");
        bool again = false;
        FuzzSupport::require(IniFile::parseInteger(std::to_string(n), &again) == n && again,
                             "a number written reads back as itself");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzSupport::ensureApplication();
    checkNumbers(FuzzSupport::bytes(data, size));
    const QString path = FuzzSupport::scratchFile("Config.dat", FuzzSupport::bytes(data, size));
    try {
        ConfigSettings settings;
        ConfigForm form;
        LoadConfig(settings, form, path);
        const MainWindowLayout layout = LoadWindowLayout(settings, path);
        AddressBook book(path);
        const std::vector<AddressBook::Entry> entries = book.ListAddresses();
        if (!entries.empty())
            (void)book.LookupAddress(entries.front().name);
        SaveConfig(settings, form, layout, path);
        // What was saved loads as it was saved: saving it again changes no byte.
        const QByteArray saved = fileBytes(path);
        ConfigSettings reloaded;
        ConfigForm reloadedForm;
        LoadConfig(reloaded, reloadedForm, path);
        SaveConfig(reloaded, reloadedForm, LoadWindowLayout(reloaded, path), path);
        FuzzSupport::require(fileBytes(path) == saved, "a saved configuration saves again the same");
        book.StoreAddress("Fuzz", "fuzz@example.org");
        (void)book.ListAddresses();
    } catch (const AppError &) {
    }
    return 0;
}

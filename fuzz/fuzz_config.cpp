// A Config.dat read as the program reads it at start (the settings, the configuration
// dialog's values, the window layout) and as the address book reads it, then written back:
// every key of [System] and one address book entry. What was saved saves again the same.
#include "fuzz/FuzzSupport.h"

#include "addressbook/AddressBook.h"
#include "config/ConfigFile.h"
#include "os/AppError.h"

#include <QFile>

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzSupport::ensureApplication();
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

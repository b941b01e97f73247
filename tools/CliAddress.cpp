// vellorn-cli address: the address book in a Config.dat, with the rules of its dialogs.
#include "tools/CliRegistry.h"
#include "tools/CliSupport.h"

#include "addressbook/AddressBook.h"
#include "text/StoredText.h"

#include <QFileInfo>

namespace {

const char *const Usage = "usage: address list CONFIG | address add CONFIG NAME ADDRESS | address remove CONFIG NAME";

// Names and addresses are stored as StoredText keeps them; the terminal sees them in its own
// encoding.
std::string bytesOf(const QString &argument)
{
    return StoredText::fromQString(argument);
}

QByteArray shown(const std::string &bytes)
{
    return StoredText::toQString(bytes).toLocal8Bit();
}

int addressCommand(const QStringList &args)
{
    if (args.size() < 2)
        return Cli::fail(QString::fromLatin1(Usage));
    const QString &action = args.at(0);
    const QString &config = args.at(1);
    // A mistyped path would otherwise become a new file holding just the address book.
    if (!QFileInfo(config).isFile())
        return Cli::fail(QStringLiteral("cannot read %1: no such file").arg(config));
    AddressBook book(config);

    if (action == QLatin1String("list") && args.size() == 2) {
        QByteArray out;
        for (const AddressBook::Entry &e : book.ListAddresses())
            out += shown(e.name) + '\t' + shown(e.address) + '\n';
        Cli::writeStdout(out.toStdString());
        return 0;
    }
    if (action == QLatin1String("add") && args.size() == 4) {
        const std::string name = bytesOf(args.at(2));
        const std::string address = bytesOf(args.at(3));
        const QString problem = AddressBook::entryProblem(name, address);
        if (!problem.isEmpty())
            return Cli::fail(problem);
        book.StoreAddress(name, address);
        return 0;
    }
    if (action == QLatin1String("remove") && args.size() == 3) {
        book.RemoveAddress(bytesOf(args.at(2)));
        return 0;
    }
    return Cli::fail(QString::fromLatin1(Usage));
}

CliCommand addressCmd("address",
                      "address list CONFIG | add CONFIG NAME ADDRESS | remove CONFIG NAME   the address book",
                      &addressCommand);

} // namespace

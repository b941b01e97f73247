#pragma once

#include <QString>
#include <string>
#include <string_view>
#include <vector>

// The one reader of address lists, for what a person typed (composer fields, the address
// book, the command line) and for the recipient fields of stored mails alike: RFC 5322
// mailboxes "Name <addr>", "\"Name, Jr.\" <addr>", "addr (Name)" and a bare "addr",
// separated by commas or semicolons; a group "Team: a@x, b@y;" gives its members. An
// entry that is not an address is refused with the reason; nothing is ever made into an
// address by dropping blanks or brackets. Bytes above 127 pass as they are.
namespace AddressList {

struct Entry
{
    std::string name;    // the display name: quotes and quoted pairs removed, encoded words kept
    std::string address; // the addr-spec; empty when the entry is refused
    std::string text;    // the entry as it stands, trimmed
    std::string reason;  // why the entry is no address ("a name without an address"), or empty
    std::string error;   // the refusal naming the entry: "\"Lena Novak\": " + reason
};

// Every non-empty entry of the list, in order, refused ones included.
std::vector<Entry> read(std::string_view list);

// The refusal of the first refused entry ("\"Lena Novak\": a name without an address"),
// or empty when every entry is an address.
std::string firstError(const std::vector<Entry> &entries);

// Why `address` is no addr-spec (local-part "@" domain), or empty when it is one.
std::string addressError(std::string_view address);

// The display name as a phrase: as it is when its words are atoms, in double quotes with
// quoted pairs when it holds other ASCII, else as encoded words (in `charset` when
// Windows-1252 holds it, else UTF-8) outside quotes, each at most 75 characters.
std::string phrase(const QString &name, std::string_view charset);
// One mailbox as a header writes it: the bare address, or phrase + " <" + address + ">".
std::string mailbox(const QString &name, std::string_view address, std::string_view charset);

} // namespace AddressList

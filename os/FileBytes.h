#pragma once

#include <string>

class QFile;

// Reading a whole file into the byte string that is then used, without a QByteArray in
// between (a large mail or attachment would otherwise be held twice while it is copied).
namespace FileBytes {

// The rest of an open file, read straight into `out`. False on a read error.
bool readAll(QFile &file, std::string &out);

} // namespace FileBytes

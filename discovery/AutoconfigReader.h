#pragma once

#include "discovery/FoundServer.h"

#include <QByteArray>
#include <QString>
#include <string>
#include <vector>

// Reads the XML document mail providers publish for mail programs
// (clientConfig/emailProvider/outgoingServer type="smtp", with hostname, port, socketType,
// authentication and username) into the SMTP servers it names, in its order. A document
// from the network is hostile until read: one that is not well-formed, declares a DTD
// (whose entities could make it grow), or names no usable SMTP server gives no server
// and a note why. A server whose host, port or security cannot be used is left out.
class AutoconfigReader
{
public:
    struct Result
    {
        std::vector<FoundServer> servers;
        // Empty when the document gave servers; else why it gave none.
        QString problem;
    };

    // `address` fills %EMAILADDRESS%, %EMAILLOCALPART% and %EMAILDOMAIN% in the user name.
    static Result read(const QByteArray &document, const std::string &address);

    // A host name a server entry may carry: letters, digits, "-" and "." only, at most 253.
    static bool usableHost(const std::string &host);
};

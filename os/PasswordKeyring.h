#pragma once

#include <QString>
#include <string>

// A place for secrets outside the program's files: the desktop's keyring. Entries are
// named by a key within the program's service. Calls may wait for the keyring, but never
// longer than a moment's bound, and keep the event loop running while they wait.
class PasswordKeyring
{
public:
    enum class Status {
        Ok,
        NotFound,  // the keyring answered; it holds no such entry
        NoService, // no keyring service answers (no desktop session, no D-Bus)
        Refused,   // the keyring is locked, or the person or the service refused
        TimedOut,  // no answer within the bound
        Failed,    // any other error
    };
    struct Result
    {
        Status status = Status::Failed;
        std::string password; // what read() found
        QString message;      // why it failed, in words; empty on success
        bool ok() const { return status == Status::Ok; }
    };

    virtual ~PasswordKeyring() = default;

    virtual Result read(const QString &key) = 0;
    virtual Result write(const QString &key, const std::string &password) = 0;
    // Removing an entry that is not there succeeds.
    virtual Result remove(const QString &key) = 0;
};

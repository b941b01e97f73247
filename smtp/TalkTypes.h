#pragma once

#include <QObject>
#include <cstdint>
#include <functional>

// How the last wait of a TSocketTalk failed: one of the socket's error kinds, the
// time-out, or none.
enum class TTalkError : std::uint8_t {
    teNone,
    teGeneral,
    teSend,
    teReceive,
    teConnect,
    teDisconnect,
    teAccept,
    teLookup,
    teTimeOut,
};

// Progress of a long send: Sender is the talk's owner (the TSMTP), Total the length of
// the text in bytes, Current the bytes handed over so far.
using TTalkProgressEvent = std::function<void(QObject *Sender, std::int64_t Total, std::int64_t Current)>;

#pragma once

#include <cstdint>

#include "TProgressEventStandIn.h"

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

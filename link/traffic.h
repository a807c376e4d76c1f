#pragma once

#include <QByteArray>
#include <QString>

// One thing that happened on the line, for the traffic log: bytes sent or received, and the
// link's own events.
struct TrafficEvent
{
    enum class Kind {
        Opened,       // the port was opened on `device`
        OpenFailed,   // `reason` says why
        Closed,
        Lost,         // the port went away under the link (unplugged, read or write failed)
        Sent,         // `bytes` went out
        Received,     // `bytes` came in while a reply was awaited
        Unrequested,  // `bytes` came in while no reply was awaited, and were dropped
        Resent,       // `bytes` went out again, resend number `attempt` (1..3)
        GaveUp,       // the unit did not answer; the wait ended
        ReplyCut,     // a reply went past the size the link keeps; it was dropped
    };

    Kind kind = Kind::Sent;
    QString device;  // the port's device path, or the one that was tried
    QByteArray bytes;
    int attempt = 0;
    QString reason;  // the operating system's words, where there are any
};

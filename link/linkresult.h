#pragma once

#include "link/serialchannel.h"

#include <QMetaType>
#include <QString>

// The operations a caller asks the link for; each ends with one Link::finished.
enum class LinkOperation {
    Connect,         // open the port and identify the unit
    ReadBack,        // identification, version and every parameter
    ReadParameters,  // every parameter, without a word on the status line
    ReadError,       // the unit's error code
    Write,           // a group of parameter commands
};

// How one operation ended.
struct LinkResult
{
    enum class Outcome {
        Done,         // connected; the write's last command acknowledged; the read complete
        Refused,      // the unit answered `command` with NAK
        // The exchange ended without the answer that says done: the last command of a write
        // answered with something else than ACK (an error line, say), a read without its end.
        Unconfirmed,
        NoAnswer,     // silence: the unit stopped answering `command`
        // Bytes came back but no line the link could use (garbage, a wrong speed or parity,
        // noise, a line that never went quiet): something is there, unlike silence.
        Unreadable,
        WrongModel,   // the unit is of a model this tool does not handle
        OpenFailed,   // the port could not be opened
        PortLost,     // the port went away (unplugged, a failed write)
        Stopped,      // Link::quit: nothing more went out
    };

    LinkOperation operation = LinkOperation::Connect;
    Outcome outcome = Outcome::Done;
    // The last command that went out, without "@" and CR LF: the one refused or unanswered.
    QString command;
    // OpenFailed, PortLost: why, in the channel's words, and who holds the port where known.
    PortCheck port;

    bool ok() const { return outcome == Outcome::Done; }
};

Q_DECLARE_METATYPE(LinkResult)

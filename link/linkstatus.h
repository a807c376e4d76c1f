#pragma once

// What the link reports on the status line. The link only says what happened; the window
// chooses the words and the colour.
enum class LinkStatus {
    Connecting,       // the port is open and the unit is being identified
    Connected,        // the unit answered the identification
    OpenFailed,       // the port could not be opened
    CloseFailed,      // closing a port that was not open
    Disconnected,     // the link to an identified unit was closed
    WrongUnit,        // the unit is of a model this tool does not handle
    NoAnswer,         // the unit stopped answering, or the port went away
    Writing,          // a write was queued
    WriteDone,        // the last command of a write was acknowledged
    WriteFailed,      // a write was refused
    ReadingSettings,  // a read-back was queued
    ReadingError,     // the error code was asked for
    ReadDone,         // a read completed
    ReadFailed,       // a read was refused
};

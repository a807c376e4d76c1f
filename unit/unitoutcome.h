#pragma once

#include "unit/unitjob.h"

#include <QString>

// How one unit's work ended, in the terms every front end reports: the command line's outcome
// and exit status, the record's word and reason code, the station's tile. The unit job's
// result says what happened on the wire; this is what that means to the person at the bench.
enum class UnitOutcome {
    Done,
    Refused,       // the unit refused a command, or did not acknowledge the last one
    Different,     // verify or diff found a difference
    WrongModel,    // not one of our models, or not the file's unit kind: nothing was written
    InUse,         // another program holds the port
    OpenFailed,    // the port could not be opened for another reason
    NoAnswer,      // silence: nobody answered, or the unit stopped answering
    Unreadable,    // bytes came back, but no line could be read (speed, parity, noise)
    PortLost,      // the port went away (an unplugged adapter), or was closed under the job
    BadReadBack,   // the values read back lack a parameter or hold one the rules refuse
    OutputFailed,  // the result could not be saved
    Interrupted,   // stopped by the user (Ctrl-C, 停止)
};

// Exit statuses of the command line, as its --help and the README give them.
namespace ExitStatus {
inline constexpr int Done = 0;
inline constexpr int Refused = 1;       // refused, different, or the wrong model
inline constexpr int BadUsage = 2;      // nothing was sent
inline constexpr int LinkFailed = 3;    // no port, no answer, or the result could not be saved
inline constexpr int Interrupted = 130; // 128 + SIGINT, as shells report it
} // namespace ExitStatus

// The outcome of a job's result. A job its front end stopped is Interrupted there; a read
// whose values cannot stand is left to the front end that uses them (a read-back it saves).
UnitOutcome outcomeOf(const UnitJob::Result &result);
int exitStatus(UnitOutcome outcome);
// The command line's word: "done", "no answer", "port not opened" ...
QString outcomeName(UnitOutcome outcome);
// What the record and the station's tile make of it: done, failed, interrupted (cut short once
// the write had started, or stopped), or the wrong model.
enum class Verdict { Done, Failed, Interrupted, WrongModel };
Verdict verdictOf(UnitOutcome outcome, bool writeStarted);
// The record's one word: done, failed, interrupted, wrong-model.
QString recordWord(Verdict verdict);
// The record's reason for machines: done, no-answer, unreadable, refused, port-lost, ...
QString reasonCode(UnitOutcome outcome);

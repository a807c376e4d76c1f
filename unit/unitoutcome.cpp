#include "unit/unitoutcome.h"

UnitOutcome outcomeOf(const UnitJob::Result &result)
{
    switch (result.outcome) {
    case UnitJob::Outcome::Done:
        return UnitOutcome::Done;
    case UnitJob::Outcome::Refused:
    case UnitJob::Outcome::Unacknowledged:
        return UnitOutcome::Refused;
    case UnitJob::Outcome::Different:
        return UnitOutcome::Different;
    case UnitJob::Outcome::WrongModel:
        return UnitOutcome::WrongModel;
    case UnitJob::Outcome::OpenFailed:
        return result.port.failure == PortFailure::InUse ? UnitOutcome::InUse
                                                         : UnitOutcome::OpenFailed;
    case UnitJob::Outcome::NoAnswer:
    case UnitJob::Outcome::Unidentified:
        return UnitOutcome::NoAnswer;
    case UnitJob::Outcome::Unreadable:
        return UnitOutcome::Unreadable;
    case UnitJob::Outcome::PortLost:
    case UnitJob::Outcome::Stopped:
        return UnitOutcome::PortLost;
    }
    return UnitOutcome::NoAnswer;
}

int exitStatus(UnitOutcome outcome)
{
    switch (outcome) {
    case UnitOutcome::Done:
        return ExitStatus::Done;
    case UnitOutcome::Refused:
    case UnitOutcome::Different:
    case UnitOutcome::WrongModel:
        return ExitStatus::Refused;
    case UnitOutcome::InUse:
    case UnitOutcome::OpenFailed:
    case UnitOutcome::NoAnswer:
    case UnitOutcome::Unreadable:
    case UnitOutcome::PortLost:
    case UnitOutcome::BadReadBack:
    case UnitOutcome::OutputFailed:
        return ExitStatus::LinkFailed;
    case UnitOutcome::Interrupted:
        return ExitStatus::Interrupted;
    }
    return ExitStatus::LinkFailed;
}

QString outcomeName(UnitOutcome outcome)
{
    switch (outcome) {
    case UnitOutcome::Done:
        return QStringLiteral("done");
    case UnitOutcome::Refused:
        return QStringLiteral("refused");
    case UnitOutcome::Different:
        return QStringLiteral("different");
    case UnitOutcome::WrongModel:
        return QStringLiteral("wrong model");
    case UnitOutcome::InUse:
    case UnitOutcome::OpenFailed:
        return QStringLiteral("port not opened");
    case UnitOutcome::NoAnswer:
        return QStringLiteral("no answer");
    case UnitOutcome::Unreadable:
        return QStringLiteral("unreadable answer");
    case UnitOutcome::PortLost:
        return QStringLiteral("port lost");
    case UnitOutcome::BadReadBack:
        return QStringLiteral("bad read-back");
    case UnitOutcome::OutputFailed:
        return QStringLiteral("not saved");
    case UnitOutcome::Interrupted:
        return QStringLiteral("interrupted");
    }
    return {};
}

QString recordWord(UnitOutcome outcome, bool writeStarted)
{
    switch (outcome) {
    case UnitOutcome::Done:
        return QStringLiteral("done");
    case UnitOutcome::WrongModel:
        return QStringLiteral("wrong-model");
    case UnitOutcome::PortLost:
    case UnitOutcome::Interrupted:
        return QStringLiteral("interrupted");
    case UnitOutcome::NoAnswer:
    case UnitOutcome::Unreadable:
        return writeStarted ? QStringLiteral("interrupted") : QStringLiteral("failed");
    default:
        return QStringLiteral("failed");
    }
}

QString reasonCode(UnitOutcome outcome)
{
    switch (outcome) {
    case UnitOutcome::Done:
        return QStringLiteral("done");
    case UnitOutcome::Refused:
        return QStringLiteral("refused");
    case UnitOutcome::Different:
        return QStringLiteral("different");
    case UnitOutcome::WrongModel:
        return QStringLiteral("wrong-model");
    case UnitOutcome::InUse:
        return QStringLiteral("in-use");
    case UnitOutcome::OpenFailed:
        return QStringLiteral("open-failed");
    case UnitOutcome::NoAnswer:
        return QStringLiteral("no-answer");
    case UnitOutcome::Unreadable:
        return QStringLiteral("unreadable");
    case UnitOutcome::PortLost:
        return QStringLiteral("port-lost");
    case UnitOutcome::BadReadBack:
        return QStringLiteral("bad-read-back");
    case UnitOutcome::OutputFailed:
        return QStringLiteral("not-saved");
    case UnitOutcome::Interrupted:
        return QStringLiteral("stopped");
    }
    return {};
}

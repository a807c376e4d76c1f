#include "unit/unitoutcome.h"

#include <iterator>

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

namespace {

// Each outcome's words and status, in the enum's order.
struct Meaning
{
    UnitOutcome outcome;
    int exitStatus;
    const char *name;        // the command line's word
    const char *reasonCode;  // the record's
};

constexpr Meaning Meanings[] = {
    {UnitOutcome::Done, ExitStatus::Done, "done", "done"},
    {UnitOutcome::Refused, ExitStatus::Refused, "refused", "refused"},
    {UnitOutcome::Different, ExitStatus::Refused, "different", "different"},
    {UnitOutcome::WrongModel, ExitStatus::Refused, "wrong model", "wrong-model"},
    {UnitOutcome::InUse, ExitStatus::LinkFailed, "port not opened", "in-use"},
    {UnitOutcome::OpenFailed, ExitStatus::LinkFailed, "port not opened", "open-failed"},
    {UnitOutcome::NoAnswer, ExitStatus::LinkFailed, "no answer", "no-answer"},
    {UnitOutcome::Unreadable, ExitStatus::LinkFailed, "unreadable answer", "unreadable"},
    {UnitOutcome::PortLost, ExitStatus::LinkFailed, "port lost", "port-lost"},
    {UnitOutcome::BadReadBack, ExitStatus::LinkFailed, "bad read-back", "bad-read-back"},
    {UnitOutcome::OutputFailed, ExitStatus::LinkFailed, "not saved", "not-saved"},
    {UnitOutcome::Interrupted, ExitStatus::Interrupted, "interrupted", "stopped"},
};
constexpr bool inEnumOrder()
{
    for (size_t i = 0; i < std::size(Meanings); ++i) {
        if (size_t(Meanings[i].outcome) != i)
            return false;
    }
    return std::size(Meanings) == size_t(UnitOutcome::Interrupted) + 1;
}
static_assert(inEnumOrder(), "one row per outcome, in the enum's order");

const Meaning &meaningOf(UnitOutcome outcome)
{
    return Meanings[size_t(outcome)];
}

} // namespace

int exitStatus(UnitOutcome outcome)
{
    return meaningOf(outcome).exitStatus;
}

QString outcomeName(UnitOutcome outcome)
{
    return QString::fromLatin1(meaningOf(outcome).name);
}

Verdict verdictOf(UnitOutcome outcome, bool writeStarted)
{
    switch (outcome) {
    case UnitOutcome::Done:
        return Verdict::Done;
    case UnitOutcome::WrongModel:
        return Verdict::WrongModel;
    case UnitOutcome::PortLost:
    case UnitOutcome::Interrupted:
        return Verdict::Interrupted;
    case UnitOutcome::NoAnswer:
    case UnitOutcome::Unreadable:
        return writeStarted ? Verdict::Interrupted : Verdict::Failed;
    default:
        return Verdict::Failed;
    }
}

QString recordWord(Verdict verdict)
{
    static const char *const words[] = {"done", "failed", "interrupted", "wrong-model"};
    return QString::fromLatin1(words[size_t(verdict)]);
}

QString reasonCode(UnitOutcome outcome)
{
    return QString::fromLatin1(meaningOf(outcome).reasonCode);
}

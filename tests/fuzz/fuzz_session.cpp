// A whole command-line unit session (connect, identify, then the verb's work, a write's
// verify included) against a unit that answers anything at all. The dispatcher on its own
// cannot show a front end reading an outcome it does not have.
//
// The first byte picks the verb; the rest, cut at each FF byte, is what the unit answers to
// each line written, resends included. When the answers run out the unit falls silent.
#include "cli/unitsession.h"
#include "fakes/fakechannel.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

namespace {

UnitPlan planFor(uint8_t choice)
{
    static const Verb verbs[] = {Verb::Identify, Verb::Read, Verb::Write,
                                 Verb::Set,      Verb::Diff, Verb::Error};
    UnitPlan plan;
    plan.verb = verbs[choice % 6];
    plan.port = plan.device = QStringLiteral("fuzz");
    plan.matchKind = plan.verb == Verb::Write || plan.verb == Verb::Diff;
    plan.verify = (choice & 0x80) != 0 && (plan.verb == Verb::Write || plan.verb == Verb::Set);
    if (plan.verb == Verb::Set)
        plan.keys = {ParameterKey::MODE, ParameterKey::MYID};
    if (choice & 0x40)
        plan.values.setTab(1);
    return plan;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_session";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    if (size == 0)
        return 0;
    const UnitPlan plan = planFor(data[0]);
    const QList<QByteArray> answers =
        QByteArray(reinterpret_cast<const char *>(data) + 1, static_cast<qsizetype>(size - 1))
            .split('\xFF');
    qsizetype next = 0;

    FakeChannel channel;
    UnitSession session(plan, PortSettings(), &channel);
    // The protocol's rhythm, shortened: a silent unit is given up within a few milliseconds.
    session.link()->setTimings({4, 1});
    QObject::connect(&channel, &FakeChannel::wrote, &channel, [&] {
        if (next >= answers.size())
            return;
        const QByteArray answer = answers.at(next++);
        QTimer::singleShot(0, &channel, [&channel, answer] {
            if (channel.isOpen())
                channel.receive(answer);
        });
    });
    session.start();
    QElapsedTimer clock;
    clock.start();
    while (!session.isFinished()) {
        if (clock.elapsed() > 10000)
            __builtin_trap();  // a session ends on its own, whatever the unit says
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    }

    // Success is never claimed for a unit that was not identified, nor a verify not done.
    const UnitReport &report = session.report();
    if (report.outcome == Outcome::Done) {
        if (report.kind.isEmpty())
            __builtin_trap();
        if (plan.verify && (!report.verified || report.written != report.toWrite))
            __builtin_trap();
    }
    return 0;
}

// Arbitrary reply bytes through the reply dispatcher, in every phase of an exchange.
#include "fakes/fakechannel.h"
#include "link/link.h"
#include "settings/unitsettings.h"

#include <QCoreApplication>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_dispatch";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    if (size == 0)
        return 0;
    FakeChannel channel;
    UnitSettings values;
    Link link(&channel);
    link.setPortNumber(1);
    link.setDeviceResolver([](int) { return QStringLiteral("fuzz"); });
    link.connectUnit();
    link.m_sink = [&values](const QString &line) { return values.applyLine(line); };
    link.m_state.phase = static_cast<ExchangePhase>(data[0] % 4);
    link.queueCommand(QStringLiteral("DISP"));
    link.queueCommand(QStringLiteral("UVER"));
    link.transmitNextLine();
    QString reply = QString::fromLatin1(reinterpret_cast<const char *>(data) + 1,
                                        static_cast<qsizetype>(size - 1));
    link.dispatchReply(reply);
    if (!reply.isEmpty() && !link.state().awaitingReply)
        __builtin_trap();  // the dispatcher must use up the reply before it ends the wait
    return 0;
}

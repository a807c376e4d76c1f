// Arbitrary reply bytes through the reply dispatcher, in every phase of an exchange.
#include "fakes/fakechannel.h"
#include "fakes/memoryform.h"
#include "link/link.h"
#include "link/linkhost.h"
#include "settings/panelvalues.h"

#include <QCoreApplication>

namespace {

class FormHost : public LinkHost
{
public:
    void showStatus(const QString &, quint32) override {}
    void setWindowLocked(bool) override {}
    bool identifyUnit(const QString &line) override
    {
        kind = line.mid(3) == QLatin1String("48210") ? QStringLiteral("digital") : QString();
        return !kind.isEmpty();
    }
    void showVersion(const QString &) override {}
    QString unitKind() const override { return kind; }
    void clearUnitLabels() override { kind.clear(); }
    int applyParameterLine(const QString &line) override
    {
        return ::applyParameterLine(form, line);
    }
    void showUnitError(const QString &) override {}
    void showConnectionState(bool) override {}
    void startStatusReset() override {}
    void stopStatusReset() override {}

    MemoryForm form;
    QString kind;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_dispatch";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    if (size == 0)
        return 0;
    FakeChannel channel;
    FormHost host;
    Link link(&channel, &host);
    link.state().portNumber = 1;
    link.setDeviceResolver([](int) { return QStringLiteral("fuzz"); });
    link.connectUnit();
    link.state().phase = static_cast<ExchangePhase>(data[0] % 4);
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

// Times the link against the unit simulator over a pseudo-terminal: a 17-command write and a
// read-back, each beside its floor, and the CPU the link uses while a port sits open and idle.
#include "link/link.h"
#include "link/linkhost.h"
#include "link/qtserialchannel.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>

namespace {

class QuietHost : public LinkHost
{
public:
    void showStatus(const QString &, quint32) override {}
    void setWindowLocked(bool) override {}
    bool identifyUnit(const QString &line) override
    {
        kind = line;
        return true;
    }
    void showVersion(const QString &) override {}
    QString unitKind() const override { return kind; }
    void clearUnitLabels() override { kind.clear(); }
    int applyParameterLine(const QString &) override { return 0; }
    void showUnitError(const QString &) override {}
    void showConnectionState(bool) override {}
    void startStatusReset() override {}
    void stopStatusReset() override {}

    QString kind;
};

const char *const WriteAll[] = {"FRBD0", "FRCH0", "PDIR0000", "LOGI0", "AUIO0", "ADSL0",
                                "DASL0", "MODE0", "TYPE0", "MYID001", "SNUM001", "REPT0",
                                "ETIM005", "DIVR0", "PTIM000", "HOLD0", "DOUT0"};

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec
        + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Runs the event loop until the link has nothing queued and awaits nothing.
double runUntilIdle(Link &link)
{
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (!link.state().awaitingReply && link.state().pendingText.isEmpty())
            loop.quit();
    });
    QObject::connect(&link, &Link::awaitingReplyChanged, &loop, [&](bool awaiting) {
        if (!awaiting && link.state().pendingText.isEmpty())
            loop.quit();
    });
    poll.start(100);
    loop.exec();
    return clock.nsecsElapsed() / 1e6;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

// Characters at 8E1: start, eight data bits, parity, stop.
double wireMs(qint64 characters, int baud)
{
    return characters * 11 * 1000.0 / baud;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOption({QStringLiteral("sim"), QStringLiteral("zrt-unitsim program"),
                      QStringLiteral("path")});
    parser.addOption({QStringLiteral("idle"), QStringLiteral("idle seconds (10)"),
                      QStringLiteral("s"), QStringLiteral("10")});
    parser.process(app);

    QProcess simulator;
    simulator.start(parser.value(QStringLiteral("sim")), {QStringLiteral("--quiet")});
    if (!simulator.waitForReadyRead(5000)) {
        std::fprintf(stderr, "the simulator did not start\n");
        return 1;
    }
    const QString pty = QString::fromLocal8Bit(simulator.readLine()).trimmed();

    QtSerialChannel channel;
    QuietHost host;
    Link link(&channel, &host);
    link.setDeviceResolver([&](int) { return pty; });
    link.connectUnit();
    runUntilIdle(link);
    if (!link.state().portOpen || host.kind.isEmpty()) {
        std::fprintf(stderr, "no unit on %s\n", qPrintable(pty));
        return 1;
    }

    const int rounds = 7;
    QList<double> writes;
    QList<double> reads;
    qint64 writeCharacters = 0;
    for (const char *command : WriteAll)
        writeCharacters += qstrlen(command) + 3 + 5;  // "@" + command + CR LF, "ACK" CR LF
    for (int round = 0; round < rounds; ++round) {
        for (const char *command : WriteAll)
            link.queueCommand(QString::fromLatin1(command));
        writes << runUntilIdle(link);
        link.queueIdentify();
        link.queueReadAll();
        link.state().phase = ExchangePhase::Reading;
        reads << runUntilIdle(link);
    }
    // UVER and DISP out; identification, version and seventeen parameter lines back.
    const qint64 readCharacters = 7 + 7 + 10 + 9 + 17 * 11;

    const int idleSeconds = parser.value(QStringLiteral("idle")).toInt();
    const double cpuBefore = cpuSeconds();
    QEventLoop idle;
    QTimer::singleShot(idleSeconds * 1000, &idle, &QEventLoop::quit);
    idle.exec();
    const double idleCpu = cpuSeconds() - cpuBefore;

    // A pseudo-terminal carries bytes at once, so the floor here is the quiet time alone; on
    // a real line the wire time at the configured speed adds to it.
    const int baud = link.state().baudRate;
    const double writeFloor = 17 * 10;
    const double readFloor = 2 * 10;
    std::printf("| link against the simulator (pseudo-terminal) | measured | floor | ratio "
                "| wire time at %d bit/s 8E1 |\n", baud);
    std::printf("|---|---|---|---|---|\n");
    std::printf("| write-all, 17 commands (median of %d) | %.1f ms | %.0f ms | %.2f | %.1f ms |\n",
                rounds, median(writes), writeFloor, median(writes) / writeFloor,
                wireMs(writeCharacters, baud));
    std::printf("| read-back, UVER + DISP (median of %d) | %.1f ms | %.0f ms | %.2f | %.1f ms |\n",
                rounds, median(reads), readFloor, median(reads) / readFloor,
                wireMs(readCharacters, baud));
    std::printf("| link CPU, port open and idle for %d s | %.3f s | | | |\n", idleSeconds,
                idleCpu);
    link.disconnectUnit();
    simulator.terminate();
    simulator.waitForFinished();
    return 0;
}

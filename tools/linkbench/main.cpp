// Times the link against the unit simulator over a pseudo-terminal: a 17-command write and a
// read-back, each beside its floor, and the CPU the link uses while a port sits open and idle.
#include "link/link.h"
#include "link/linkstatus.h"
#include "link/qtserialchannel.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>

#include <QSocketNotifier>

#include <fcntl.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace {

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

long peakKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// A misbehaving unit on a pseudo-terminal of our own: it identifies itself, then floods the
// line as fast as the terminal takes bytes.
class FloodingUnit : public QObject
{
    Q_OBJECT
public:
    FloodingUnit()
    {
        m_master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        grantpt(m_master);
        unlockpt(m_master);
        path = QString::fromLocal8Bit(ptsname(m_master));
        m_slave = ::open(ptsname(m_master), O_RDWR | O_NOCTTY);
        termios raw{};
        tcgetattr(m_slave, &raw);
        cfmakeraw(&raw);
        tcsetattr(m_slave, TCSANOW, &raw);
        m_reader = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
        connect(m_reader, &QSocketNotifier::activated, this, [this] { onInput(); });
        m_writer = new QSocketNotifier(m_master, QSocketNotifier::Write, this);
        m_writer->setEnabled(false);
        connect(m_writer, &QSocketNotifier::activated, this, [this] { flood(); });
    }
    ~FloodingUnit() override
    {
        ::close(m_slave);
        ::close(m_master);
    }

    // What to send after the next command other than UVER; sent again and again when `repeat`.
    void arm(const QByteArray &bytes, bool repeat)
    {
        m_payload = bytes;
        m_repeat = repeat;
        m_sent = 0;
    }
    void stop() { m_writer->setEnabled(false); m_payload.clear(); }

    QString path;
    qint64 m_sent = 0;

private:
    void onInput()
    {
        char buffer[256];
        const ssize_t count = ::read(m_master, buffer, sizeof buffer);
        if (count <= 0)
            return;
        const QByteArray line(buffer, count);
        if (line.contains("@UVER")) {
            const char identification[] = "ZRT48210\r\nVer1.02\r\n";
            // A pseudo-terminal takes 19 bytes at once; a short write would only make the
            // measurement fail to connect, which it reports.
            if (::write(m_master, identification, sizeof identification - 1) < 0)
                std::perror("flooding unit");
        } else if (!m_payload.isEmpty()) {
            m_offset = 0;
            m_writer->setEnabled(true);
        }
    }
    void flood()
    {
        const ssize_t count = ::write(m_master, m_payload.constData() + m_offset,
                                      static_cast<size_t>(m_payload.size() - m_offset));
        if (count > 0) {
            m_offset += count;
            m_sent += count;
        }
        if (m_offset == m_payload.size()) {
            m_offset = 0;
            if (!m_repeat)
                m_writer->setEnabled(false);
        }
    }

    int m_master = -1;
    int m_slave = -1;
    QSocketNotifier *m_reader = nullptr;
    QSocketNotifier *m_writer = nullptr;
    QByteArray m_payload;
    qsizetype m_offset = 0;
    bool m_repeat = false;
};

void measureResourceBounds()
{
    FloodingUnit unit;
    QtSerialChannel channel;
    Link link(&channel);
    link.setDeviceResolver([&](int) { return unit.path; });
    link.connectUnit();
    runUntilIdle(link);
    if (!link.state().portOpen) {
        std::fprintf(stderr, "no connection to the flooding unit\n");
        return;
    }
    std::printf("| misbehaving unit | line locked for | bytes received | peak memory growth |\n");
    std::printf("|---|---|---|---|\n");
    struct Case
    {
        const char *name;
        QByteArray payload;
        bool repeat;
    };
    const Case cases[] = {
        {"streams bytes without CR LF", QByteArray(64 * 1024, 'x'), true},
        {"answers with one line of 1 MB", QByteArray(1024 * 1024, 'x') + "\r\n", false},
    };
    for (const Case &misbehaviour : cases) {
        unit.arm(misbehaviour.payload, misbehaviour.repeat);
        const long before = peakKiB();
        link.readBack();
        const double lockedMs = runUntilIdle(link);
        unit.stop();
        std::printf("| %s | %.0f ms | %.1f MB | %ld KiB |\n", misbehaviour.name, lockedMs,
                    unit.m_sent / 1e6, peakKiB() - before);
    }
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
    Link link(&channel);
    link.setDeviceResolver([&](int) { return pty; });
    link.connectUnit();
    runUntilIdle(link);
    if (!link.state().portOpen || !link.unit()) {
        std::fprintf(stderr, "no unit on %s\n", qPrintable(pty));
        return 1;
    }

    const int rounds = 7;
    QList<double> writes;
    QList<double> reads;
    qint64 writeCharacters = 0;
    for (const char *command : WriteAll)
        writeCharacters += qstrlen(command) + 3 + 5;  // "@" + command + CR LF, "ACK" CR LF
    QStringList writeAll;
    for (const char *command : WriteAll)
        writeAll << QString::fromLatin1(command);
    for (int round = 0; round < rounds; ++round) {
        link.writeGroup(writeAll);
        writes << runUntilIdle(link);
        link.readBack();
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
    std::printf("\n");
    measureResourceBounds();
    link.disconnectUnit();
    simulator.terminate();
    simulator.waitForFinished();
    return 0;
}

#include "main.moc"

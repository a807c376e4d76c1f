// zrt-unitsim: plays a telemetry unit on a pseudo-terminal (or a real serial port) so that the
// configuration tool can be run and tested without hardware.

#include "ptyunit.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto ignored = ::write(g_signalPipe[1], &byte, 1);
}

// SIGINT and SIGTERM end the event loop, so the destructors run and the link is removed.
bool quitOnSignals(QCoreApplication &app)
{
    if (::pipe(g_signalPipe) != 0)
        return false;
    for (int fd : g_signalPipe)
        fcntl(fd, F_SETFD, FD_CLOEXEC);
    auto *notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return sigaction(SIGINT, &action, nullptr) == 0 && sigaction(SIGTERM, &action, nullptr) == 0;
}

[[noreturn]] void die(const QString &message, int code = 2)
{
    std::fprintf(stderr, "%s: %s\n", qPrintable(QCoreApplication::applicationName()),
                 qPrintable(message));
    std::exit(code);
}

int toNumber(const QCommandLineParser &parser, const QString &name, int min)
{
    bool ok = false;
    const int number = parser.value(name).toInt(&ok);
    if (!ok || number < min)
        die(QStringLiteral("--%1 wants a whole number of at least %2").arg(name).arg(min));
    return number;
}

QSet<QByteArray> toKeywords(const QCommandLineParser &parser, const QString &name)
{
    QSet<QByteArray> keys;
    const QStringList items = parser.value(name).split(u',', Qt::SkipEmptyParts);
    for (const QString &item : items) {
        const QByteArray key = item.trimmed().toLatin1();
        if (!UnitSimulator::isKnownKeyword(key))
            die(QStringLiteral("--%1: unknown keyword %2").arg(name, item));
        keys.insert(key);
    }
    return keys;
}

// CR, LF and other control bytes made visible for the traffic trace.
QByteArray printable(const QByteArray &bytes)
{
    QByteArray text;
    for (char c : bytes) {
        const auto u = uchar(c);
        if (c == '\r')
            text += "\\r";
        else if (c == '\n')
            text += "\\n";
        else if (u < 0x20 || u >= 0x7f)
            text += "\\x" + QByteArray::number(u, 16).rightJustified(2, '0');
        else
            text += c;
    }
    return text;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // Named as it was started: zrt-unitsim in the build, zrt48210-unitsim when installed.
    QCoreApplication::setApplicationVersion(QStringLiteral(ZRT_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Plays a ZRT telemetry unit on a pseudo-terminal. Prints the terminal's path on the\n"
        "first line of its output and answers there until SIGINT or SIGTERM."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({
        {QStringLiteral("model"), QStringLiteral("Model after \"ZRT\" (48210, 48220, 48221, "
                                                 "or anything else)."),
         QStringLiteral("text"), QStringLiteral("48210")},
        {QStringLiteral("version-text"),
         QStringLiteral("Version line; \"Ver\" is put in front if missing."),
         QStringLiteral("text"), QStringLiteral("1.02")},
        {QStringLiteral("error-code"), QStringLiteral("Text after \"Err\" in the error line."),
         QStringLiteral("code"), QStringLiteral("0000")},
        {QStringLiteral("set"),
         QStringLiteral("Stored value to start with, unchecked (repeatable)."),
         QStringLiteral("KEY=VALUE")},
        {QStringLiteral("separator"),
         QStringLiteral("Character between key and value in the parameter listing."),
         QStringLiteral("char"), QStringLiteral("=")},
        {QStringLiteral("listing-repeats"),
         QStringLiteral("Send the parameter listing n times over in one reply."),
         QStringLiteral("n"), QStringLiteral("1")},
        {QStringLiteral("noisy-identify"),
         QStringLiteral("Line noise (90 3D C5 15) in front of \"ZRT\" in the first n "
                        "identification replies."),
         QStringLiteral("n"), QStringLiteral("0")},
        {QStringLiteral("delay"), QStringLiteral("Wait before each reply."),
         QStringLiteral("ms"), QStringLiteral("0")},
        {QStringLiteral("silent"), QStringLiteral("Never answer.")},
        {QStringLiteral("answer-after"),
         QStringLiteral("Stay silent for the first ms after start, then answer: a unit plugged "
                        "into an adapter that was already there."),
         QStringLiteral("ms")},
        {QStringLiteral("silent-after"), QStringLiteral("Answer n lines, then nothing."),
         QStringLiteral("n")},
        {QStringLiteral("silent-keys"), QStringLiteral("Do not answer these keywords."),
         QStringLiteral("K1,K2")},
        {QStringLiteral("nak-keys"), QStringLiteral("Refuse these keywords with NAK."),
         QStringLiteral("K1,K2")},
        {QStringLiteral("forget-keys"),
         QStringLiteral("Acknowledge these keywords but keep the old value."),
         QStringLiteral("K1,K2")},
        {QStringLiteral("err-keys"),
         QStringLiteral("Answer these keywords with the error line in place of ACK."),
         QStringLiteral("K1,K2")},
        {QStringLiteral("omit-keys"),
         QStringLiteral("Leave these parameters' lines out of the parameter listing."),
         QStringLiteral("K1,K2")},
        {QStringLiteral("chunks"), QStringLiteral("Send each reply in k pieces."),
         QStringLiteral("k"), QStringLiteral("1")},
        {QStringLiteral("chunk-pause"), QStringLiteral("Pause between two pieces."),
         QStringLiteral("ms"), QStringLiteral("0")},
        {QStringLiteral("noise"),
         QStringLiteral("Random bytes (no CR, no LF) in front of each reply."),
         QStringLiteral("n"), QStringLiteral("0")},
        {QStringLiteral("stream-keys"),
         QStringLiteral("Answer these keywords (\"*\": any) with an endless run of bytes "
                        "without CR LF."),
         QStringLiteral("K1,K2")},
        {QStringLiteral("stream-bytes"), QStringLiteral("End each such run after n bytes."),
         QStringLiteral("n")},
        {QStringLiteral("link"), QStringLiteral("Symbolic link to the pseudo-terminal."),
         QStringLiteral("path")},
        {QStringLiteral("device"),
         QStringLiteral("Use this serial device (8E1) instead of a pseudo-terminal."),
         QStringLiteral("path")},
        {QStringLiteral("baud"), QStringLiteral("Speed of --device."), QStringLiteral("rate"),
         QStringLiteral("38400")},
        {QStringLiteral("log"), QStringLiteral("Append every received line to this file."),
         QStringLiteral("file")},
        {QStringLiteral("quiet"), QStringLiteral("No traffic trace on standard error.")},
    });
    parser.process(app);
    if (!parser.positionalArguments().isEmpty())
        die(QStringLiteral("unexpected argument %1").arg(parser.positionalArguments().first()));

    UnitOptions options;
    options.model = parser.value(QStringLiteral("model")).toLatin1();
    options.version = parser.value(QStringLiteral("version-text")).toLatin1();
    options.errorCode = parser.value(QStringLiteral("error-code")).toLatin1();
    for (const QString &setting : parser.values(QStringLiteral("set"))) {
        const qsizetype equals = setting.indexOf(u'=');
        const QByteArray key = setting.left(equals).toLatin1();
        if (equals < 0 || !UnitSimulator::isParameterKey(key))
            die(QStringLiteral("--set wants KEY=VALUE with a parameter key, not %1").arg(setting));
        options.initialValues[key] = setting.mid(equals + 1).toLatin1();
    }
    const QByteArray separator = parser.value(QStringLiteral("separator")).toLatin1();
    if (separator.size() != 1)
        die(QStringLiteral("--separator wants exactly one character"));
    options.separator = separator.at(0);
    options.listingRepeats = toNumber(parser, QStringLiteral("listing-repeats"), 1);
    options.noisyIdentifications = toNumber(parser, QStringLiteral("noisy-identify"), 0);
    options.silent = parser.isSet(QStringLiteral("silent"));
    if (parser.isSet(QStringLiteral("silent-after")))
        options.silentAfter = toNumber(parser, QStringLiteral("silent-after"), 0);
    options.silentKeys = toKeywords(parser, QStringLiteral("silent-keys"));
    options.nakKeys = toKeywords(parser, QStringLiteral("nak-keys"));
    options.forgetKeys = toKeywords(parser, QStringLiteral("forget-keys"));
    options.errKeys = toKeywords(parser, QStringLiteral("err-keys"));
    options.omitKeys = toKeywords(parser, QStringLiteral("omit-keys"));

    ReplyShape shape;
    shape.delayMs = toNumber(parser, QStringLiteral("delay"), 0);
    shape.chunks = toNumber(parser, QStringLiteral("chunks"), 1);
    shape.chunkPauseMs = toNumber(parser, QStringLiteral("chunk-pause"), 0);
    shape.noiseBytes = toNumber(parser, QStringLiteral("noise"), 0);

    PtyUnit unit(options);
    unit.setReplyShape(shape);
    if (parser.isSet(QStringLiteral("answer-after"))) {
        UnitOptions later = options;
        options.silent = true;
        unit.simulator().setOptions(options);
        // Precise: a coarse timer may fire 5 % early, and benchmarks time from this moment.
        QTimer::singleShot(toNumber(parser, QStringLiteral("answer-after"), 0),
                           Qt::PreciseTimer, &unit,
                           [&unit, later] { unit.simulator().setOptions(later); });
    }
    if (parser.isSet(QStringLiteral("stream-keys"))) {
        const QString name = QStringLiteral("stream-keys");
        const bool any = parser.value(name) == QStringLiteral("*");
        const qint64 limit = parser.isSet(QStringLiteral("stream-bytes"))
            ? toNumber(parser, QStringLiteral("stream-bytes"), 1) : -1;
        unit.streamOnCommand(any ? QSet<QByteArray>() : toKeywords(parser, name), limit);
    }

    QFile log;
    if (parser.isSet(QStringLiteral("log"))) {
        log.setFileName(parser.value(QStringLiteral("log")));
        if (!log.open(QIODevice::WriteOnly | QIODevice::Append))
            die(QStringLiteral("cannot open %1: %2").arg(log.fileName(), log.errorString()), 1);
        QObject::connect(&unit, &PtyUnit::lineReceived, &log, [&log](const QByteArray &line) {
            const QByteArray entry = line + '\n';
            // A log that silently stops would make a test believe the tool sent nothing.
            if (log.write(entry) != entry.size() || !log.flush())
                die(QStringLiteral("cannot write %1: %2").arg(log.fileName(), log.errorString()), 1);
        });
    }
    if (!parser.isSet(QStringLiteral("quiet"))) {
        QObject::connect(&unit, &PtyUnit::lineReceived, [](const QByteArray &line) {
            std::fprintf(stderr, "<- %s\n", printable(line).constData());
        });
        QObject::connect(&unit, &PtyUnit::replySent, [](const QByteArray &bytes) {
            std::fprintf(stderr, "-> %s\n", printable(bytes).constData());
        });
    }
    // Without its far end the unit has nothing left to do.
    QObject::connect(&unit, &PtyUnit::closed, &app, [] {
        std::fprintf(stderr, "%s: the line went away\n",
                     qPrintable(QCoreApplication::applicationName()));
        QCoreApplication::exit(1);
    });

    if (!quitOnSignals(app))
        die(QStringLiteral("cannot install signal handlers"), 1);

    const bool opened = parser.isSet(QStringLiteral("device"))
        ? unit.openDevice(parser.value(QStringLiteral("device")),
                          toNumber(parser, QStringLiteral("baud"), 1))
        : unit.openPty(parser.value(QStringLiteral("link")));
    if (!opened)
        die(unit.errorString(), 1);

    // The path alone on standard output, for scripts; everything for people goes to stderr.
    std::printf("%s\n", qPrintable(unit.devicePath()));
    std::fflush(stdout);
    const QString path = unit.linkPath().isEmpty() ? unit.devicePath() : unit.linkPath();
    std::fprintf(stderr, "%s: unit ZRT%s answering on %s\n",
                 qPrintable(QCoreApplication::applicationName()), options.model.constData(),
                 qPrintable(path));
    if (parser.isSet(QStringLiteral("device"))) {
        std::fprintf(stderr, "  talk to it from the other end of the cable, %d 8E1\n",
                     toNumber(parser, QStringLiteral("baud"), 1));
    } else {
        std::fprintf(stderr,
                     "  by hand: socat - %s,raw,echo=0,crlf   (type @UVER and Enter)\n"
                     "       or: picocom --omap crlf --echo %s\n",
                     qPrintable(path), qPrintable(path));
    }
    std::fprintf(stderr, "  stop with Ctrl+C\n");

    return app.exec();
}

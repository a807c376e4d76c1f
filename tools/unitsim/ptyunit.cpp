#include "ptyunit.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSocketNotifier>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

// Input that never reaches a line end is thrown away rather than kept for ever.
constexpr qsizetype kMaxLine = 4096;
// The stream goes out in small blocks at a short, steady interval, so that the line is never
// quiet long enough for the tool to take it as the end of a reply.
constexpr int kStreamBlock = 16;
constexpr int kStreamIntervalMs = 1;

const QList<QPair<int, speed_t>> &baudTable()
{
    static const QList<QPair<int, speed_t>> table = {
        {1200, B1200},     {2400, B2400},     {4800, B4800},   {9600, B9600},
        {19200, B19200},   {38400, B38400},   {57600, B57600}, {115200, B115200},
        {230400, B230400},
    };
    return table;
}

QByteArray noise(int count)
{
    QByteArray bytes;
    bytes.reserve(count);
    auto *random = QRandomGenerator::global();
    while (bytes.size() < count) {
        const char c = char(random->bounded(256));
        if (c != '\r' && c != '\n')
            bytes.append(c);
    }
    return bytes;
}

} // namespace

PtyUnit::PtyUnit(const UnitOptions &options, QObject *parent)
    : QObject(parent)
    , m_simulator(options)
{
    m_pieceTimer.setSingleShot(true);
    m_pieceTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_pieceTimer, &QTimer::timeout, this, &PtyUnit::releasePieces);
    m_streamTimer.setInterval(kStreamIntervalMs);
    m_streamTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_streamTimer, &QTimer::timeout, this, &PtyUnit::streamTick);
}

PtyUnit::~PtyUnit()
{
    // Quietly: nobody should hear from a unit that is being destroyed.
    QSignalBlocker blocker(this);
    closeMaster();
}

bool PtyUnit::isSupportedBaudRate(int baudRate)
{
    for (const auto &entry : baudTable()) {
        if (entry.first == baudRate)
            return true;
    }
    return false;
}

bool PtyUnit::fail(const QString &what)
{
    m_error = what + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
    return false;
}

bool PtyUnit::openPty(const QString &linkPath)
{
    if (isOpen()) {
        m_error = QStringLiteral("already open");
        return false;
    }
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0)
        return fail(QStringLiteral("posix_openpt"));
    char name[128];
    if (grantpt(master) != 0 || unlockpt(master) != 0 || ptsname_r(master, name, sizeof name)) {
        fail(QStringLiteral("pseudo-terminal set-up"));
        ::close(master);
        return false;
    }
    // We keep a slave descriptor of our own for the whole run: with no slave open, reads of
    // the master fail with EIO, which would end the unit whenever the tool closes its port.
    const int slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    termios mode{};
    if (slave < 0 || tcgetattr(slave, &mode) != 0) {
        fail(QStringLiteral("open ") + QString::fromLocal8Bit(name));
        if (slave >= 0)
            ::close(slave);
        ::close(master);
        return false;
    }
    // No echo and no line discipline, so the tool sees exactly the bytes the unit sends.
    cfmakeraw(&mode);
    cfsetispeed(&mode, B38400);
    cfsetospeed(&mode, B38400);
    tcsetattr(slave, TCSANOW, &mode);

    if (!linkPath.isEmpty()) {
        const QFileInfo existing(linkPath);
        if (existing.isSymLink()) {
            QFile::remove(linkPath);
        } else if (existing.exists()) {
            m_error = linkPath + QStringLiteral(" exists and is not a symbolic link");
            ::close(slave);
            ::close(master);
            return false;
        }
        if (::symlink(name, QFile::encodeName(linkPath).constData()) != 0) {
            fail(QStringLiteral("symlink ") + linkPath);
            ::close(slave);
            ::close(master);
            return false;
        }
        m_linkPath = linkPath;
    }
    m_slaveFd = slave;
    m_devicePath = QString::fromLocal8Bit(name);
    return attach(master);
}

bool PtyUnit::openDevice(const QString &path, int baudRate)
{
    if (isOpen()) {
        m_error = QStringLiteral("already open");
        return false;
    }
    speed_t speed = B0;
    for (const auto &entry : baudTable()) {
        if (entry.first == baudRate)
            speed = entry.second;
    }
    if (speed == B0) {
        m_error = QStringLiteral("unsupported speed %1").arg(baudRate);
        return false;
    }
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return fail(QStringLiteral("open ") + path);
    termios mode{};
    if (tcgetattr(fd, &mode) != 0) {
        fail(QStringLiteral("tcgetattr ") + path);
        ::close(fd);
        return false;
    }
    // The line settings the tool uses by default: 8 data bits, even parity, 1 stop bit.
    cfmakeraw(&mode);
    mode.c_cflag &= ~(CSIZE | PARODD | CSTOPB | CRTSCTS);
    mode.c_cflag |= CS8 | PARENB | CLOCAL | CREAD;
    mode.c_iflag &= ~(IXON | IXOFF | IXANY);
    cfsetispeed(&mode, speed);
    cfsetospeed(&mode, speed);
    if (tcsetattr(fd, TCSANOW, &mode) != 0) {
        fail(QStringLiteral("tcsetattr ") + path);
        ::close(fd);
        return false;
    }
    tcflush(fd, TCIOFLUSH);
    m_devicePath = path;
    return attach(fd);
}

bool PtyUnit::attach(int fd)
{
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    // A program started from here (the tool under test, say) must not inherit our end, or
    // closing it would no longer cut the line.
    fcntl(fd, F_SETFD, fcntl(fd, F_GETFD) | FD_CLOEXEC);
    m_fd = fd;
    m_readNotifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &PtyUnit::readInput);
    m_writeNotifier = new QSocketNotifier(fd, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &PtyUnit::writeOutput);
    return true;
}

void PtyUnit::closeMaster()
{
    m_streamArmed = false;
    m_streamTimer.stop();
    m_pieceTimer.stop();
    m_pieces.clear();
    m_output.clear();
    m_writtenTotal = m_queuedTotal;
    m_marks.clear();
    m_input.clear();
    // Later, not now: this may run inside a notifier's own signal.
    for (QSocketNotifier *notifier : {m_readNotifier, m_writeNotifier}) {
        if (notifier) {
            notifier->setEnabled(false);
            notifier->deleteLater();
        }
    }
    m_readNotifier = nullptr;
    m_writeNotifier = nullptr;
    // The device node of a pulled adapter is gone as well.
    removeLink();
    const bool wasOpen = isOpen();
    if (m_fd >= 0)
        ::close(m_fd);
    if (m_slaveFd >= 0)
        ::close(m_slaveFd);
    m_fd = -1;
    m_slaveFd = -1;
    if (wasOpen)
        emit closed();
}

void PtyUnit::removeLink()
{
    if (m_linkPath.isEmpty())
        return;
    // Only our own link: someone may have put something else there meanwhile.
    if (QFileInfo(m_linkPath).isSymLink()
        && QFile::symLinkTarget(m_linkPath) == QFileInfo(m_devicePath).absoluteFilePath()) {
        QFile::remove(m_linkPath);
    }
    m_linkPath.clear();
}

void PtyUnit::readInput()
{
    char buffer[512];
    for (;;) {
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n > 0) {
            m_input.append(buffer, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        // End of file or a hard error: the device is gone; a notifier left on would spin.
        closeMaster();
        return;
    }
    // Lines end in CR LF; a bare LF is taken as well.
    qsizetype end;
    while (isOpen() && (end = m_input.indexOf('\n')) >= 0) {
        QByteArray line = m_input.left(end);
        m_input.remove(0, end + 1);
        if (line.endsWith('\r'))
            line.chop(1);
        handleLine(line);
    }
    if (m_input.size() > kMaxLine)
        m_input.clear();
}

void PtyUnit::handleLine(const QByteArray &line)
{
    const QByteArray reply = m_simulator.respond(line);
    emit lineReceived(line);
    // A silent unit stays silent; only a line that would be answered starts a stream.
    if (reply.isEmpty() || !isOpen())
        return;
    if (triggersStream(line)) {
        m_streamSent = 0;
        m_streamTimer.start();
        return;
    }
    scheduleReply(reply);
}

bool PtyUnit::triggersStream(const QByteArray &line) const
{
    if (!m_streamArmed)
        return false;
    const QByteArray keyword = UnitSimulator::keywordOf(line);
    return !keyword.isEmpty() && (m_streamKeys.isEmpty() || m_streamKeys.contains(keyword));
}

void PtyUnit::scheduleReply(const QByteArray &reply)
{
    const QByteArray bytes = noise(qMax(0, m_shape.noiseBytes)) + reply;
    const qsizetype count = qBound(qsizetype(1), qsizetype(m_shape.chunks), bytes.size());
    qsizetype from = 0;
    for (qsizetype i = 0; i < count; ++i) {
        const qsizetype to = bytes.size() * (i + 1) / count;
        Piece piece;
        piece.bytes = bytes.mid(from, to - from);
        if (i == 0)
            piece.due = QDeadlineTimer(qMax(0, m_shape.delayMs), Qt::PreciseTimer);
        else
            piece.gapMs = qMax(0, m_shape.chunkPauseMs);
        if (i == count - 1)
            piece.completes = bytes;
        m_pieces.append(piece);
        from = to;
    }
    releasePieces();
}

// Pieces go out strictly in order, so a reply that arrives while another one is still being
// paced waits behind it instead of mixing into it.
void PtyUnit::releasePieces()
{
    while (!m_pieces.isEmpty()) {
        const Piece &next = m_pieces.constFirst();
        if (!next.due.hasExpired()) {
            m_pieceTimer.start(int(qMax<qint64>(0, next.due.remainingTime())));
            return;
        }
        const Piece piece = m_pieces.takeFirst();
        if (!m_pieces.isEmpty() && m_pieces.constFirst().gapMs >= 0)
            m_pieces.first().due = QDeadlineTimer(m_pieces.constFirst().gapMs, Qt::PreciseTimer);
        enqueue(piece.bytes, piece.completes);
        if (!isOpen())
            return;
    }
}

void PtyUnit::enqueue(const QByteArray &bytes, const QByteArray &completes)
{
    if (!isOpen())
        return;
    m_output += bytes;
    m_queuedTotal += bytes.size();
    if (!completes.isEmpty())
        m_marks.append({m_queuedTotal, completes});
    writeOutput();
}

void PtyUnit::writeOutput()
{
    while (!m_output.isEmpty()) {
        const ssize_t n = ::write(m_fd, m_output.constData(), size_t(m_output.size()));
        if (n > 0) {
            m_output.remove(0, n);
            m_writtenTotal += n;
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            break;
        } else {
            // Nobody can take it any more; keeping it would only grow the queue.
            m_output.clear();
            m_writtenTotal = m_queuedTotal;
        }
    }
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(!m_output.isEmpty());
    while (!m_marks.isEmpty() && m_marks.constFirst().position <= m_writtenTotal)
        emit replySent(m_marks.takeFirst().reply);
}

void PtyUnit::streamOnCommand(const QSet<QByteArray> &keys, qint64 totalBytes,
                              const QByteArray &pattern)
{
    m_streamArmed = true;
    m_streamKeys = keys;
    m_streamLimit = totalBytes;
    m_streamPattern = pattern;
}

void PtyUnit::startStream(qint64 totalBytes, const QByteArray &pattern)
{
    m_streamLimit = totalBytes;
    m_streamPattern = pattern;
    m_streamSent = 0;
    if (isOpen())
        m_streamTimer.start();
}

void PtyUnit::stopStream()
{
    m_streamArmed = false;
    if (!m_streamTimer.isActive())
        return;
    m_streamTimer.stop();
    emit streamFinished(m_streamSent);
}

void PtyUnit::streamTick()
{
    // Stream bytes are made only when the line has room, so a reader that does not read
    // holds the stream back instead of growing our queue.
    if (!isOpen() || !m_output.isEmpty())
        return;
    qint64 size = kStreamBlock;
    if (m_streamLimit >= 0)
        size = qMin(size, m_streamLimit - m_streamSent);
    QByteArray block;
    if (m_streamPattern.isEmpty()) {
        block = noise(int(size));
    } else {
        for (qint64 i = 0; i < size; ++i)
            block.append(m_streamPattern.at((m_streamSent + i) % m_streamPattern.size()));
    }
    m_streamSent += size;
    enqueue(block);
    if (m_streamLimit >= 0 && m_streamSent >= m_streamLimit) {
        m_streamTimer.stop();
        emit streamFinished(m_streamSent);
    }
}

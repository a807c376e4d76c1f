#pragma once

#include "unitsimulator.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>

class QSocketNotifier;

// How a reply is put on the line. The defaults send it at once in one piece.
struct ReplyShape
{
    int delayMs = 0;       // from the received line to the first byte of the reply
    int chunks = 1;        // the reply is cut into this many pieces ...
    int chunkPauseMs = 0;  // ... with this pause between two pieces
    int noiseBytes = 0;    // random bytes (never CR or LF) sent before the reply
};

// A UnitSimulator on a serial line: the master side of a fresh pseudo-terminal, whose slave
// the tool opens like any serial port, or a real serial device. Single-threaded and never
// blocking: output the line cannot take yet is queued until it can.
class PtyUnit : public QObject
{
    Q_OBJECT
public:
    explicit PtyUnit(const UnitOptions &options = {}, QObject *parent = nullptr);
    ~PtyUnit() override;

    // Creates the pseudo-terminal; with a link path, also a symbolic link to its slave there
    // (an existing symbolic link is replaced, any other file is left alone and fails the call).
    bool openPty(const QString &linkPath = {});
    // Uses a real serial device instead: raw, 8 data bits, even parity, 1 stop bit.
    bool openDevice(const QString &path, int baudRate = 38400);
    bool isOpen() const { return m_fd >= 0; }
    // The slave of the pseudo-terminal ("/dev/pts/N"), or the device path.
    QString devicePath() const { return m_devicePath; }
    QString linkPath() const { return m_linkPath; }
    QString errorString() const { return m_error; }

    UnitSimulator &simulator() { return m_simulator; }
    const UnitSimulator &simulator() const { return m_simulator; }

    ReplyShape replyShape() const { return m_shape; }
    void setReplyShape(const ReplyShape &shape) { m_shape = shape; }

    // From now on, a command with one of these keywords (any command when the set is empty)
    // starts a stream of bytes in place of its reply: the pattern repeated, or random bytes
    // without CR or LF when the pattern is empty, until totalBytes have gone out (negative:
    // until stopStream). The simulator still takes the command; a silenced one streams nothing.
    void streamOnCommand(const QSet<QByteArray> &keys, qint64 totalBytes = -1,
                         const QByteArray &pattern = {});
    // Starts such a stream at once.
    void startStream(qint64 totalBytes = -1, const QByteArray &pattern = {});
    // Ends a running stream and disarms streamOnCommand.
    void stopStream();
    bool isStreaming() const { return m_streamTimer.isActive(); }

    // Closes our end for good, as if the adapter had been pulled: the tool's reads fail.
    void closeMaster();

    static bool isSupportedBaudRate(int baudRate);

signals:
    void lineReceived(const QByteArray &line);
    // The whole reply, noise included, has been handed to the line.
    void replySent(const QByteArray &bytes);
    void streamFinished(qint64 bytesSent);
    // Our end is closed: by closeMaster, or because the device went away.
    void closed();

private:
    struct Piece
    {
        QByteArray bytes;
        QDeadlineTimer due;
        int gapMs = -1;       // >= 0: goes out this long after the piece before it
        QByteArray completes; // set on the last piece: the reply it completes
    };
    struct Mark
    {
        qint64 position;      // total bytes queued up to the end of the reply
        QByteArray reply;
    };

    bool attach(int fd);
    void readInput();
    void handleLine(const QByteArray &line);
    bool triggersStream(const QByteArray &line) const;
    void scheduleReply(const QByteArray &reply);
    void releasePieces();
    void enqueue(const QByteArray &bytes, const QByteArray &completes = {});
    void writeOutput();
    void streamTick();
    void removeLink();
    bool fail(const QString &what);

    UnitSimulator m_simulator;
    ReplyShape m_shape;
    int m_fd = -1;
    int m_slaveFd = -1;
    QString m_devicePath;
    QString m_linkPath;
    QString m_error;
    QSocketNotifier *m_readNotifier = nullptr;
    QSocketNotifier *m_writeNotifier = nullptr;

    QByteArray m_input;
    QList<Piece> m_pieces;
    QTimer m_pieceTimer;
    QByteArray m_output;
    qint64 m_queuedTotal = 0;
    qint64 m_writtenTotal = 0;
    QList<Mark> m_marks;

    bool m_streamArmed = false;
    QSet<QByteArray> m_streamKeys;
    qint64 m_streamLimit = -1;
    QByteArray m_streamPattern;
    qint64 m_streamSent = 0;
    QTimer m_streamTimer;
};

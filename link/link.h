#pragma once

#include "link/linkstate.h"

#include <QObject>
#include <QTimer>

#include <functional>

class LinkHost;
class SerialChannel;

struct LinkTimings
{
    int watchdogMs = 1000;  // Timer2
    int quietMs = 10;       // a reply is complete after this much silence
};

// The half-duplex conversation with one unit: the transmit queue, one command per exchange,
// collection and dispatch of the reply, and the watchdog that resends and finally gives up.
//
// Nothing here spins. A "turn" of the exchange runs from an event: a queued command, the end
// of a reply's quiet time, or the end of the previous exchange. A turn first drops a failed
// batch, then either dispatches one collected reply or transmits one line, never both.
class Link : public QObject
{
    Q_OBJECT
public:
    // Device name for a port number; empty when that number cannot be opened.
    using DeviceResolver = std::function<QString(int portNumber)>;

    Link(SerialChannel *channel, LinkHost *host, QObject *parent = nullptr);

    LinkState &state() { return m_state; }
    const LinkState &state() const { return m_state; }
    void setTimings(const LinkTimings &timings);
    void setDeviceResolver(DeviceResolver resolver);

    void queueCommand(const QString &command);
    void queueIdentify();
    void queueReadAll();
    void queueReadError();

    void connectUnit();
    void disconnectUnit();

    void transmitNextLine();
    void setAwaitingReply(bool on);
    void dispatchReply(QString &reply);
    void replyTimeout();
    bool watchdogRunning() const { return m_watchdog.isActive(); }

    // Largest reply text kept from one wait, and largest unfinished line carried over.
    static constexpr qsizetype MaxReplyBytes = 64 * 1024;
    static constexpr qsizetype MaxFragmentBytes = 4 * 1024;
    // Watchdog ticks after which a wait ends whatever the line is doing.
    static constexpr int GiveUpTicks = 4;
    static constexpr int MaxResends = 3;

signals:
    void awaitingReplyChanged(bool awaiting);

private:
    void scheduleTurn();
    void runTurn();
    void dropFailedBatch();
    void onReadyRead();
    void onQuietTimeout();
    void finishCollection();
    void resetCollection();
    void onChannelLost();
    void giveUp();
    bool appendReceived();

    SerialChannel *m_channel;
    LinkHost *m_host;
    LinkState m_state;
    LinkTimings m_timings;
    DeviceResolver m_resolveDevice;
    QTimer m_watchdog;     // Timer2
    QTimer m_quietTimer;
    QTimer m_turnTimer;
    QByteArray m_collected;
    QByteArray m_fragment; // text after the last CR LF, waiting for the rest of its line
    bool m_collecting = false;
    bool m_replyCut = false;  // the collection went past MaxReplyBytes
    bool m_dispatching = false;
    int m_ticks = 0;
};

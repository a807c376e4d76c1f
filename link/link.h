#pragma once

#include "link/linkstate.h"
#include "link/traffic.h"

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <cstddef>
#include <cstdint>
#include <functional>

class LinkHost;
class SerialChannel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

struct LinkTimings
{
    int watchdogMs = 1000;  // Timer2
    int quietMs = 10;       // a reply is complete after this much silence
};

// The half-duplex conversation with one unit: the transmit queue, one command per exchange,
// collection and dispatch of the reply, and the watchdog that resends and finally gives up.
//
// Callers state what they want (connect, read back, write a group, read the error code); the
// link owns every rule of the exchange, the phase included. What it has to show goes to its
// LinkHost; every line on the wire is reported as a TrafficEvent.
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

    const LinkState &state() const { return m_state; }
    void setTimings(const LinkTimings &timings);
    void setDeviceResolver(DeviceResolver resolver);

    // The port entry and line settings, as system.ini keeps them. Take effect at the next
    // connect.
    PortSettings portSettings() const { return m_state; }
    void setPortSettings(const PortSettings &settings);
    void setPortNumber(int portNumber);
    // The device the port was last opened on, or tried.
    QString device() const { return m_device; }

    void connectUnit();
    void disconnectUnit();
    // Identification, version and every parameter of the unit.
    void readBack();
    // Every parameter of the unit, without identification and without a word on the status
    // line: what a write is checked against.
    void readParameters();
    // The unit's error code.
    void readError();
    // Parameter commands ("FRBD3", "MYID001" ...), one per exchange; a refusal drops the rest.
    void writeGroup(const QStringList &commands);
    // The program is ending: nothing more goes out.
    void quit();

    bool watchdogRunning() const { return m_watchdog.isActive(); }

    // Largest reply text kept from one wait, and largest unfinished line carried over.
    static constexpr qsizetype MaxReplyBytes = 64 * 1024;
    static constexpr qsizetype MaxFragmentBytes = 4 * 1024;
    // Watchdog ticks after which a wait ends whatever the line is doing.
    static constexpr int GiveUpTicks = 4;
    static constexpr int MaxResends = 3;

signals:
    void awaitingReplyChanged(bool awaiting);
    void traffic(const TrafficEvent &event);

private:
    // The dispatcher is fuzzed on its own, without the turns around it.
    friend int ::LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

    void queueCommand(const QString &command);
    void queueIdentify();
    void queueReadAll();
    void queueReadError();
    void transmitNextLine();
    void setAwaitingReply(bool on);
    void dispatchReply(QString &reply);
    void replyTimeout();
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
    void discardInput();
    void report(TrafficEvent::Kind kind, const QByteArray &bytes = {}, const QString &reason = {});

    SerialChannel *m_channel;
    LinkHost *m_host;
    LinkState m_state;
    LinkTimings m_timings;
    DeviceResolver m_resolveDevice;
    QString m_device;
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

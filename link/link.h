#pragma once

#include "link/linkresult.h"
#include "link/linkstate.h"
#include "link/linkstatus.h"
#include "link/traffic.h"
#include "link/unitmodels.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

class SerialChannel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

struct LinkTimings
{
    int watchdogMs = 1000;  // the watchdog: resend, then give up
    int quietMs = 10;       // a reply is complete after this much silence
};

// The half-duplex conversation with one unit: the transmit queue, one command per exchange,
// collection and dispatch of the reply, and the watchdog that resends and finally gives up.
//
// Callers state what they want (connect, read back, write a group, read the error code); the
// link owns every rule of the exchange, the phase included, and keeps the identified unit. It
// reports by signals and ends each operation with one `finished` carrying a LinkResult, sent
// from a turn of its own, never from inside a dispatch, so that a receiver may open a modal
// box. It asks its callers nothing; every line on the wire is reported as a TrafficEvent.
//
// Nothing here spins. A "turn" of the exchange runs from an event: a queued command, the end
// of a reply's quiet time, or the end of the previous exchange. A turn first drops a failed
// batch, then either dispatches one collected reply or transmits one line, never both.
//
// A front end that shows the user what the unit reported may hold the link (LinkHold): while
// held, nothing goes out, no command and no resend, and the watchdog rests; replies are still
// taken and operations still end. The last hold to end gives the link a turn.
class Link : public QObject
{
    Q_OBJECT
public:
    // Device name for a port number; empty when that number cannot be opened.
    using DeviceResolver = std::function<QString(int portNumber)>;
    // Takes one parameter line of a read ("FRBD=3"); false when the settings refuse it, and a
    // read whose last line is refused is asked for again. None: every line is taken.
    using ParameterSink = std::function<bool(const QString &line)>;

    explicit Link(SerialChannel *channel, QObject *parent = nullptr);

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

    // The unit that answered the last identification, if it is one of ours.
    const std::optional<UnitModel> &unit() const { return m_unit; }

    void connectUnit();
    // Synchronous, with no `finished` of its own; an operation under way ends (Stopped).
    void disconnectUnit();
    // Identification, version and every parameter of the unit.
    void readBack(ParameterSink sink = {});
    // Every parameter of the unit, without identification and without a word on the status
    // line: what a write is checked against.
    void readParameters(ParameterSink sink = {});
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
    void statusChanged(LinkStatus status);
    // A reply is awaited: the window refuses input meanwhile.
    void awaitingReplyChanged(bool awaiting);
    // The unit was identified; `kind` is empty for a model of another family.
    void identified(const QString &model, const QString &kind);
    // An identification was asked for: what was known of the unit no longer holds.
    void unitForgotten();
    void versionReceived(const QString &line);
    // An error line ("Err" + code); the status already says the read is done.
    void errorLineReceived(const QString &line);
    // A parameter line of a read, after the sink judged it.
    void parameterLineReceived(const QString &line, bool taken);
    // Connected: an identified unit of ours stands behind the open port.
    void connectionChanged(bool connected);
    void finished(const LinkResult &result);
    void traffic(const TrafficEvent &event);

private:
    // The dispatcher is fuzzed on its own, without the turns around it.
    friend int ::LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);
    friend class LinkHold;

    void hold();
    void release();

    void queueCommand(const QString &command);
    void begin(LinkOperation operation);
    void endOperation(LinkResult::Outcome outcome);
    void settle();
    void emitFinished();
    void showStatus(LinkStatus status);
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
    void notePortFailure();

    SerialChannel *m_channel;
    LinkState m_state;
    std::optional<UnitModel> m_unit;
    ParameterSink m_sink;
    // The operation under way: what ended it, once something has.
    std::optional<LinkOperation> m_operation;
    std::optional<LinkResult::Outcome> m_outcome;
    PortCheck m_portCheck;  // the failure of the port the operation under way met
    bool m_confirmed = false;  // the answer that says done arrived
    QList<LinkResult> m_results;  // waiting for their turn to be announced
    QTimer m_finishTimer;
    LinkTimings m_timings;
    DeviceResolver m_resolveDevice;
    QString m_device;
    QTimer m_watchdog;
    QTimer m_quietTimer;
    QTimer m_turnTimer;
    QByteArray m_collected;
    QByteArray m_fragment; // text after the last CR LF, waiting for the rest of its line
    bool m_collecting = false;
    bool m_replyCut = false;  // the collection went past MaxReplyBytes
    // This wait (its resends included) heard bytes, whether any made a line the link used, and
    // whether a line came that it could not use: a give-up after bytes and no usable line, or
    // after an unusable one (a version line behind a garbled identification), is an unreadable
    // answer, not silence.
    bool m_heard = false;
    bool m_understood = false;
    bool m_garbled = false;
    int m_ticks = 0;
    int m_holds = 0;
};

// Holds a link for as long as it lives; may outlive the link.
class LinkHold
{
public:
    explicit LinkHold(Link *link);
    ~LinkHold();
    LinkHold(const LinkHold &) = delete;
    LinkHold &operator=(const LinkHold &) = delete;

private:
    QPointer<Link> m_link;
};

#pragma once

#include "station/portwatcher.h"
#include "station/unitrun.h"

#include <QLockFile>
#include <QObject>
#include <QTimer>

#include <memory>

// What a tile shows.
struct SlotView
{
    enum class State {
        Off,          // 開始 is not on
        Waiting,      // asking for a unit once a second
        InUse,        // another program holds the port
        NeedsId,      // a unit is there; its own ID is to be typed or scanned
        Writing,      // k of n written
        Verifying,
        Done,         // recorded as done; waiting until the unit is gone
        Failed,       // failed or the wrong model; waiting until the unit is gone
        Interrupted,  // cut short (unplugged, silent, stopped)
        // Bytes come back but nothing readable: a wrong speed, a noisy cable, a unit that
        // streams. Something is plugged in; it is not recorded, as only UVER went out.
        Unreadable,
    };
    State state = State::Off;
    int step = 0;
    int steps = 0;
    QString model;    // "ZRT48210"
    QString ownId;    // "011"
    QString message;  // the reason in words
    bool ownIdReusable = false;  // interrupted after its own ID went out
    // The unit whose result is shown has gone: the result stays until the next unit answers.
    bool removed = false;  // filled in by AdapterSlot::view()

    // Where a tile settles once its unit's work is recorded: the wrong model is a failure.
    static State settledBy(Verdict verdict)
    {
        return verdict == Verdict::Done ? State::Done
            : verdict == Verdict::Interrupted ? State::Interrupted
                                              : State::Failed;
    }
};

// One adapter of the bench and the unit on it, hands-free: while active it asks once a second
// who is there; a unit that answers is handed to the station, which gives it an own ID and has
// it configured here; then the slot waits until that unit is gone (the adapter vanished, or a
// poll went unanswered through the watchdog's whole give-up) before it takes the next one. So a
// unit left plugged in is never configured twice.
class AdapterSlot : public QObject
{
    Q_OBJECT
public:
    // Without a factory the slot's runs open the real port.
    explicit AdapterSlot(const Adapter &adapter, SerialChannelFactory channels = {},
                         QObject *parent = nullptr);

    const Adapter &adapter() const { return m_adapter; }
    SlotView view() const;
    // True while a unit's write or read-back is in progress.
    bool isRunning() const { return m_run.isRunning(); }

    void setActive(bool on);
    void configure(const JobSettings &job, int ownId, bool verify);
    // The unit's work is recorded: show the outcome and wait until the unit is gone.
    void settle(SlotView::State state, const QString &message, bool ownIdReusable = false);
    // No own ID to give yet: ask again in a second.
    void holdForOwnId(const QString &message);
    // The adapter has vanished: nothing new starts here.
    void markGone();
    bool isGone() const { return m_gone; }
    void clearReuse();

signals:
    // A unit that was not there before answered (one of ours or not).
    void unitFound(const UnitSummary &poll);
    void configured(const UnitSummary &result);
    void changed();
    // The adapter began or ceased to answer with bytes nobody can read.
    void unreadableChanged(bool unreadable);
    // Nothing runs on this adapter any more (after 停止 or when it vanished).
    void idle();

private:
    void poll();
    void onFinished(const UnitSummary &result);
    void show(SlotView::State state, const QString &message = {});
    void setUnreadable(bool on);
    // A unit's result is on the tile: kept until the next unit answers.
    bool showsResult() const;
    void holdPort();

    Adapter m_adapter;
    SlotView m_view;
    UnitRun m_run;
    // Between its own runs the slot keeps the port's lock, so that another station (or any
    // program that honours the lock) sees the adapter in use while this one works it.
    std::unique_ptr<QLockFile> m_hold;
    QTimer m_pollTimer;
    bool m_active = false;
    bool m_waitGone = false;
    bool m_gone = false;
    bool m_unreadable = false;  // the last look heard only bytes nobody can read
};

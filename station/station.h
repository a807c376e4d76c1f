#pragma once

#include "station/adapterslot.h"
#include "station/ownids.h"
#include "station/portwatcher.h"
#include "station/record.h"
#include "station/recordstore.h"
#include "station/unitrun.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <memory>
#include <optional>
#include <vector>

// The job a station runs, chosen before 開始.
struct StationSetup
{
    QString settingsPath;
    OwnIdRule rule = OwnIdRule::FromFile;
    int sequenceFrom = 1;
    QString operatorName;
    QString recordPath;  // a CSV file, or a plant's database (postgresql://...)
    // What the stations of a plant share; without it, the settings file's name.
    QString jobName;
    bool verify = true;
};

struct StationCounters
{
    int sessionDone = 0;
    int sessionFailed = 0;
    int recordDone = 0;
    int recordFailed = 0;
    std::optional<int> nextOwnId;
    QString sharedJob;  // the plant's job this station has joined; empty with a CSV record
};

// The production station without a screen: the adapters of the bench (PortWatcher), one
// AdapterSlot on each, the own IDs and the record. The window and `zrt48210-cli watch` show
// what it reports; neither decides anything of the work.
class Station : public QObject
{
    Q_OBJECT
public:
    // Without a factory the adapters' runs open the real ports.
    explicit Station(const QStringList &patterns, SerialChannelFactory channels = {},
                     QObject *parent = nullptr);
    ~Station() override;

    // Shows the adapters; nothing is sent before start().
    void watchAdapters();
    // Takes the settings file and the record. False, with why, when either cannot be used.
    bool prepare(const StationSetup &setup, QString *why);
    const JobSettings &job() const { return m_job; }
    const StationSetup &setup() const { return m_setup; }
    QString recordPath() const { return m_record ? m_record->target() : QString(); }
    // How a CSV record's rows are put on the disk; tests hand in one that fails.
    void setRecordSync(SyncToDisk sync) { m_recordSync = std::move(sync); }
    // The job's name as the record knows it: the given one, or the settings file's name.
    static QString jobNameOf(const StationSetup &setup);

    void start();
    // Units in progress finish the line in progress (their rows are written); nothing new
    // starts. stopped() follows once nothing runs any more.
    void stop();
    bool isActive() const { return m_active; }
    bool isIdle() const;

    QList<AdapterSlot *> adapterSlots() const { return m_slots; }
    StationCounters counters() const;
    // Per-unit own IDs: a typed or scanned label.
    bool queueLabel(const QString &label, QString *why);
    // The operator says, on the tile, that the own ID an interrupted unit got from the sequence
    // may be given again: it is the next one given. The word holds for this session; started
    // again on the same record, every own ID the record holds counts as given.
    void reuseOwnId(AdapterSlot *slot);

signals:
    void slotAdded(AdapterSlot *slot, int position);
    void slotRemoved(AdapterSlot *slot);
    void countersChanged();
    void activeChanged(bool active);
    // Work stopped by itself (the record cannot be written, no own ID left): say so plainly.
    void halted(const QString &why);
    // 停止 took effect: nothing runs any more.
    void stopped();
    // A row is on the disk.
    void recorded(AdapterSlot *slot, const RecordRow &row);
    void unitFound(AdapterSlot *slot, const QString &model);
    // An adapter began or ceased to answer with bytes nobody can read.
    void unreadableChanged(AdapterSlot *slot, bool unreadable);

private:
    void onAdded(const Adapter &adapter);
    void onRemoved(const QString &path);
    void onUnitFound(AdapterSlot *slot, const UnitSummary &poll);
    void onDrawn(AdapterSlot *slot, int ticket, RecordStore *record, bool sameStart,
                 OwnIdAllocator::Taken taken, std::optional<int> drawn, const QString &why);
    // Writes the unit with its own ID, or says why there is none.
    void configure(AdapterSlot *slot, const std::optional<OwnIdAllocator::Taken> &taken,
                   const QString &why);
    void onConfigured(AdapterSlot *slot, const UnitSummary &result);
    void record(AdapterSlot *slot, const UnitSummary &result, SlotView::State state,
                bool reusable);
    void onRecorded(AdapterSlot *slot, RecordStore *record, const RecordRow &row,
                    const UnitSummary &result, SlotView::State state, bool reusable, bool kept,
                    const QString &why);
    void halt(const QString &why);
    void checkStopped();
    // A unit's work on the slot, or the record's answer for it, is still to come.
    bool isBusy(AdapterSlot *slot) const;
    // A pulled adapter's tile goes once nothing is left to do or decide on it.
    void dropIfGone(AdapterSlot *slot);
    void dropSlot(AdapterSlot *slot);
    bool drawsOwnIdsFromRecord() const;
    void giveBack(int ownId);

    PortWatcher m_watcher;
    SerialChannelFactory m_channels;
    StationSetup m_setup;
    JobSettings m_job;
    std::unique_ptr<RecordStore> m_record;
    // Records replaced while answers from them were still to come; kept until the end.
    std::vector<std::unique_ptr<RecordStore>> m_retired;
    SyncToDisk m_recordSync;
    PlantJob m_plantJob;  // what the record was opened for
    QTimer m_refresh;     // a plant's record: what the other stations have done
    OwnIdAllocator m_ownIds;
    QList<AdapterSlot *> m_slots;
    QHash<AdapterSlot *, OwnIdAllocator::Taken> m_taken;
    QHash<AdapterSlot *, QString> m_labels;  // scanned for the unit being recorded
    // What waits for a plant's database: a slot's own ID being drawn (by the ticket of the
    // draw), a slot's row being kept, the other stations' counts being read.
    QHash<AdapterSlot *, int> m_drawing;
    QSet<AdapterSlot *> m_recording;
    bool m_refreshing = false;
    int m_tickets = 0;
    int m_starts = 0;  // 開始 so far: a draw from before a 停止 gives its own ID back
    bool m_active = false;
    bool m_stopping = false;
    int m_sessionDone = 0;
    int m_sessionFailed = 0;
};

// The record's row for a unit's work on an adapter.
RecordRow recordRow(const UnitSummary &result, const Adapter &adapter,
                    const QString &operatorName, const JobSettings &job,
                    const QString &label = {});

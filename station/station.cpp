#include "station/station.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSysInfo>

#include <algorithm>

namespace {

// The texts' translation context.
struct Words
{
    Q_DECLARE_TR_FUNCTIONS(Station)
};

} // namespace

RecordRow recordRow(const UnitSummary &result, const Adapter &adapter,
                    const QString &operatorName, const JobSettings &job, const QString &label)
{
    RecordRow row;
    const QDateTime now = QDateTime::currentDateTime();
    row.time = now.toOffsetFromUtc(now.offsetFromUtc());  // written with its time zone
    row.station = QSysInfo::machineHostName();
    row.operatorName = operatorName;
    row.adapter = adapter.path;
    row.adapterSerial = adapter.serialNumber;
    row.model = result.model.isEmpty() ? QString() : QStringLiteral("ZRT") + result.model;
    row.version = result.version;
    row.label = label;
    row.ownId = result.ownIdSent ? result.ownId : QString();
    row.settingsFile = QFileInfo(job.path).fileName();
    row.settingsSha256 = job.sha256;
    row.result = recordWord(verdictOf(result.outcome, result.writeStarted));
    row.reasonCode = reasonCode(result.outcome);
    row.reason = reasonOf(result, ReasonLanguage::Record);
    row.readBack = result.readBack;
    row.values = result.values;
    return row;
}

Station::Station(const QStringList &patterns, SerialChannelFactory channels, QObject *parent)
    : QObject(parent)
    , m_watcher(patterns)
    , m_channels(std::move(channels))
{
    connect(&m_watcher, &PortWatcher::added, this, &Station::onAdded);
    connect(&m_watcher, &PortWatcher::removed, this, &Station::onRemoved);
    // Another station of a plant's job may have recorded a unit or taken an own ID.
    m_refresh.setInterval(3000);
    connect(&m_refresh, &QTimer::timeout, this, [this] {
        if (!m_record || m_refreshing)
            return;
        m_refreshing = true;
        m_record->refreshThen([this, record = m_record.get()](bool changed) {
            m_refreshing = false;
            if (changed && record == m_record.get()) {
                m_ownIds.setGiven(m_record->summary().ownIds);
                emit countersChanged();
            }
        });
    });
}

QString Station::jobNameOf(const StationSetup &setup)
{
    const QString name = setup.jobName.trimmed();
    return name.isEmpty() ? QFileInfo(setup.settingsPath).fileName() : name;
}

bool Station::drawsOwnIdsFromRecord() const
{
    return m_record && m_record->sharesOwnIds() && m_job.fixedOwnId.isEmpty()
        && m_setup.rule != OwnIdRule::FromFile;
}

void Station::giveBack(int ownId)
{
    if (m_ownIds.fixed())
        return;
    m_ownIds.giveBack(ownId);
    if (drawsOwnIdsFromRecord())
        m_record->releaseOwnId(ownId);
}

Station::~Station()
{
    qDeleteAll(m_slots);
}

void Station::watchAdapters()
{
    m_watcher.start();
}

bool Station::prepare(const StationSetup &setup, QString *why)
{
    JobSettings job = loadJobSettings(setup.settingsPath);
    if (!job.error.isEmpty()) {
        *why = Words::tr("設定ファイルを使えません: %1").arg(job.error);
        return false;
    }
    if (setup.recordPath.isEmpty()) {
        *why = Words::tr("記録ファイルを選んでください");
        return false;
    }
    PlantJob plant;
    plant.name = jobNameOf(setup);
    plant.settingsFile = QFileInfo(setup.settingsPath).fileName();
    plant.sha256 = job.sha256;
    plant.kind = job.analog ? QStringLiteral("analog") : QStringLiteral("digital");
    plant.ownIdRule = setup.rule == OwnIdRule::Sequence ? QStringLiteral("sequence")
        : setup.rule == OwnIdRule::PerUnit              ? QStringLiteral("per-unit")
                                                        : QStringLiteral("file");
    plant.sequenceFrom = setup.rule == OwnIdRule::Sequence ? setup.sequenceFrom : 0;
    const bool sameRecord = m_record && m_record->target() == setup.recordPath
        && (!isPlantRecord(setup.recordPath)
            || (plant.name == m_plantJob.name && plant.sha256 == m_plantJob.sha256
                && plant.ownIdRule == m_plantJob.ownIdRule
                && plant.sequenceFrom == m_plantJob.sequenceFrom));
    if (!sameRecord) {
        std::unique_ptr<RecordStore> record =
            openRecord(setup.recordPath, plant, m_recordSync, why);
        if (!record)
            return false;
        if (m_record && !isIdle())
            m_retired.push_back(std::move(m_record));
        m_record = std::move(record);
        m_plantJob = plant;
        m_refreshing = false;  // a read of the record before is not waited for
    }
    if (m_record->sharesOwnIds())
        m_refresh.start();
    else
        m_refresh.stop();
    m_setup = setup;
    m_job = job;
    std::optional<int> fixed;
    if (!job.fixedOwnId.isEmpty())
        fixed = job.fixedOwnId.toInt();
    else if (setup.rule == OwnIdRule::FromFile)
        fixed = job.fileOwnId.toInt();
    m_ownIds.setRule(setup.rule, setup.sequenceFrom, fixed);
    m_ownIds.setGiven(m_record->summary().ownIds);
    emit countersChanged();
    return true;
}

void Station::start()
{
    if (m_active || m_job.bytes.isEmpty() || !m_record)
        return;
    // After the plant's database was away: its rows kept aside go first.
    if (m_record->isOffline()) {
        QString why;
        if (!m_record->resume(&why)) {
            emit halted(why);
            return;
        }
        m_ownIds.setGiven(m_record->summary().ownIds);
        emit countersChanged();
    }
    m_active = true;
    m_stopping = false;
    emit activeChanged(true);
    ++m_starts;
    for (AdapterSlot *slot : QList<AdapterSlot *>(m_slots)) {
        // One still waiting for the record takes up again once it has the answer.
        if (!m_drawing.contains(slot) && !m_recording.contains(slot))
            slot->setActive(true);
    }
}

void Station::stop()
{
    if (!m_active)
        return;
    m_active = false;
    m_stopping = true;
    emit activeChanged(false);
    for (AdapterSlot *slot : QList<AdapterSlot *>(m_slots))
        slot->setActive(false);
    checkStopped();
}

bool Station::isIdle() const
{
    return m_drawing.isEmpty() && m_recording.isEmpty()
        && std::none_of(m_slots.cbegin(), m_slots.cend(),
                        [](const AdapterSlot *slot) { return slot->isRunning(); });
}

bool Station::isBusy(AdapterSlot *slot) const
{
    return slot->isRunning() || m_drawing.contains(slot) || m_recording.contains(slot);
}

void Station::dropIfGone(AdapterSlot *slot)
{
    if (slot->isGone() && !slot->view().ownIdReusable && !isBusy(slot))
        dropSlot(slot);
}

void Station::checkStopped()
{
    if (m_stopping && isIdle()) {
        m_stopping = false;
        emit stopped();
    }
}

StationCounters Station::counters() const
{
    const RecordSummary summary = m_record ? m_record->summary() : RecordSummary();
    return {m_sessionDone, m_sessionFailed, summary.done, summary.failed, m_ownIds.next(),
            m_record && m_record->sharesOwnIds() ? m_plantJob.name : QString()};
}

bool Station::queueLabel(const QString &label, QString *why)
{
    const bool queued = m_ownIds.queueLabel(label, why);
    emit countersChanged();
    return queued;
}

void Station::reuseOwnId(AdapterSlot *slot)
{
    bool ok = false;
    const int ownId = slot->view().ownId.toInt(&ok);
    if (ok && slot->view().ownIdReusable)
        giveBack(ownId);
    slot->clearReuse();
    emit countersChanged();
    // The tile of a pulled adapter stayed only for this choice.
    dropIfGone(slot);
}

void Station::dropSlot(AdapterSlot *slot)
{
    if (!m_slots.contains(slot))
        return;
    m_slots.removeAll(slot);
    emit slotRemoved(slot);
    slot->deleteLater();
}

void Station::onAdded(const Adapter &adapter)
{
    // The adapter is back: an interrupted unit's tile left from before gives way, and its own
    // ID stays given.
    for (AdapterSlot *old : QList<AdapterSlot *>(m_slots)) {
        if (old->isGone() && !isBusy(old) && old->adapter().path == adapter.path)
            dropSlot(old);
    }
    // Placed among the slots held here, which may still hold a pulled adapter's.
    const int position = static_cast<int>(std::count_if(
        m_slots.cbegin(), m_slots.cend(),
        [&](const AdapterSlot *s) { return s->adapter().sortKey < adapter.sortKey; }));
    auto *slot = new AdapterSlot(adapter, m_channels);
    m_slots.insert(position, slot);
    connect(slot, &AdapterSlot::unitFound, this,
            [this, slot](const UnitSummary &poll) { onUnitFound(slot, poll); });
    connect(slot, &AdapterSlot::configured, this,
            [this, slot](const UnitSummary &result) { onConfigured(slot, result); });
    connect(slot, &AdapterSlot::unreadableChanged, this,
            [this, slot](bool unreadable) { emit unreadableChanged(slot, unreadable); });
    connect(slot, &AdapterSlot::idle, this, [this, slot] {
        // A pulled adapter's tile stays while its unit's own ID may still be given back.
        dropIfGone(slot);
        checkStopped();
    });
    emit slotAdded(slot, position);
    if (m_active)
        slot->setActive(true);
}

void Station::onRemoved(const QString &path)
{
    for (AdapterSlot *slot : QList<AdapterSlot *>(m_slots)) {
        if (slot->adapter().path == path)
            slot->markGone();
    }
}

void Station::onUnitFound(AdapterSlot *slot, const UnitSummary &poll)
{
    emit unitFound(slot, QStringLiteral("ZRT") + poll.model);
    if (!m_active)
        return;
    if (poll.outcome == UnitOutcome::WrongModel) {
        // Not one of ours: it was asked who it is and gets nothing more.
        record(slot, poll, SlotView::State::Failed, false);
        return;
    }
    QString why;
    std::optional<OwnIdAllocator::Taken> taken = m_ownIds.take(&why);
    if (taken && drawsOwnIdsFromRecord()) {
        // This station's pick says where to look; the plant's database gives the own ID, and
        // none is given without it. The other adapters go on meanwhile.
        const int picked = taken->ownId;
        m_ownIds.giveBack(picked);
        std::optional<int> exactly;
        if (m_setup.rule == OwnIdRule::PerUnit)
            exactly = picked;
        const int ticket = ++m_tickets;
        m_drawing.insert(slot, ticket);
        m_record->reserveOwnIdThen(
            m_setup.sequenceFrom, exactly,
            [this, slot, ticket, starts = m_starts, record = m_record.get(),
             taken = *taken](std::optional<int> drawn, const QString &why) {
                onDrawn(slot, ticket, record, starts == m_starts, taken, drawn, why);
            });
        return;
    }
    configure(slot, taken, why);
}

void Station::onDrawn(AdapterSlot *slot, int ticket, RecordStore *record, bool sameStart,
                      OwnIdAllocator::Taken taken, std::optional<int> drawn, const QString &why)
{
    // The slot is only a key here until it is known to be this draw's and still there.
    const bool current = m_drawing.value(slot) == ticket;
    if (current)
        m_drawing.remove(slot);
    // Stopped (and perhaps started again), pulled or replaced meanwhile: nothing goes out, and
    // the own ID goes back; a slot of a station at work looks anew.
    if (!current || !m_active || !sameStart || record != m_record.get() || slot->isGone()) {
        if (drawn)
            record->releaseOwnId(*drawn);
        if (current) {
            dropIfGone(slot);
            if (m_active && !slot->isGone())
                slot->setActive(true);
        }
        checkStopped();
        return;
    }
    std::optional<OwnIdAllocator::Taken> given;
    if (drawn) {
        taken.ownId = *drawn;
        m_ownIds.markGiven(*drawn);  // as far as this station can tell, taken
        given = taken;
    } else if (m_record->isOffline()) {
        slot->settle(SlotView::State::Failed, why);
        halt(why);
        return;
    }
    configure(slot, given, why);
}

void Station::configure(AdapterSlot *slot, const std::optional<OwnIdAllocator::Taken> &taken,
                        const QString &why)
{
    if (!taken) {
        if (m_setup.rule == OwnIdRule::PerUnit) {
            slot->holdForOwnId(why);
            return;
        }
        slot->settle(SlotView::State::Failed, why);
        halt(why);
        return;
    }
    m_taken.insert(slot, *taken);
    slot->configure(m_job, taken->ownId, m_setup.verify);
    emit countersChanged();
}

void Station::onConfigured(AdapterSlot *slot, const UnitSummary &result)
{
    const OwnIdAllocator::Taken taken = m_taken.take(slot);
    bool sentIsOurs = false;
    if (result.ownIdSent)
        sentIsOurs = result.ownId.toInt() == taken.ownId;
    if (sentIsOurs)
        m_ownIds.markGiven(taken.ownId);
    else
        giveBack(taken.ownId);

    const SlotView::State state =
        SlotView::settledBy(verdictOf(result.outcome, result.writeStarted));
    // Only a sequence's own ID is offered back: a file's or a role's is everyone's anyway, and
    // a scanned one belongs to its label.
    const bool reusable = state == SlotView::State::Interrupted && sentIsOurs
        && m_setup.rule == OwnIdRule::Sequence && m_job.fixedOwnId.isEmpty();
    m_labels.insert(slot, taken.label);
    record(slot, result, state, reusable);
}

void Station::record(AdapterSlot *slot, const UnitSummary &result, SlotView::State state,
                     bool reusable)
{
    const RecordRow row = recordRow(result, slot->adapter(), m_setup.operatorName, m_job,
                                    m_labels.take(slot));
    // The tile shows its result only once the row is kept.
    m_recording.insert(slot);
    m_record->appendThen(row, [this, slot, record = m_record.get(), row, result, state,
                               reusable](bool kept, const QString &why) {
        onRecorded(slot, record, row, result, state, reusable, kept, why);
    });
}

void Station::onRecorded(AdapterSlot *slot, RecordStore *record, const RecordRow &row,
                         const UnitSummary &result, SlotView::State state, bool reusable,
                         bool kept, const QString &why)
{
    // The slot stayed while its row was on its way.
    m_recording.remove(slot);
    if (!kept) {
        // Nothing is reported done that is not in the record.
        slot->settle(SlotView::State::Failed, Words::tr("記録できません: %1").arg(why));
        halt(Words::tr("記録できないため停止しました: %1").arg(why));
        checkStopped();
        return;
    }
    if (row.result == QLatin1String("done"))
        ++m_sessionDone;
    else
        ++m_sessionFailed;
    slot->settle(state, reasonOf(result), reusable);
    // Started again while the row was on its way: the slot takes up now, and waits until this
    // unit is gone.
    if (m_active)
        slot->setActive(true);
    emit recorded(slot, row);
    emit countersChanged();
    // The row waits on this PC: no unit starts until the database has it.
    if (record->isOffline())
        halt(record->offlineReason());
    checkStopped();
}

void Station::halt(const QString &why)
{
    stop();
    emit halted(why);
}

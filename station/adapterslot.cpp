#include "station/adapterslot.h"

#include "link/portholder.h"
#include "settings/parameters.h"

#include <QDir>
#include <QFileInfo>

AdapterSlot::AdapterSlot(const Adapter &adapter, SerialChannelFactory channels,
                         QObject *parent)
    : QObject(parent)
    , m_adapter(adapter)
    , m_run(std::move(channels))
{
    m_pollTimer.setSingleShot(true);
    connect(&m_pollTimer, &QTimer::timeout, this, &AdapterSlot::poll);
    connect(&m_run, &UnitRun::finished, this, &AdapterSlot::onFinished);
    connect(&m_run, &UnitRun::progress, this, [this](int k, int n, bool verifying) {
        m_view.step = k;
        m_view.steps = n;
        show(verifying ? SlotView::State::Verifying : SlotView::State::Writing);
    });
}

void AdapterSlot::setActive(bool on)
{
    if (m_active == on)
        return;
    m_active = on;
    if (on) {
        // A unit settled before 停止 and still plugged in is not taken again; a result stays in
        // sight until the next unit.
        if (!showsResult())
            show(SlotView::State::Waiting, tr("ユニットを接続してください"));
        poll();
        return;
    }
    m_pollTimer.stop();
    m_hold.reset();
    m_unreadable = false;  // not looked at any more: nothing to say about it
    if (m_run.isRunning()) {
        m_run.interrupt();
        return;
    }
    // The last unit's outcome stays in sight.
    if (!showsResult())
        show(SlotView::State::Off);
    emit idle();
}

void AdapterSlot::poll()
{
    if (!m_active || m_gone || m_run.isRunning())
        return;
    m_hold.reset();  // the link takes the same lock while it talks
    m_run.poll(m_adapter.path);
}

void AdapterSlot::configure(const JobSettings &job, int ownId, bool verify)
{
    m_view.ownId = ownIdText(ownId);
    m_view.step = 0;
    m_view.steps = 0;
    m_view.ownIdReusable = false;
    show(SlotView::State::Writing, tr("設定中"));
    m_hold.reset();
    m_run.start(m_adapter.path, job, ownId, verify);
}

void AdapterSlot::settle(SlotView::State state, const QString &message, bool ownIdReusable)
{
    m_waitGone = true;
    m_view.ownIdReusable = ownIdReusable;
    show(state, message);
    if (m_gone || !m_active) {
        emit idle();
        return;
    }
    m_pollTimer.start(1000);
}

void AdapterSlot::holdForOwnId(const QString &message)
{
    show(SlotView::State::NeedsId, message);
    m_pollTimer.start(1000);
}

void AdapterSlot::markGone()
{
    m_gone = true;
    m_pollTimer.stop();
    m_hold.reset();
    m_unreadable = false;  // the adapter's own going is said
    if (m_run.isRunning() && !m_run.isConfiguring())
        m_run.interrupt();
    if (!m_run.isRunning())
        emit idle();
}

void AdapterSlot::clearReuse()
{
    m_view.ownIdReusable = false;
    emit changed();
}

void AdapterSlot::onFinished(const UnitSummary &result)
{
    if (m_active && !m_gone)
        holdPort();
    if (m_run.isConfiguring()) {
        // An own ID whose command never went out was not given to this unit.
        if (!result.ownIdSent)
            m_view.ownId.clear();
        emit configured(result);  // the station records it, then settles this slot
        return;
    }
    if (m_gone || !m_active) {
        if (!m_gone && !showsResult())
            show(SlotView::State::Off);
        emit idle();
        return;
    }
    setUnreadable(result.outcome == UnitOutcome::Unreadable);
    switch (result.outcome) {
    case UnitOutcome::Done:
    case UnitOutcome::WrongModel:
        if (m_waitGone) {
            m_pollTimer.start(1000);
            return;
        }
        m_view.model = QStringLiteral("ZRT") + result.model;
        emit unitFound(result);
        return;
    case UnitOutcome::InUse:
    case UnitOutcome::OpenFailed:
        // A unit's outcome stays in sight (a pulled adapter cannot be opened either).
        if (!showsResult())
            show(SlotView::State::InUse, reasonOf(result));
        m_pollTimer.start(PortWatcher::IntervalMs);
        return;
    case UnitOutcome::PortLost:
        m_pollTimer.start(PortWatcher::IntervalMs);
        return;
    case UnitOutcome::Unreadable:
        // The settled unit itself may babble now: its result stays. Once it was seen gone,
        // whatever babbles is another unit, and the tile says that something is there; but an
        // own ID that may still be given back keeps its tile until the operator decides.
        if (!m_waitGone && !m_view.ownIdReusable) {
            m_view.model.clear();
            m_view.ownId.clear();
            show(SlotView::State::Unreadable, tr("通信速度・配線を確認してください"));
        }
        poll();
        return;
    default:
        // Nobody answered through the whole give-up: whoever was there is gone. Its result
        // stays in sight, marked as removed, until the next unit answers; an interrupted
        // unit's own ID may still be given back from it.
        if (m_waitGone) {
            m_waitGone = false;
            emit changed();
        } else if (!showsResult() && m_view.state != SlotView::State::Waiting) {
            m_view.model.clear();
            m_view.ownId.clear();
            show(SlotView::State::Waiting, tr("ユニットを接続してください"));
        }
        poll();
        return;
    }
}

namespace {

bool isResult(SlotView::State state)
{
    using State = SlotView::State;
    return state == State::Done || state == State::Failed || state == State::Interrupted;
}

} // namespace

// A result stays on the tile until the next unit answers; once its unit has been seen gone,
// the tile says so.
SlotView AdapterSlot::view() const
{
    SlotView view = m_view;
    view.removed = !m_waitGone && isResult(m_view.state);
    return view;
}

bool AdapterSlot::showsResult() const
{
    return m_waitGone || isResult(m_view.state);
}

void AdapterSlot::setUnreadable(bool on)
{
    if (m_unreadable == on)
        return;
    m_unreadable = on;
    emit unreadableChanged(on);
}

void AdapterSlot::show(SlotView::State state, const QString &message)
{
    m_view.state = state;
    if (!message.isNull() || state == SlotView::State::Off)
        m_view.message = message;
    emit changed();
}

// The lock file the serial port itself takes (LCK..<device>, in the first lock folder this user
// may write): held in between runs, the port looks in use to everyone else all along. Without
// a lock folder, or when someone else has just taken the port, there is nothing to hold.
void AdapterSlot::holdPort()
{
    const QString device = QFileInfo(m_adapter.path).canonicalFilePath();
    if (device.isEmpty())
        return;
    for (const QString &folder : defaultLockFolders()) {
        if (!QFileInfo(folder).isWritable())
            continue;
        auto lock = std::make_unique<QLockFile>(QDir(folder).filePath(serialLockName(device)));
        lock->setStaleLockTime(0);
        if (lock->tryLock(0))
            m_hold = std::move(lock);
        return;
    }
}

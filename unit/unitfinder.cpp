#include "unit/unitfinder.h"

#include "link/qtserialchannel.h"
#include "unit/unitjob.h"
#include "unit/unitoutcome.h"

#include <QFileInfo>
#include <QTimer>

// One port's identification: a short identify job on a link of its own.
class UnitFinder::Prober
{
public:
    using Done = std::function<void(const FoundUnit &)>;

    Prober(const QString &device, const PortSettings &settings, const ModelCheck &isOurs,
           UnitFinder *finder, Done done)
        : m_link(&m_channel)
        , m_job(&m_link)
        , m_isOurs(isOurs)
        , m_done(std::move(done))
    {
        m_result.device = device;
        m_link.setTimings(Timings);
        m_link.setPortSettings(settings);
        m_link.setPortNumber(1);
        m_link.setDeviceResolver([device](int) { return device; });
        QObject::connect(&m_link, &Link::traffic, finder, &UnitFinder::traffic);
        // Sent from a turn of the link's own: the port may be closed here.
        QObject::connect(&m_job, &UnitJob::finished, &m_job,
                         [this](const UnitJob::Result &result) { settle(result); });
    }

    void start()
    {
        UnitJob::Request request;
        request.work = UnitJob::Work::Identify;
        m_job.start(request);
    }

private:
    void settle(const UnitJob::Result &result)
    {
        // What the search says of a port is what the unit's outcome means for finding it.
        switch (outcomeOf(result)) {
        case UnitOutcome::Done:
        case UnitOutcome::WrongModel:
            m_result.model = result.model;
            m_result.version = result.version;
            m_result.outcome = m_isOurs(QStringLiteral("ZRT") + result.model)
                ? FoundUnit::Outcome::Unit
                : FoundUnit::Outcome::OtherModel;
            break;
        case UnitOutcome::InUse:
        case UnitOutcome::OpenFailed:
            m_result.outcome = FoundUnit::Outcome::NotOpened;
            m_result.failure = result.port;
            break;
        case UnitOutcome::Unreadable:
            m_result.outcome = FoundUnit::Outcome::Unreadable;
            break;
        default:
            // A version line after garbage identifies nothing.
            m_result.outcome = FoundUnit::Outcome::NoAnswer;
            break;
        }
        if (m_link.state().portOpen)
            m_link.disconnectUnit();
        m_done(m_result);
    }

    QtSerialChannel m_channel;
    Link m_link;
    UnitJob m_job;
    ModelCheck m_isOurs;
    Done m_done;
    FoundUnit m_result;
};

UnitFinder::UnitFinder(ModelCheck isOurs, QObject *parent)
    : QObject(parent)
    , m_isOurs(std::move(isOurs))
{
}

UnitFinder::~UnitFinder() = default;

bool UnitFinder::sameDevice(const QString &a, const QString &b)
{
    if (a.isEmpty() || b.isEmpty())
        return false;
    if (a == b)
        return true;
    const QString realA = QFileInfo(a).canonicalFilePath();
    return !realA.isEmpty() && realA == QFileInfo(b).canonicalFilePath();
}

void UnitFinder::start(const QStringList &devices, const PortSettings &settings,
                       const QString &heldDevice)
{
    m_probers.clear();
    m_results.clear();
    m_running = true;
    m_pending = 0;
    QList<int> toProbe;
    for (qsizetype i = 0; i < devices.size(); ++i) {
        FoundUnit result;
        result.device = devices.at(i);
        if (sameDevice(result.device, heldDevice))
            result.outcome = FoundUnit::Outcome::Held;
        else
            toProbe << static_cast<int>(i);
        m_results << result;
    }
    for (int index : toProbe) {
        // A device listed twice gets the answer of its first listing.
        bool duplicate = false;
        for (int earlier : toProbe) {
            if (earlier < index && sameDevice(devices.at(earlier), devices.at(index)))
                duplicate = true;
        }
        if (duplicate)
            continue;
        ++m_pending;
        m_probers.push_back(std::make_unique<Prober>(
            devices.at(index), settings, m_isOurs, this,
            [this, index](const FoundUnit &result) { onProberDone(index, result); }));
    }
    if (m_pending == 0) {
        m_running = false;
        QTimer::singleShot(0, this, &UnitFinder::finished);
        return;
    }
    for (const auto &prober : m_probers)
        prober->start();
}

void UnitFinder::onProberDone(int index, const FoundUnit &result)
{
    for (qsizetype i = 0; i < m_results.size(); ++i) {
        if (i == index || (m_results.at(i).outcome != FoundUnit::Outcome::Held
                           && sameDevice(m_results.at(i).device, result.device))) {
            FoundUnit copy = result;
            copy.device = m_results.at(i).device;
            m_results[i] = copy;
        }
    }
    if (--m_pending > 0)
        return;
    m_running = false;
    // Not from inside the prober: a receiver may end the search and its probers.
    QTimer::singleShot(0, this, &UnitFinder::finished);
}

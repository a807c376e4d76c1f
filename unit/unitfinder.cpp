#include "unit/unitfinder.h"

#include "link/qtserialchannel.h"

#include <QFileInfo>
#include <QTimer>

// One port's identification: one link and one connect, read from the link's signals.
class UnitFinder::Prober
{
public:
    using Done = std::function<void(const FoundUnit &)>;

    Prober(const QString &device, const PortSettings &settings, const ModelCheck &isOurs,
           UnitFinder *finder, Done done)
        : m_link(&m_channel)
        , m_done(std::move(done))
    {
        m_result.device = device;
        m_link.setTimings(Timings);
        m_link.setPortSettings(settings);
        m_link.setPortNumber(1);
        m_link.setDeviceResolver([device](int) { return device; });
        QObject::connect(&m_link, &Link::traffic, finder, &UnitFinder::traffic);
        QObject::connect(&m_link, &Link::identified, &m_link,
                         [this, isOurs](const QString &model, const QString &) {
                             m_result.model = model;
                             m_result.outcome = isOurs(QStringLiteral("ZRT") + model)
                                 ? FoundUnit::Outcome::Unit
                                 : FoundUnit::Outcome::OtherModel;
                         });
        QObject::connect(&m_link, &Link::versionReceived, &m_link,
                         [this](const QString &line) { m_result.version = line; });
        // Sent from a turn of the link's own: the port may be closed here.
        QObject::connect(&m_link, &Link::finished, &m_link,
                         [this](const LinkResult &result) { settle(result); });
    }

    void start() { m_link.connectUnit(); }

private:
    void settle(const LinkResult &result)
    {
        if (m_finished)
            return;
        m_finished = true;
        if (result.outcome == LinkResult::Outcome::Unreadable
            && m_result.outcome == FoundUnit::Outcome::NoAnswer)
            m_result.outcome = FoundUnit::Outcome::Unreadable;
        if (result.outcome == LinkResult::Outcome::OpenFailed) {
            m_result.outcome = FoundUnit::Outcome::NotOpened;
            m_result.failure = {m_channel.failure(), m_channel.errorString(), m_channel.holder()};
        }
        if (m_link.state().portOpen)
            m_link.disconnectUnit();
        // A version line after garbage identifies nothing.
        if (m_result.outcome == FoundUnit::Outcome::NoAnswer
            || m_result.outcome == FoundUnit::Outcome::Unreadable)
            m_result.version.clear();
        m_done(m_result);
    }

    QtSerialChannel m_channel;
    Link m_link;
    Done m_done;
    FoundUnit m_result;
    bool m_finished = false;
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

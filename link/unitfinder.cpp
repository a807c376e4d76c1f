#include "link/unitfinder.h"

#include "link/linkhost.h"
#include "link/qtserialchannel.h"

#include <QFileInfo>
#include <QTimer>

// One port's identification: the link's host for the length of one UVER exchange.
class UnitFinder::Prober : public LinkHost
{
public:
    using Done = std::function<void(const FoundUnit &)>;

    Prober(const QString &device, const PortSettings &settings, const ModelCheck &isOurs,
           UnitFinder *finder, Done done)
        : m_link(&m_channel, this)
        , m_isOurs(isOurs)
        , m_done(std::move(done))
    {
        m_result.device = device;
        m_link.setTimings(Timings);
        m_link.setPortSettings(settings);
        m_link.setPortNumber(1);
        m_link.setDeviceResolver([device](int) { return device; });
        QObject::connect(&m_link, &Link::traffic, finder, &UnitFinder::traffic);
        QObject::connect(&m_link, &Link::awaitingReplyChanged, &m_link, [this] { check(); });
    }

    void start() { m_link.connectUnit(); }

    // LinkHost
    void showLinkStatus(LinkStatus status) override
    {
        if (status == LinkStatus::OpenFailed) {
            m_result.outcome = FoundUnit::Outcome::NotOpened;
            m_result.failure = {m_channel.failure(), m_channel.errorString(), m_channel.holder()};
        }
        check();
    }
    void setWindowLocked(bool) override {}
    bool identifyUnit(const QString &line) override
    {
        m_result.model = line.mid(3);
        const bool ours = m_isOurs(line);
        m_result.outcome = ours ? FoundUnit::Outcome::Unit : FoundUnit::Outcome::OtherModel;
        return ours;
    }
    void showVersion(const QString &line) override { m_result.version = line; }
    QString unitKind() const override
    {
        return m_result.outcome == FoundUnit::Outcome::Unit ? m_result.model : QString();
    }
    void clearUnitLabels() override {}
    int applyParameterLine(const QString &) override { return -1; }
    void showUnitError(const QString &) override {}
    void showConnectionState(bool) override { check(); }
    void startStatusReset() override {}
    void stopStatusReset() override {}

private:
    // After the link's current dispatch has returned: the port is closed outside the link.
    void check()
    {
        if (m_checkPending || m_finished)
            return;
        m_checkPending = true;
        QTimer::singleShot(0, &m_link, [this] { settle(); });
    }

    void settle()
    {
        m_checkPending = false;
        const LinkState &state = m_link.state();
        const bool busy = state.awaitingReply || !state.pendingText.isEmpty();
        if (m_finished || (state.portOpen && busy))
            return;
        m_finished = true;
        if (state.portOpen)
            m_link.disconnectUnit();
        // A version line after garbage identifies nothing.
        if (m_result.outcome == FoundUnit::Outcome::NoAnswer)
            m_result.version.clear();
        m_done(m_result);
    }

    QtSerialChannel m_channel;
    Link m_link;
    ModelCheck m_isOurs;
    Done m_done;
    FoundUnit m_result;
    bool m_checkPending = false;
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

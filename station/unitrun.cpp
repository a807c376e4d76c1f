#include "station/unitrun.h"

#include "file/systemini.h"
#include "link/link.h"
#include "link/qtserialchannel.h"
#include "settings/commandset.h"
#include "settings/unitsettings.h"
#include "unit/unitjob.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

// One unit's line: the port, the link on it and the job that runs the work.
struct UnitRun::Line
{
    explicit Line(std::unique_ptr<SerialChannel> port)
        : channel(std::move(port))
    {
    }
    std::unique_ptr<SerialChannel> channel;
    Link link{channel.get()};
    UnitJob job{&link};
};

// What a run is asked to do.
struct UnitRun::Work
{
    UnitJob::Request request;
    std::shared_ptr<UnitSettings> values;  // configure: the file's values with the own ID
};

namespace {

// The device a link (/dev/serial/by-id/...) stands for: ports are locked under the device's own
// name, so a program that opened it by another name must still see it in use.
QString deviceBehind(const QString &path)
{
    const QString device = QFileInfo(path).canonicalFilePath();
    return device.isEmpty() ? path : device;
}

} // namespace

UnitRun::UnitRun(SerialChannelFactory channels, QObject *parent)
    : QObject(parent)
    , m_channels(std::move(channels))
{
}

UnitRun::~UnitRun() = default;

void UnitRun::poll(const QString &device)
{
    Work work;
    work.request.work = UnitJob::Work::Identify;
    m_configuring = false;
    launch(device, work);
}

void UnitRun::start(const QString &device, const JobSettings &job, std::optional<int> ownId,
                    bool verify)
{
    Work work;
    work.values = std::make_shared<UnitSettings>(job.values);
    UnitSettings &values = *work.values;
    if (ownId)
        values.setOwnId(*ownId);  // a master's and a repeater's own ID stay as their role fixes
    const std::shared_ptr<UnitSettings> kept = work.values;
    work.request.work = UnitJob::Work::Write;
    work.request.verify = verify;
    // Both panels write seventeen commands; which of them depends on the unit found.
    work.request.commands = [kept] {
        return groupCommands(*kept, allGroups(kept->tab()));
    };
    // As in the window, the file's kind decides.
    work.request.check = [kept](const UnitModel &unit) {
        return fileKindMismatch(kept->tab(), unit);
    };
    m_configuring = true;
    launch(device, work);
}

void UnitRun::launch(const QString &device, const Work &work)
{
    m_line = std::make_unique<Line>(m_channels ? m_channels()
                                               : std::make_unique<QtSerialChannel>());
    m_running = true;
    m_interrupted = false;
    Link &link = m_line->link;
    link.setPortSettings(loadProgramPortSettings());
    link.setPortNumber(1);  // the link asks the resolver for this entry's device
    const QString opened = deviceBehind(device);
    link.setDeviceResolver([opened](int) { return opened; });
    UnitJob &job = m_line->job;
    connect(&job, &UnitJob::commandSent, this,
            [this](int index, int count) { emit progress(index, count, false); });
    connect(&job, &UnitJob::stepStarted, this, [this](UnitJob::Step step) {
        if (step == UnitJob::Step::Verifying)
            emit progress(m_toWrite, m_toWrite, true);
    });
    // After the job's own signal has returned: the line may go then.
    connect(&job, &UnitJob::finished, this,
            [this](const UnitJob::Result &result) { onFinished(result); },
            Qt::QueuedConnection);
    m_toWrite = work.request.work == UnitJob::Work::Write ? 17 : 0;
    job.start(work.request);
}

void UnitRun::interrupt()
{
    if (!m_running)
        return;
    m_interrupted = true;
    m_line->job.stop();
}

void UnitRun::onFinished(const UnitJob::Result &job)
{
    const UnitSummary result = summarize(job, m_interrupted);
    if (m_line->link.state().portOpen)
        m_line->link.disconnectUnit();
    m_line.reset();
    m_running = false;
    emit finished(result);
}

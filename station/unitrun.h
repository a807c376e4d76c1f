#pragma once

#include "unit/admission.h"
#include "unit/unitsummary.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <utility>


// The one place where the station meets the engine that runs a unit's work (the unit job on a
// link of its own). Everything else of the station sees only what is declared here: a settings
// file taken once, a poll, a configure run with its progress, a typed result.

class UnitRun : public QObject
{
    Q_OBJECT
public:
    // Without a factory each run opens the real port.
    explicit UnitRun(SerialChannelFactory channels = {}, QObject *parent = nullptr);
    ~UnitRun() override;

    // Asks the unit on `device` who it is, through the same link as every other exchange: the
    // watchdog asks again once a second and gives up after about 4 s.
    void poll(const QString &device);
    // Identifies the unit, writes all seventeen parameters of `job` (with `ownId` where the
    // role lets it be set) and, with `verify`, reads them back and compares.
    void start(const QString &device, const JobSettings &job, std::optional<int> ownId,
               bool verify);
    // The command in progress ends, nothing more is sent; finished() follows.
    void interrupt();
    bool isRunning() const { return m_running; }
    // Whether the run going on, or else the last one, writes settings (start()) rather than
    // polls (poll()).
    bool isConfiguring() const { return m_configuring; }


signals:
    // k of n parameters written; `verifying` once the read-back has started.
    void progress(int k, int n, bool verifying);
    void finished(const UnitSummary &result);

private:
    struct Line;
    struct Work;
    void launch(const QString &device, const Work &work);
    void onFinished(const UnitJob::Result &job);

    SerialChannelFactory m_channels;
    std::unique_ptr<Line> m_line;
    bool m_running = false;
    bool m_configuring = false;
    bool m_interrupted = false;
    int m_toWrite = 0;  // for the progress of a verify
};

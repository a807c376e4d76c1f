#pragma once

#include "link/link.h"
#include "link/serialchannel.h"
#include "link/traffic.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

// What one port answered to the identification command: the unit outcome, in the terms of a
// search.
struct FoundUnit
{
    enum class Outcome {
        Unit,        // a unit of ours answered
        OtherModel,  // a "ZRT" line of a model this tool does not handle
        NoAnswer,    // silence, or an answer that identifies no unit
        Unreadable,  // bytes came back, but nothing readable (a wrong speed, noise)
        NotOpened,   // the port could not be tried; `failure` says why
        Held,        // the port this program holds: never touched
    };

    QString device;
    Outcome outcome = Outcome::NoAnswer;
    QString model;    // the text after "ZRT"
    QString version;  // the version line as received
    PortCheck failure;
};

// Looks for units on several ports at once: one link per port, opened with the line settings,
// sending only the identification command (and its resends) with a short watchdog, closed as
// soon as the port has answered or given up. Widget-free, for the port dialog and the
// command-line tool alike.
class UnitFinder : public QObject
{
    Q_OBJECT
public:
    // Whether an identification line ("ZRT" + model) names a model of ours.
    using ModelCheck = std::function<bool(const QString &line)>;

    // Four watchdog ticks end a silent port: well within 1.5 s, opening included.
    static constexpr LinkTimings Timings{300, 10};

    explicit UnitFinder(ModelCheck isOurs, QObject *parent = nullptr);
    ~UnitFinder() override;

    // Tries every device at once; `heldDevice` (the one this program has open) is never
    // opened. A device listed twice is tried once. finished() follows, also for no devices.
    void start(const QStringList &devices, const PortSettings &settings,
               const QString &heldDevice = {});
    bool isRunning() const { return m_running; }
    // In the order of the devices given; complete once finished() was emitted.
    QList<FoundUnit> results() const { return m_results; }

    // Whether two paths stand for the same device (a link and its target).
    static bool sameDevice(const QString &a, const QString &b);

signals:
    void traffic(const TrafficEvent &event);
    void finished();

private:
    class Prober;

    void onProberDone(int index, const FoundUnit &result);

    ModelCheck m_isOurs;
    std::vector<std::unique_ptr<Prober>> m_probers;
    QList<FoundUnit> m_results;
    int m_pending = 0;
    bool m_running = false;
};

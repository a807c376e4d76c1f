#pragma once

#include "link/link.h"

#include <QList>
#include <QObject>
#include <QStringList>

#include <optional>

class UnitSettings;

// Records what a link reports by its signals, as a front end would see it.
class LinkRecorder : public QObject
{
    Q_OBJECT
public:
    explicit LinkRecorder(Link *link);

    // Parameter lines for a read: applied to `form` when set, else refused when in `refuse`.
    Link::ParameterSink sink();

    std::optional<LinkStatus> lastStatus() const
    {
        return statuses.isEmpty() ? std::nullopt : std::optional(statuses.last());
    }

    QList<LinkStatus> statuses;
    QList<LinkResult> results;
    bool locked = false;
    QString kind;
    QString version;
    QStringList identified;  // the models, ours or not
    QStringList applied;
    QStringList errorLines;
    QStringList refuse;
    UnitSettings *form = nullptr;
    bool connectedLook = false;
};

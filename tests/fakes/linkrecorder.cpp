#include "fakes/linkrecorder.h"

#include "settings/unitsettings.h"

LinkRecorder::LinkRecorder(Link *link)
{
    connect(link, &Link::statusChanged, this, [this](LinkStatus status) { statuses << status; });
    connect(link, &Link::finished, this, [this](const LinkResult &result) { results << result; });
    connect(link, &Link::awaitingReplyChanged, this, [this](bool on) { locked = on; });
    connect(link, &Link::identified, this, [this](const QString &model, const QString &name) {
        identified << model;
        if (!name.isEmpty())
            kind = name;
    });
    connect(link, &Link::unitForgotten, this, [this] {
        kind.clear();
        version.clear();
    });
    connect(link, &Link::versionReceived, this, [this](const QString &line) { version = line; });
    connect(link, &Link::errorLineReceived, this,
            [this](const QString &line) { errorLines << line; });
    connect(link, &Link::connectionChanged, this, [this](bool on) { connectedLook = on; });
}

Link::ParameterSink LinkRecorder::sink()
{
    return [this](const QString &line) {
        applied << line;
        if (form)
            return form->applyLine(line);
        return !refuse.contains(line);
    };
}

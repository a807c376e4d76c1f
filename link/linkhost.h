#pragma once

#include "link/linkstatus.h"

#include <QString>

// What the link needs from the window. The link includes no widget header and never shows
// a modal itself; the window implements this, and the command-line tool and tests their own.
class LinkHost
{
public:
    virtual ~LinkHost() = default;

    virtual void showLinkStatus(LinkStatus status) = 0;
    // The whole main window refuses input while a reply is awaited.
    virtual void setWindowLocked(bool locked) = 0;
    // An identification line ("ZRT" + model). False when the model is not one of ours.
    virtual bool identifyUnit(const QString &line) = 0;
    virtual void showVersion(const QString &line) = 0;
    // The unit kind shown on the window (lblUnitVer1); empty while no unit is identified.
    virtual QString unitKind() const = 0;
    virtual void clearUnitLabels() = 0;
    // 0 when applied, -1 when refused.
    virtual int applyParameterLine(const QString &line) = 0;
    // An error line ("Err" + code); the status line already says the read is done.
    virtual void showUnitError(const QString &line) = 0;
    virtual void showConnectionState(bool connected) = 0;
    // The five-second return of the status line to its idle text.
    virtual void startStatusReset() = 0;
    virtual void stopStatusReset() = 0;
};

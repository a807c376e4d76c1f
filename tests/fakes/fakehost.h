#pragma once

#include "link/linkhost.h"

#include <QList>
#include <optional>
#include <QStringList>

class SettingsForm;

// Records what the link hands to the window.
class FakeHost : public LinkHost
{
public:
    void showLinkStatus(LinkStatus status) override { statuses << status; }
    void setWindowLocked(bool locked) override { this->locked = locked; }
    bool identifyUnit(const QString &line) override;
    void showVersion(const QString &line) override { version = line; }
    QString unitKind() const override { return kind; }
    void clearUnitLabels() override;
    int applyParameterLine(const QString &line) override;
    void showUnitError(const QString &line) override { errorLines << line; }
    void showConnectionState(bool connected) override { connectedLook = connected; }
    void startStatusReset() override { statusResetRunning = true; }
    void stopStatusReset() override { statusResetRunning = false; }

    std::optional<LinkStatus> lastStatus() const
    {
        return statuses.isEmpty() ? std::nullopt : std::optional(statuses.last());
    }

    QList<LinkStatus> statuses;
    bool locked = false;
    QString kind;
    QString version;
    QStringList identified;
    QStringList applied;
    QStringList errorLines;
    // Lines that applyParameterLine refuses.
    QStringList refuse;
    // When set, parameter lines are applied to it instead of being judged by `refuse`.
    SettingsForm *form = nullptr;
    bool connectedLook = false;
    bool statusResetRunning = false;
};

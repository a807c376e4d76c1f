#pragma once

#include <QByteArray>

// What the window remembers of the user's choices between runs, in the user's configuration of
// the platform (QSettings). system.ini keeps the port settings alone and its bytes never change.
// Each setter says whether the choice reached the disk.
namespace Preferences {

bool verifyAfterWrite();
bool setVerifyAfterWrite(bool on);

// QWidget::saveGeometry() of the traffic log window; empty until it was first closed.
QByteArray trafficWindowGeometry();
bool setTrafficWindowGeometry(const QByteArray &geometry);

} // namespace Preferences

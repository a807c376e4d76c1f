#include "ui/preferences.h"

#include <QSettings>
#include <QString>
#include <QVariant>

namespace {

const QString VerifyKey = QStringLiteral("verifyAfterWrite");
const QString TrafficGeometryKey = QStringLiteral("trafficLog/geometry");

bool store(const QString &key, const QVariant &value)
{
    QSettings settings;
    settings.setValue(key, value);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

} // namespace

bool Preferences::verifyAfterWrite()
{
    return QSettings().value(VerifyKey, false).toBool();
}

bool Preferences::setVerifyAfterWrite(bool on)
{
    return store(VerifyKey, on);
}

QByteArray Preferences::trafficWindowGeometry()
{
    return QSettings().value(TrafficGeometryKey).toByteArray();
}

bool Preferences::setTrafficWindowGeometry(const QByteArray &geometry)
{
    return store(TrafficGeometryKey, geometry);
}

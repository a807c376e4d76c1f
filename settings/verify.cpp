#include "settings/verify.h"


bool ReportedValues::take(QStringView line)
{
    const bool applied = m_values.applyLine(line);
    const std::optional<ParameterKey> key = keyFromName(line.left(4));
    if (!key)
        return applied;
    // Taken now: a later line (a role fixing the own ID) must not change what was reported.
    const QString received = line.size() > 5 ? line.mid(5).toString() : QString();
    m_reported.insert(*key, applied ? m_values.value(*key) : received);
    return applied;
}

QString ReportedValues::value(ParameterKey key) const
{
    return m_reported.value(key);
}

void ReportedValues::clear()
{
    m_values = UnitSettings();
    m_reported.clear();
}

QList<Mismatch> findMismatches(const QStringList &commands, const ReportedValues &reported)
{
    QList<Mismatch> mismatches;
    for (const QString &command : commands) {
        const std::optional<ParameterKey> key = keyFromName(QStringView(command).left(4));
        if (!key)
            continue;
        const QString written = command.mid(4);
        const QString value = reported.value(*key);
        if (!reported.has(*key) || value != written)
            mismatches << Mismatch{*key, written, value};
    }
    return mismatches;
}

#include "fakes/fakehost.h"

#include "settings/panelvalues.h"

bool FakeHost::identifyUnit(const QString &line)
{
    identified << line;
    if (line == QLatin1String("ZRT48210")) {
        kind = QStringLiteral("デジタルユニット");
        return true;
    }
    return false;
}

void FakeHost::clearUnitLabels()
{
    kind.clear();
    version.clear();
}

int FakeHost::applyParameterLine(const QString &line)
{
    applied << line;
    if (form)
        return ::applyParameterLine(*form, line);
    return refuse.contains(line) ? -1 : 0;
}

#include "link/unitmodels.h"

#include <QCoreApplication>

namespace {

struct ModelRow
{
    const char *model;
    const char *kind;
    int tab;
};

constexpr ModelRow Models[] = {
    {"48210", QT_TRANSLATE_NOOP("UnitModel", "デジタルユニット"), DigitalTab},
    {"48220", QT_TRANSLATE_NOOP("UnitModel", "アナログ入力ユニット"), AnalogTab},
    {"48221", QT_TRANSLATE_NOOP("UnitModel", "アナログ出力ユニット"), AnalogTab},
};

} // namespace

QStringList familyModels()
{
    QStringList models;
    for (const ModelRow &row : Models)
        models << QString::fromLatin1(row.model);
    return models;
}

std::optional<UnitModel> unitModelOf(QStringView identificationLine)
{
    // Everything after "ZRT", untrimmed.
    const QStringView model = identificationLine.mid(3);
    for (const ModelRow &row : Models) {
        if (model == QLatin1String(row.model)) {
            return UnitModel{QString::fromLatin1(row.model),
                             QCoreApplication::translate("UnitModel", row.kind), row.tab};
        }
    }
    return std::nullopt;
}

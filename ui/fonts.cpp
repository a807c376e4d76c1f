#include "ui/fonts.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QStringList>

namespace {

// The faces of `wanted` that this system has, in the same order, or all of them when it has
// none. The face shown is the one the whole list would give, but a font made from it no longer
// has the font database look for a face that is not there, each time for each size: without
// the Windows faces that was a tenth of the window's start-up.
QStringList installedOf(const QStringList &wanted)
{
    // The list of faces, not hasFamily(): that asks fontconfig for aliases of each missing
    // face, which costs as much as it saves.
    const QStringList families = QFontDatabase::families();
    QStringList found;
    for (const QString &family : wanted) {
        if (families.contains(family))
            found << family;
    }
    return found.isEmpty() ? wanted : found;
}

} // namespace

QFont gothicFont(qreal points, bool bold)
{
    static const QStringList families =
        installedOf({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
                     QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")});
    QFont font;
    font.setFamilies(families);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    return font;
}

QFont fixedGothicFont(qreal points)
{
    static const QStringList families =
        installedOf({QStringLiteral("ＭＳ ゴシック"), QStringLiteral("MS Gothic"),
                     QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans Mono CJK JP")});
    QFont font;
    font.setFamilies(families);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSizeF(points);
    font.setWeight(QFont::Normal);
    return font;
}

QFont withResolvedFace(const QFont &font)
{
    QFont resolved = font;
    resolved.setFamilies({QFontInfo(font).family()});
    return resolved;
}

#include "station/ownids.h"

#include "settings/parameters.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace {

// The texts' translation context.
struct Words
{
    Q_DECLARE_TR_FUNCTIONS(Station)
};

FieldBounds ownIdBounds()
{
    return fieldBounds(ParameterKey::MYID);
}

} // namespace

void OwnIdAllocator::setRule(OwnIdRule rule, int sequenceFrom, std::optional<int> fixed)
{
    m_rule = rule;
    m_from = sequenceFrom;
    m_fixed = fixed;
}

void OwnIdAllocator::setGiven(const QSet<int> &given)
{
    m_given = given;
    m_resumeAfter = 0;
    for (int ownId : given)
        m_resumeAfter = std::max(m_resumeAfter, ownId);
}

bool OwnIdAllocator::isFree(int ownId) const
{
    return !m_given.contains(ownId) && !m_reserved.contains(ownId);
}

std::optional<int> OwnIdAllocator::next() const
{
    if (m_fixed && (m_rule != OwnIdRule::PerUnit || isRoleOwnId(*m_fixed)))
        return m_fixed;
    if (m_rule == OwnIdRule::PerUnit) {
        if (m_labels.isEmpty())
            return std::nullopt;
        return m_labels.first().ownId;
    }
    // Resumed on a record, the sequence goes on after the highest own ID it held; an ID taken
    // and given back in this session (its command never went out) is the next one again.
    int candidate = std::max(m_from, m_resumeAfter + 1);
    const int last = ownIdBounds().maximum;
    while (candidate <= last && !isFree(candidate))
        ++candidate;
    if (candidate > last)
        return std::nullopt;
    return candidate;
}

std::optional<OwnIdAllocator::Taken> OwnIdAllocator::take(QString *why)
{
    const bool roleFixed = m_fixed && isRoleOwnId(*m_fixed);
    if (m_rule == OwnIdRule::PerUnit && !roleFixed) {
        if (m_labels.isEmpty()) {
            *why = Words::tr("自己IDを入力してください");
            return std::nullopt;
        }
        Taken taken = m_labels.takeFirst();
        m_reserved.insert(taken.ownId);
        return taken;
    }
    const std::optional<int> ownId = next();
    if (!ownId) {
        *why = Words::tr("自己IDが%1を超えます").arg(ownIdBounds().maximum);
        return std::nullopt;
    }
    if (m_rule == OwnIdRule::Sequence && !roleFixed)
        m_reserved.insert(*ownId);
    return Taken{*ownId, {}};
}

void OwnIdAllocator::markGiven(int ownId)
{
    m_reserved.remove(ownId);
    m_given.insert(ownId);
}

void OwnIdAllocator::giveBack(int ownId)
{
    m_reserved.remove(ownId);
    m_given.remove(ownId);
}

bool OwnIdAllocator::queueLabel(const QString &label, QString *why)
{
    static const QRegularExpression digits(QStringLiteral("(\\d{1,3})$"));
    const QString text = label.trimmed();
    const QRegularExpressionMatch match = digits.match(text);
    const int ownId = match.hasMatch() ? match.captured(1).toInt() : 0;
    const FieldBounds bounds = ownIdBounds();
    if (ownId < bounds.minimum || ownId > bounds.maximum) {
        *why = Words::tr("「%1」は自己ID（%2～%3）ではありません")
                   .arg(text, ownIdText(bounds.minimum), ownIdText(bounds.maximum));
        return false;
    }
    const bool queuedAlready = std::any_of(m_labels.cbegin(), m_labels.cend(),
                                           [&](const Taken &t) { return t.ownId == ownId; });
    if (!isFree(ownId) || queuedAlready) {
        *why = Words::tr("自己ID %1 はこの記録で既に使われています")
                   .arg(ownIdText(ownId));
        return false;
    }
    m_labels << Taken{ownId, text};
    return true;
}

#pragma once

#include <QList>
#include <QSet>
#include <QString>

#include <optional>

// How the station gives own IDs.
enum class OwnIdRule {
    FromFile,  // every unit gets the file's own ID
    Sequence,  // N, N+1, ...: each given once in a record
    PerUnit,   // typed or scanned (a barcode scanner types and ends with Enter) before each unit
};

// Hands out own IDs. An ID is taken (reserved) when a unit's write starts and counts as given
// once the command carrying it has gone out; one whose command never went out comes back.
// With a sequence, nothing given in the record is given again. A master or a repeater gets the
// own ID its role fixes whatever the rule. Own IDs lie within MYID's field bounds.
class OwnIdAllocator
{
public:
    // `fixed`: the own ID the file's role fixes, or the file's own ID for FromFile.
    void setRule(OwnIdRule rule, int sequenceFrom, std::optional<int> fixed);
    // The own IDs a record already holds.
    void setGiven(const QSet<int> &given);

    struct Taken
    {
        int ownId = 0;
        QString label;  // as scanned, for PerUnit
    };
    // Empty, with the reason, when there is none to give.
    std::optional<Taken> take(QString *why);
    void markGiven(int ownId);
    // The command with this ID never went out (or the operator says it may be reused).
    void giveBack(int ownId);

    // PerUnit: a typed or scanned label, the own ID in its digits. False, with why, when it is
    // not an own ID or one already given.
    bool queueLabel(const QString &label, QString *why);
    int queued() const { return static_cast<int>(m_labels.size()); }
    bool fixed() const { return m_fixed.has_value() && m_rule != OwnIdRule::PerUnit; }

    // The ID the next unit gets, if known.
    std::optional<int> next() const;

private:
    bool isFree(int ownId) const;

    OwnIdRule m_rule = OwnIdRule::FromFile;
    int m_from = 1;
    std::optional<int> m_fixed;
    QSet<int> m_given;
    int m_resumeAfter = 0;  // the highest own ID of the record when it was taken
    QSet<int> m_reserved;
    QList<Taken> m_labels;
};

#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QSet>

// How the simulated unit presents itself and how it misbehaves.
struct UnitOptions
{
    // Follows "ZRT" on the identification line; any text, so unknown models can be played.
    QByteArray model = "48210";
    // The version line; "Ver" is put in front unless the text already starts with it.
    QByteArray version = "1.02";
    // Follows "Err" on the error line; normally four characters such as "0000" or "100A".
    QByteArray errorCode = "0000";
    // Stored values to start from instead of the factory defaults. Taken as given, unchecked,
    // so that a read-back of values the tool must refuse can be played.
    QMap<QByteArray, QByteArray> initialValues{};
    // Between key and value on each line of the parameter listing.
    char separator = '=';
    // The listing is sent this many times over in one reply, as a faulty unit might.
    int listingRepeats = 1;
    // The first this many identification replies carry line noise (90 3D C5 15) glued in
    // front of "ZRT", as a long cable or a wrong speed produces.
    int noisyIdentifications = 0;

    bool silent = false;          // never answer anything
    int silentAfter = -1;         // answer this many lines, then nothing; negative: no limit
    QSet<QByteArray> silentKeys{};  // keywords (UVER, DISP, MYID ...) that get no answer
    QSet<QByteArray> nakKeys{};     // keywords that are always refused
    QSet<QByteArray> forgetKeys{};  // acknowledged, but the old value is kept
    QSet<QByteArray> errKeys{};     // answered with the error line in place of ACK
    QSet<QByteArray> omitKeys{};    // parameters whose line the listing leaves out
};

// The unit's side of the serial protocol, without any I/O: one received line in, the reply
// bytes out. Kept apart from the terminal plumbing so the rules can be checked in-process.
class UnitSimulator
{
public:
    explicit UnitSimulator(const UnitOptions &options = {});

    // One line as received, without its CR LF. Returns the whole reply, every line ending in
    // CR LF, or nothing when the unit stays silent. A silenced line is logged but not acted on.
    QByteArray respond(const QByteArray &line);

    const UnitOptions &options() const { return m_options; }
    // Takes effect from the next line; the stored values are left alone.
    void setOptions(const UnitOptions &options) { m_options = options; }

    QByteArray value(const QByteArray &key) const { return m_values.value(key); }
    const QMap<QByteArray, QByteArray> &values() const { return m_values; }
    void setValue(const QByteArray &key, const QByteArray &value) { m_values[key] = value; }

    // Every line received so far, silenced ones included, oldest first.
    const QList<QByteArray> &receivedLines() const { return m_received; }

    // Whether the unit would take this value for this key, given the values stored now.
    bool accepts(const QByteArray &key, const QByteArray &value) const;

    // The seventeen parameter keywords in the order of the parameter listing.
    static const QList<QByteArray> &parameterKeys();
    static bool isParameterKey(const QByteArray &key);
    // The parameter keywords plus the read commands UVER, DISP and UERR.
    static bool isKnownKeyword(const QByteArray &key);
    // The four letters after "@", or nothing when the line is not shaped like a command.
    static QByteArray keywordOf(const QByteArray &line);
    static QMap<QByteArray, QByteArray> factoryValues();

private:
    bool isSilenced(const QByteArray &keyword) const;
    QByteArray answer(const QByteArray &line);
    QByteArray identification();
    QByteArray listing() const;

    UnitOptions m_options;
    QMap<QByteArray, QByteArray> m_values;
    QList<QByteArray> m_received;
    int m_identifications = 0;
};

#include "fakes/heldport.h"
#include "link/link.h"
#include "link/portholder.h"
#include "link/qtserialchannel.h"
#include "unitsim/ptyunit.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QSocketNotifier>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <functional>
#include <memory>
#include <unistd.h>
#include <vector>

// The window's half of a case needs the window; a build without it skips that case.
#ifdef ZRT_WITH_WINDOW
#include "fakes/appfixture.h"
#include "fakes/statustexts.h"
#include "ui/mainwindow.h"

#include <QLabel>
#include <QPushButton>
#endif

// The real zrt48210-cli against simulated units on pseudo-terminals served by this process.
class CliTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();

    void everyVerbOnEachModel_data();
    void everyVerbOnEachModel();
    void readSavesTheWindowsBytes_data();
    void readSavesTheWindowsBytes();
    void verifyCatchesAUnitThatKeepsOldValues();
    void diffChecksASiteAgainstItsFiles();
    void wrongModelIsRefused();
    void lastCommandAnsweredWithoutAckIsRefused();
    void unitNeverIdentifiedStopsWithStatus3_data();
    void unitNeverIdentifiedStopsWithStatus3();
    void readBackLackingAParameterSavesNothing();
    void missingRightsSayWhatToDo();
    void liveLockOfAnotherUserIsInUse();
    void parallelUnitsEndOnTheirOwn();
    void unplugMidWriteStopsThatUnitOnly();
    void badInputSendsNothing_data();
    void badInputSendsNothing();
    void interruptFinishesTheLineAndCloses();
    void progressRedrawsInPlaceOnATerminal();
    void helpForAllOrOneVerb_data();
    void helpForAllOrOneVerb();
    void versionAndPorts();
    void findTellsWhereUnitsAnswer();
    void watchRecordsEachUnitOnceAndEndsOnCtrlC();
    void writeRecordAppendsOneRowPerUnit();

private:
    struct Run
    {
        int exitCode = -1;
        QString out;
        QString err;
    };
    using OnStart = std::function<void(QProcess &)>;

    PtyUnit *addUnit(const UnitOptions &options = {});
    QStringList ports() const;
    Run run(const QStringList &arguments, const OnStart &onStart = {}, int timeoutMs = 20000);
    // The tool run as nobody, outside every group; `whyNot` says why that cannot be done here.
    Run runAsNobody(const QStringList &arguments, QString *whyNot);
    QString writeFile(const QString &name, const QByteArray &bytes);
    QString settingsFile(const QString &name, const QString &kind,
                         const QMap<QString, QString> &values = {});
    static QByteArray settingsBytes(const QString &kind,
                                    const QMap<QString, QString> &values = {});
    static QJsonArray jsonUnits(const QString &out)
    {
        return QJsonDocument::fromJson(out.toUtf8()).object().value("units").toArray();
    }
    static QList<QByteArray> parameterLines(const PtyUnit *unit);

    std::vector<std::unique_ptr<PtyUnit>> m_units;
    QTemporaryDir m_dir;
};

namespace {

// The file's own order and the default panel values.
const QList<std::pair<QString, QString>> FileDefaults = {
    {"TYPE", "0"}, {"MODE", "0"}, {"MYID", "001"}, {"SNUM", "001"}, {"FRCH", "0"},
    {"FRBD", "0"}, {"HOLD", "0"}, {"DIVR", "0"}, {"PDIR", "0000"}, {"LOGI", "0"},
    {"AUIO", "0"}, {"ADSL", "0"}, {"DASL", "0"}, {"REPT", "0"}, {"ETIM", "005"},
    {"PTIM", "000"}, {"DOUT", "0"},
};

using Values = QMap<QString, QString>;

const QString Digital = QStringLiteral("デジタルユニット");
const QString Analog = QStringLiteral("アナログユニット");

QMap<QByteArray, QByteArray> unitValues(const QMap<QString, QString> &values)
{
    QMap<QByteArray, QByteArray> converted;
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        converted.insert(it.key().toLatin1(), it.value().toLatin1());
    return converted;
}

} // namespace

void CliTest::cleanup()
{
    m_units.clear();
}

PtyUnit *CliTest::addUnit(const UnitOptions &options)
{
    auto unit = std::make_unique<PtyUnit>(options);
    if (!unit->openPty())
        qFatal("no pseudo-terminal: %s", qPrintable(unit->errorString()));
    m_units.push_back(std::move(unit));
    return m_units.back().get();
}

QStringList CliTest::ports() const
{
    QStringList arguments;
    for (const auto &unit : m_units)
        arguments << QStringLiteral("--port") << unit->devicePath();
    return arguments;
}

CliTest::Run CliTest::run(const QStringList &arguments, const OnStart &onStart, int timeoutMs)
{
    QProcess process;
    QSignalSpy finished(&process, &QProcess::finished);
    process.start(QStringLiteral(ZRT_CLI), arguments);
    Run result;
    if (!process.waitForStarted())
        return result;
    if (onStart)
        onStart(process);
    // The units answer from this process's event loop, which the wait keeps running.
    if (!finished.wait(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

QString CliTest::writeFile(const QString &name, const QByteArray &bytes)
{
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QByteArray CliTest::settingsBytes(const QString &kind, const QMap<QString, QString> &values)
{
    QString text = kind + QLatin1String("\r\n");
    for (const auto &[key, value] : FileDefaults)
        text += key + QLatin1Char('=') + values.value(key, value) + QLatin1String("\r\n");
    text += QLatin1String("\r\n");
    QStringEncoder encoder("Shift_JIS");
    return encoder.encode(text);
}

QString CliTest::settingsFile(const QString &name, const QString &kind,
                              const QMap<QString, QString> &values)
{
    return writeFile(name, settingsBytes(kind, values));
}

QList<QByteArray> CliTest::parameterLines(const PtyUnit *unit)
{
    QList<QByteArray> lines;
    for (const QByteArray &line : unit->simulator().receivedLines()) {
        if (UnitSimulator::isParameterKey(UnitSimulator::keywordOf(line)))
            lines << line;
    }
    return lines;
}

void CliTest::everyVerbOnEachModel_data()
{
    QTest::addColumn<QByteArray>("model");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("fileKind");
    QTest::newRow("48210") << QByteArray("48210") << "デジタルユニット" << Digital;
    QTest::newRow("48220") << QByteArray("48220") << "アナログ入力ユニット" << Analog;
    QTest::newRow("48221") << QByteArray("48221") << "アナログ出力ユニット" << Analog;
}

void CliTest::everyVerbOnEachModel()
{
    QFETCH(QByteArray, model);
    QFETCH(QString, kind);
    QFETCH(QString, fileKind);
    UnitOptions options;
    options.model = model;
    options.version = "Ver2.10";
    options.errorCode = "1003";
    PtyUnit *unit = addUnit(options);

    Run identify = run(QStringList{"identify"} + ports());
    QCOMPARE(identify.exitCode, 0);
    QCOMPARE(identify.out, QStringLiteral("model    %1\nkind     %2\nversion  Ver2.10\n")
                               .arg(QString::fromLatin1(model), kind));

    const QMap<QString, QString> values{{"MODE", "2"}, {"MYID", "017"}, {"FRCH", "6"},
                                        {"PDIR", "1010"}, {"ETIM", "120"}, {"DOUT", "1"}};
    const QString file = settingsFile(QStringLiteral("unit.txt"), fileKind, values);
    Run write = run(QStringList{"write", file, "--verify"} + ports());
    QCOMPARE(write.exitCode, 0);
    QCOMPARE(write.out, QStringLiteral("17 of 17 written, verified\n"));
    // The window's write-all order for the unit's tab.
    const QList<QByteArray> written = parameterLines(unit);
    QCOMPARE(written.size(), 17);
    const QByteArray order = fileKind == Digital
        ? "@FRBD0 @FRCH6 @PDIR1010 @LOGI0 @AUIO0 @ADSL0 @DASL0 @MODE2 @TYPE0 @MYID017 "
          "@SNUM001 @REPT0 @ETIM120 @DIVR0 @PTIM000 @HOLD0 @DOUT1"
        : "@FRBD0 @FRCH6 @LOGI0 @AUIO0 @PDIR1010 @ADSL0 @DASL0 @MODE2 @TYPE0 @MYID017 "
          "@SNUM001 @REPT0 @ETIM120 @DIVR0 @PTIM000 @HOLD0 @DOUT1";
    QCOMPARE(written.join(' '), order);

    Run read = run(QStringList{"read"} + ports());
    QCOMPARE(read.exitCode, 0);
    QVERIFY2(read.out.contains(QLatin1String("FRCH=6\nPDIR=1010\n")), qPrintable(read.out));
    QVERIFY(read.out.contains(QLatin1String("MYID=017\n")));
    QCOMPARE(read.out.count(QLatin1Char('\n')), 17);
    Run json = run(QStringList{"read", "--json"} + ports());
    QCOMPARE(json.exitCode, 0);
    const QJsonObject reported = jsonUnits(json.out).at(0).toObject();
    QCOMPARE(reported.value("model").toString(), QString::fromLatin1(model));
    QCOMPARE(reported.value("version").toString(), QStringLiteral("Ver2.10"));
    QCOMPARE(reported.value("outcome").toString(), QStringLiteral("done"));
    QJsonObject held;
    for (const QByteArray &key : UnitSimulator::parameterKeys())
        held.insert(QString::fromLatin1(key), QString::fromLatin1(unit->simulator().value(key)));
    QCOMPARE(reported.value("values").toObject(), held);

    Run diff = run(QStringList{"diff", file} + ports());
    QCOMPARE(diff.exitCode, 0);
    QCOMPARE(diff.out, QStringLiteral("no differences\n"));

    Run set = run(QStringList{"set", "SNUM=12", "PTIM=5", "--verify"} + ports());
    QCOMPARE(set.exitCode, 0);
    QCOMPARE(parameterLines(unit).mid(17).join(' '), QByteArray("@SNUM012 @PTIM005"));
    QCOMPARE(unit->simulator().value("SNUM"), QByteArray("012"));

    Run error = run(QStringList{"error"} + ports());
    QCOMPARE(error.exitCode, 0);
    QCOMPARE(error.out,
             QStringLiteral("1003\nスレーブ台数がマスター信号数より\n多いです。\n"));
}

void CliTest::readSavesTheWindowsBytes_data()
{
    QTest::addColumn<QByteArray>("model");
    QTest::addColumn<Values>("values");
    QTest::newRow("digital defaults") << QByteArray("48210") << QMap<QString, QString>{};
    QTest::newRow("analog example")
        << QByteArray("48220")
        << QMap<QString, QString>{{"MODE", "1"}, {"MYID", "012"}, {"FRCH", "3"}, {"FRBD", "1"},
                                  {"HOLD", "1"}, {"PDIR", "1000"}, {"ADSL", "1"}, {"REPT", "1"},
                                  {"ETIM", "010"}, {"PTIM", "005"}, {"DOUT", "1"}};
    QTest::newRow("repeater") << QByteArray("48221")
                              << QMap<QString, QString>{{"TYPE", "2"}, {"MYID", "220"}};
}

void CliTest::readSavesTheWindowsBytes()
{
#ifndef ZRT_WITH_WINDOW
    QSKIP("built without the window");
#else
    QFETCH(QByteArray, model);
    QFETCH(Values, values);
    UnitOptions options;
    options.model = model;
    options.initialValues = unitValues(values);
    PtyUnit *unit = addUnit(options);

    // The window reads the unit back and saves: ファイル → 保存.
    const QString windowFile = m_dir.filePath(QStringLiteral("window-%1.txt").arg(model));
    {
        QtSerialChannel channel;
        AppFixture window(&channel, {QStringLiteral("COM1=") + unit->devicePath()});
        QVERIFY(window.start());
        QTest::mouseClick(window.button("cmdPort"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(window.label("lblStat")->text(), StatusText::Connected, 3000);
        QTRY_VERIFY(!window.link()->state().awaitingReply);
        QTest::mouseClick(window.button("cmdDISP"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(window.label("lblStat")->text(), StatusText::ReadDone, 3000);
        window.window()->saveSettings(windowFile);
        QTest::mouseClick(window.button("cmdPort"), Qt::LeftButton);
        QTRY_VERIFY(!window.link()->state().portOpen);
    }

    const QString cliFile = m_dir.filePath(QStringLiteral("cli-%1.txt").arg(model));
    Run read = run(QStringList{"read", "-o", cliFile} + ports());
    QCOMPARE(read.exitCode, 0);
    QCOMPARE(read.out, QStringLiteral("saved %1\n").arg(cliFile));
    QFile expected(windowFile);
    QFile actual(cliFile);
    QVERIFY(expected.open(QIODevice::ReadOnly));
    QVERIFY(actual.open(QIODevice::ReadOnly));
    QCOMPARE(actual.readAll(), expected.readAll());
#endif
}

void CliTest::verifyCatchesAUnitThatKeepsOldValues()
{
    UnitOptions options;
    options.forgetKeys = {"MYID", "ETIM"};
    addUnit(options);
    const QString file = settingsFile(QStringLiteral("site.txt"), Digital,
                                      {{"MYID", "042"}, {"ETIM", "030"}});

    Run write = run(QStringList{"write", file, "--verify", "--json"} + ports());
    QCOMPARE(write.exitCode, 1);
    const QJsonObject unit = jsonUnits(write.out).at(0).toObject();
    QCOMPARE(unit.value("outcome").toString(), QStringLiteral("different"));
    QCOMPARE(unit.value("written").toInt(), 17);
    QCOMPARE(unit.value("verified").toBool(), false);
    const QJsonArray mismatches = unit.value("mismatches").toArray();
    QCOMPARE(mismatches.size(), 2);
    QCOMPARE(mismatches.at(0).toObject(),
             (QJsonObject{{"key", "MYID"}, {"expected", "042"}, {"reported", "001"}}));
    QCOMPARE(mismatches.at(1).toObject(),
             (QJsonObject{{"key", "ETIM"}, {"expected", "030"}, {"reported", "005"}}));

    // Without --verify the same unit looks fine: only reading back catches it.
    QCOMPARE(run(QStringList{"write", file} + ports()).exitCode, 0);
}

void CliTest::diffChecksASiteAgainstItsFiles()
{
    // A site of two slaves programmed with consecutive own IDs from one file ...
    PtyUnit *first = addUnit();
    PtyUnit *second = addUnit();
    const QString site = settingsFile(QStringLiteral("site.txt"), Digital, {{"MODE", "1"}});
    Run write = run(QStringList{"write", site, "--verify", "--myid-from", "7"} + ports());
    QCOMPARE(write.exitCode, 0);
    QCOMPARE(first->simulator().value("MYID"), QByteArray("007"));
    QCOMPARE(second->simulator().value("MYID"), QByteArray("008"));
    QCOMPARE(run(QStringList{"diff", site, "--myid-from", "7"} + ports()).exitCode, 0);

    // ... saved unit by unit, then checked later: the second has been changed meanwhile.
    const QString saved = m_dir.filePath(QStringLiteral("unit{n}.txt"));
    QCOMPARE(run(QStringList{"read", "-o", saved} + ports()).exitCode, 0);
    second->simulator().setValue("HOLD", "1");
    second->simulator().setValue("SNUM", "004");
    Run diff = run(QStringList{"diff", m_dir.filePath("unit1.txt"), m_dir.filePath("unit2.txt")}
                   + ports());
    QCOMPARE(diff.exitCode, 1);
    QVERIFY2(diff.out.startsWith(QStringLiteral("[%1]\nno differences\n[%2]\n"
                                                "SNUM  file 001  unit 004\n"
                                                "HOLD  file 0  unit 1\n")
                                     .arg(first->devicePath(), second->devicePath())),
             qPrintable(diff.out));
    QVERIFY(diff.out.contains(QRegularExpression(
        QStringLiteral("\\n%1 +48210 +different +2 parameters differ: SNUM, HOLD\\n")
            .arg(QRegularExpression::escape(second->devicePath())))));
}

void CliTest::wrongModelIsRefused()
{
    UnitOptions analog;
    analog.model = "48220";
    PtyUnit *unit = addUnit(analog);
    UnitOptions foreign;
    foreign.model = "48299";
    addUnit(foreign);

    // A digital file is not written to an analog unit, nor to a model of another family.
    const QString file = settingsFile(QStringLiteral("digital.txt"), Digital);
    Run write = run(QStringList{"write", file} + ports());
    QCOMPARE(write.exitCode, 1);
    QVERIFY(write.out.contains(QLatin1String("wrong model  the file is for a digital unit")));
    QVERIFY(write.out.contains(QLatin1String("wrong model  ZRT48299 is not a 48210")));
    QVERIFY(parameterLines(unit).isEmpty());
}

void CliTest::lastCommandAnsweredWithoutAckIsRefused()
{
    UnitOptions options;
    options.errKeys = {"DOUT"};
    PtyUnit *unit = addUnit(options);
    const Run set = run(QStringList{"set", "MODE=1", "DOUT=1", "--verify"} + ports());
    QCOMPARE(set.exitCode, 1);
    QVERIFY2(set.err.contains(QLatin1String("refused: the unit did not acknowledge DOUT1")),
             qPrintable(set.err + set.out));
    // Nothing is verified after a write that did not take.
    QCOMPARE(unit->simulator().receivedLines().last(), QByteArray("@DOUT1"));
}

void CliTest::unitNeverIdentifiedStopsWithStatus3_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("errorLine");  // UVER answered with the error line, else noise
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("asked");
    const QString noise = QStringLiteral("unreadable answer: unreadable answer to UVER, sent 4 "
                                         "times: bytes came back, but no line could be read");
    QTest::newRow("identify") << QStringList{"identify"} << false << noise << 4;
    QTest::newRow("read") << QStringList{"read"} << false << noise << 4;
    QTest::newRow("write --verify") << QStringList{"write", "FILE", "--verify"} << false << noise
                                    << 4;
    QTest::newRow("set") << QStringList{"set", "MODE=1"} << false << noise << 4;
    QTest::newRow("diff") << QStringList{"diff", "FILE"} << false << noise << 4;
    QTest::newRow("error") << QStringList{"error"} << false << noise << 4;
    QTest::newRow("identify, an error line")
        << QStringList{"identify"} << true
        << QStringLiteral("no answer: no identification in the answer to UVER") << 1;
}

// Noise in front of every identification line, or an error line in its place: no verb goes on
// as if it had a unit.
void CliTest::unitNeverIdentifiedStopsWithStatus3()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, errorLine);
    QFETCH(QString, message);
    QFETCH(int, asked);
    UnitOptions options;
    if (errorLine)
        options.errKeys = {"UVER"};
    else
        options.noisyIdentifications = 1000;
    PtyUnit *unit = addUnit(options);
    arguments.replaceInStrings(QStringLiteral("FILE"),
                               settingsFile(QStringLiteral("digital.txt"), Digital));
    const Run result = run(arguments + ports());
    QCOMPARE(result.exitCode, 3);
    QVERIFY2(result.err.contains(message), qPrintable(result.err));
    QCOMPARE(unit->simulator().receivedLines(), QList<QByteArray>(asked, "@UVER"));
}

// A default in place of a value the unit never reported would be saved as if it held it.
void CliTest::readBackLackingAParameterSavesNothing()
{
    UnitOptions options;
    options.omitKeys = {"PTIM"};
    addUnit(options);
    const QString file = m_dir.filePath(QStringLiteral("lacking.txt"));
    const Run read = run(QStringList{"read", "-o", file} + ports());
    QCOMPARE(read.exitCode, 3);
    QVERIFY2(read.err.contains(QLatin1String("bad read-back: the unit did not report PTIM")),
             qPrintable(read.err));
    QVERIFY(QDir(m_dir.path()).entryList({"*lacking*"}, QDir::Files | QDir::Hidden).isEmpty());
}

CliTest::Run CliTest::runAsNobody(const QStringList &arguments, QString *whyNot)
{
    Run result;
    if (::geteuid() != 0) {
        *whyNot = QStringLiteral("needs root to run the tool as another user");
        return result;
    }
    const QStringList asNobody{"--reuid=65534", "--regid=65534", "--clear-groups",
                               QStringLiteral(ZRT_CLI)};
    QProcess process;
    process.start(QStringLiteral("setpriv"), asNobody + QStringList{"--version"});
    if (!process.waitForFinished(20000) || process.exitCode() != 0) {
        *whyNot = QStringLiteral("the build folder is not open to other users");
        return result;
    }
    // Nothing is asked of the units: a wait that blocks their event loop does no harm.
    process.start(QStringLiteral("setpriv"), asNobody + arguments);
    if (!process.waitForFinished(20000))
        return result;
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

void CliTest::missingRightsSayWhatToDo()
{
    PtyUnit *unit = addUnit();
    // The terminal is root's and its group's alone, as a serial device is dialout's.
    QCOMPARE(::chmod(QFile::encodeName(unit->devicePath()).constData(), 0660), 0);
    QString whyNot;
    const Run result = runAsNobody({"identify", "--port", unit->devicePath()}, &whyNot);
    if (!whyNot.isEmpty())
        QSKIP(qPrintable(whyNot));
    QCOMPARE(result.exitCode, 3);
    QVERIFY2(result.err.contains(
                 QLatin1String("group dialout: run 'sudo usermod -aG dialout $USER', "
                               "then log out and in again")),
             qPrintable(result.err));
    QVERIFY(unit->simulator().receivedLines().isEmpty());
}

// A lock whose program runs under another user (kill answers EPERM) names a port in use, not a
// stale lock: that would invite the user to delete a live one.
void CliTest::liveLockOfAnotherUserIsInUse()
{
    PtyUnit *unit = addUnit();
    // Open to everyone: only the lock of root's program keeps nobody out.
    QCOMPARE(::chmod(QFile::encodeName(unit->devicePath()).constData(), 0666), 0);
    HeldPort holder;
    if (!holder.holdByLock(unit->devicePath(), defaultLockFolders().constFirst()))
        QSKIP(qPrintable(QStringLiteral("no lock: ") + holder.errorString()));
    QString whyNot;
    const Run find = runAsNobody({"find", "--port", unit->devicePath()}, &whyNot);
    if (!whyNot.isEmpty())
        QSKIP(qPrintable(whyNot));
    QCOMPARE(find.out.simplified(),
             unit->devicePath() + QStringLiteral(" - in use by sleep (PID %1)").arg(holder.pid()));
    QCOMPARE(find.exitCode, 1);  // no unit answered
    QVERIFY(unit->simulator().receivedLines().isEmpty());
}

void CliTest::parallelUnitsEndOnTheirOwn()
{
    UnitOptions silent;
    silent.silent = true;
    PtyUnit *mute = addUnit(silent);
    UnitOptions refusing;
    refusing.nakKeys = {"SNUM"};
    PtyUnit *refuser = addUnit(refusing);
    PtyUnit *good = addUnit();
    const QString file = settingsFile(QStringLiteral("all.txt"), Digital, {{"MODE", "3"}});
    const QString log = m_dir.filePath(QStringLiteral("traffic.log"));

    Run write = run(QStringList{"write", file, "--verify", "--log", log} + ports());
    // The worst outcome decides: no answer (3) over a refusal (1).
    QCOMPARE(write.exitCode, 3);
    QCOMPARE(parameterLines(good).size(), 17);
    QCOMPARE(good->simulator().value("MODE"), QByteArray("3"));
    QCOMPARE(parameterLines(refuser).size(), 11);  // stopped at the refused SNUM
    const QStringList summary = write.out.section(QLatin1String("\n\n"), -1).split('\n');
    QCOMPARE(summary.at(0).simplified(), QStringLiteral("PORT MODEL RESULT DETAIL"));
    QCOMPARE(summary.at(1).simplified(),
             QStringLiteral("%1 - no answer no answer to UVER, sent 4 times")
                 .arg(mute->devicePath()));
    QCOMPARE(summary.at(2).simplified(),
             QStringLiteral("%1 48210 refused the unit refused SNUM001 (10 of 17 written)")
                 .arg(refuser->devicePath()));
    QCOMPARE(summary.at(3).simplified(),
             QStringLiteral("%1 48210 done 17 of 17 written, verified").arg(good->devicePath()));
    // The good unit was done long before the silent one was given up.
    const QStringList progress = write.err.split('\n');
    QVERIFY2(progress.indexOf(good->devicePath() + QLatin1String(": done"))
                 < progress.indexOf(QRegularExpression(QStringLiteral("%1: no answer.*")
                                        .arg(QRegularExpression::escape(mute->devicePath())))),
             qPrintable(write.err));

    // One log for all ports, each row with its port and direction; resends and the give-up.
    QFile logFile(log);
    QVERIFY(logFile.open(QIODevice::ReadOnly));
    const QStringList rows = QString::fromUtf8(logFile.readAll()).split('\n', Qt::SkipEmptyParts);
    auto rowsOf = [&](const QString &port, const QString &direction, const QString &text) {
        return std::count_if(rows.cbegin(), rows.cend(), [&](const QString &row) {
            const QStringList fields = row.split('\t');
            return fields.size() == 4 && fields.at(1) == port && fields.at(2) == direction
                && fields.at(3).startsWith(text);
        });
    };
    const QString event;
    const QString sent = QStringLiteral("送信");
    const QString received = QStringLiteral("受信");
    QCOMPARE(rowsOf(mute->devicePath(), event, QStringLiteral("再送")), 3);
    QCOMPARE(rowsOf(mute->devicePath(), event, QStringLiteral("応答がないため中止")), 1);
    QCOMPARE(rowsOf(refuser->devicePath(), received, QStringLiteral("NAK<CR><LF>")), 1);
    QCOMPARE(rowsOf(good->devicePath(), sent, QStringLiteral("@MODE3<CR><LF>")), 1);
    QCOMPARE(rowsOf(good->devicePath(), received, QStringLiteral("ACK<CR><LF>")), 17);
    const QRegularExpression stamp(
        QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3}\\t"));
    QVERIFY(stamp.match(rows.first()).hasMatch());
}

void CliTest::unplugMidWriteStopsThatUnitOnly()
{
    PtyUnit *pulled = addUnit();
    PtyUnit *good = addUnit();
    connect(pulled, &PtyUnit::lineReceived, pulled, [pulled](const QByteArray &line) {
        if (line.startsWith("@LOGI"))
            pulled->closeMaster();
    });
    const QString file = settingsFile(QStringLiteral("unit.txt"), Digital);
    Run write = run(QStringList{"write", file, "--verify", "--json"} + ports());
    QCOMPARE(write.exitCode, 3);
    const QJsonArray units = jsonUnits(write.out);
    QCOMPARE(units.at(0).toObject().value("outcome").toString(), QStringLiteral("port lost"));
    QCOMPARE(units.at(0).toObject().value("written").toInt(), 3);
    QVERIFY(units.at(0).toObject().value("detail").toString().startsWith("the port went away"));
    QCOMPARE(units.at(1).toObject().value("outcome").toString(), QStringLiteral("done"));
    QCOMPARE(parameterLines(good).size(), 17);
}

void CliTest::badInputSendsNothing_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("fileBytes");
    QTest::addColumn<QString>("message");

    QStringEncoder encoder("Shift_JIS");
    const QByteArray head = encoder.encode(Digital + QLatin1String("\r\nTYPE=0\r\nMODE=1\r\n"));
    QTest::newRow("value out of range on line 4")
        << QStringList{"write", "FILE"} << head + "MYID=201\r\nSNUM=001\r\n"
        << "FILE: line 4: MYID takes a number from 001 to 200, not '201'";
    QTest::newRow("unknown key, LF line ends")
        << QStringList{"diff", "FILE"} << QByteArray(head).replace("\r\n", "\n") + "MYIX=1\n"
        << "FILE: line 4: 'MYIX' is not a parameter key";
    QTest::newRow("not a settings file")
        << QStringList{"write", "FILE"} << QByteArray("TYPE=0\r\n")
        << "FILE: line 1: the first line is not a unit kind";
    QTest::newRow("parameters missing")
        << QStringList{"write", "FILE"} << head
        << "FILE: no line for FRBD, FRCH, PDIR, LOGI, AUIO, ADSL, DASL, MYID, SNUM";
    QTest::newRow("own ID of a master")
        << QStringList{"write", "FILE", "--myid", "3"}
        << settingsBytes(Digital, {{"TYPE", "1"}, {"MYID", "000"}})
        << "FILE: --myid: the own ID of a master is fixed at 000";
    QTest::newRow("set: unknown key") << QStringList{"set", "FRBD=1", "frch=2"} << QByteArray()
                                      << "'frch' is not a parameter key";
    QTest::newRow("set: out of range") << QStringList{"set", "ETIM=256"} << QByteArray()
                                       << "ETIM takes a number from 001 to 255, not '256'";
    QTest::newRow("set: a slave without an own ID") << QStringList{"set", "TYPE=0"} << QByteArray()
                                                    << "TYPE=0 (slave) needs an own ID";
    QTest::newRow("bad usage") << QStringList{"write", "FILE", "--verify", "--myid", "201"}
                               << QByteArray() << "--myid takes an own ID from 1 to 200";
}

void CliTest::badInputSendsNothing()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, fileBytes);
    QFETCH(QString, message);
    PtyUnit *unit = addUnit();
    const QString file = writeFile(QStringLiteral("bad.txt"), fileBytes);
    arguments.replaceInStrings(QStringLiteral("FILE"), file);
    message.replace(QStringLiteral("FILE"), file);

    Run refused = run(arguments + ports());
    QCOMPARE(refused.exitCode, 2);
    QVERIFY2(refused.err.contains(message), qPrintable(refused.err));
    QVERIFY(refused.out.isEmpty());
    QVERIFY(unit->simulator().receivedLines().isEmpty());
}

void CliTest::interruptFinishesTheLineAndCloses()
{
    PtyUnit *unit = addUnit();
    unit->setReplyShape({100, 1, 0, 0});  // a slow unit, so that Ctrl-C comes mid-write
    const QString file = settingsFile(QStringLiteral("unit.txt"), Digital, {{"LOGI", "1"}});
    Run run = this->run(QStringList{"write", file} + ports(), [unit](QProcess &process) {
        connect(unit, &PtyUnit::lineReceived, &process, [&process](const QByteArray &line) {
            if (line.startsWith("@LOGI"))
                ::kill(static_cast<pid_t>(process.processId()), SIGINT);
        });
    });
    QCOMPARE(run.exitCode, 130);
    // The line in progress was answered and counted; nothing went out after it.
    QCOMPARE(parameterLines(unit).size(), 4);
    QCOMPARE(unit->simulator().value("LOGI"), QByteArray("1"));
    QCOMPARE(run.out, QStringLiteral("4 of 17 written\n"));
    QVERIFY(run.err.contains(QLatin1String("interrupted: Ctrl-C after 4 of 17 written")));
}

void CliTest::progressRedrawsInPlaceOnATerminal()
{
    addUnit();
    addUnit();
    // Standard error on a pseudo-terminal of its own, as when run from a shell.
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    QVERIFY(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0);
    const QByteArray slavePath = ptsname(master);
    QProcess process;
    process.setChildProcessModifier([slavePath] {
        const int slave = ::open(slavePath.constData(), O_RDWR | O_NOCTTY);
        ::dup2(slave, STDERR_FILENO);
    });
    // Drained while the tool runs: a full terminal would block it.
    QByteArray screen;
    fcntl(master, F_SETFL, O_NONBLOCK);
    auto drain = [&] {
        char buffer[4096];
        for (ssize_t count; (count = ::read(master, buffer, sizeof buffer)) > 0;)
            screen.append(buffer, count);
    };
    QSocketNotifier notifier(master, QSocketNotifier::Read);
    connect(&notifier, &QSocketNotifier::activated, this, drain);
    QSignalSpy finished(&process, &QProcess::finished);
    process.start(QStringLiteral(ZRT_CLI), QStringList{"set", "DOUT=1"} + ports());
    QVERIFY(finished.wait(20000));
    QCOMPARE(process.exitCode(), 0);
    QTRY_VERIFY(screen.endsWith("done\r\n"));
    notifier.setEnabled(false);
    ::close(master);
    // Two lines drawn, then moved back over and redrawn for every change.
    QVERIFY2(screen.contains("\033[2A\r\033[K"), screen.constData());
    QVERIFY(screen.contains("writing 1 of 1 (DOUT)"));
    QVERIFY(!screen.contains(": done"));  // the plain form is for pipes and files
}

void CliTest::helpForAllOrOneVerb_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("verb");  // empty: every verb
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QStringList>("hidden");
    QTest::newRow("--help") << QStringList{"--help"} << QString()
                            << QStringList{"--myid-from N", "-v, --version", "Progress goes"}
                            << QStringList{};
    QTest::newRow("-h") << QStringList{"-h"} << QString() << QStringList{"--record CSV"}
                        << QStringList{};
    QTest::newRow("ports") << QStringList{"ports", "--help"} << "ports"
                           << QStringList{"--json"} << QStringList{"--port P", "130  "};
    QTest::newRow("identify") << QStringList{"identify", "--help"} << "identify"
                              << QStringList{"--port P", "--log FILE"}
                              << QStringList{"--verify  ", "-o, --output"};
    QTest::newRow("read") << QStringList{"--help", "read"} << "read"
                          << QStringList{"-o, --output FILE"} << QStringList{"--myid N"};
    QTest::newRow("write") << QStringList{"write", "--help"} << "write"
                           << QStringList{"--verify  ", "--myid-from N", "--record CSV"}
                           << QStringList{"-o, --output"};
    QTest::newRow("set") << QStringList{"set", "--help"} << "set"
                         << QStringList{"--verify  ", "--myid N"} << QStringList{"--record CSV"};
    QTest::newRow("diff") << QStringList{"diff", "--help"} << "diff"
                          << QStringList{"--myid N"} << QStringList{"--verify  "};
    QTest::newRow("error") << QStringList{"error", "-h"} << "error"
                           << QStringList{"--json"} << QStringList{"--myid N"};
    QTest::newRow("find") << QStringList{"find", "--help"} << "find" << QStringList{"--json"}
                          << QStringList{"--verify  ", "1    a unit refused"};
    QTest::newRow("watch") << QStringList{"watch", "--help"} << "watch"
                           << QStringList{"--operator NAME"} << QStringList{"--json"};
}

void CliTest::helpForAllOrOneVerb()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, verb);
    QFETCH(QStringList, shown);
    QFETCH(QStringList, hidden);
    const Run help = run(arguments);
    QCOMPARE(help.exitCode, 0);
    for (const QString &text : shown + QStringList{"Exit status", "2    bad usage"})
        QVERIFY2(help.out.contains(text), qPrintable(text));
    for (const QString &text : hidden)
        QVERIFY2(!help.out.contains(text), qPrintable(text));
    // Each verb's usage as the help prints it, on a line of its own.
    const QList<std::pair<QString, QString>> usages{
        {"ports", "ports"}, {"identify", "identify"}, {"read", "read [-o FILE]"},
        {"write", "write FILE... [--verify]"}, {"set", "set KEY=VALUE... [--verify]"},
        {"diff", "diff FILE..."}, {"error", "error"}, {"find", "find"},
        {"watch", "watch FILE --record CSV"}};
    for (const auto &[name, usage] : usages) {
        const QRegularExpression line(QStringLiteral("^(Usage: zrt48210-cli |  )%1( |$)")
                                          .arg(QRegularExpression::escape(usage)),
                                      QRegularExpression::MultilineOption);
        QVERIFY2(line.match(help.out).hasMatch() == (verb.isEmpty() || name == verb),
                 qPrintable(usage));
    }
}

void CliTest::versionAndPorts()
{
    QCOMPARE(run({"--version"}).out, QStringLiteral("zrt48210-cli 1.02\n"));
    QCOMPARE(run({}).exitCode, 2);
    QCOMPARE(run({"identify"}).exitCode, 2);  // no port
    QCOMPARE(run({"erase", "--port", "/dev/null"}).exitCode, 2);

    Run ports = run({"ports", "--json"});
    QCOMPARE(ports.exitCode, 0);
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(ports.out.toUtf8(), &error);
    QCOMPARE(error.error, QJsonParseError::NoError);
    QVERIFY(document.object().value("ports").isArray());

    Run absent = run({"identify", "--port", m_dir.filePath("no-such-device")});
    QCOMPARE(absent.exitCode, 3);
    QVERIFY2(absent.err.contains("port not opened: cannot open"), qPrintable(absent.err));
}

void CliTest::findTellsWhereUnitsAnswer()
{
    UnitOptions digital;
    digital.version = "Ver2.10";
    addUnit(digital);
    UnitOptions silent;
    silent.silent = true;
    addUnit(silent);
    // Babblers: random bytes in front of every reply, line noise glued to "ZRT", and a run of
    // bytes that never ends a line.
    addUnit()->setReplyShape({0, 1, 0, 40});
    UnitOptions noisy;
    noisy.noisyIdentifications = 1000;
    addUnit(noisy);
    addUnit()->streamOnCommand({});
    UnitOptions foreign;
    foreign.model = "48299";
    addUnit(foreign);
    PtyUnit *busy = addUnit();
    HeldPort holder;
    if (!holder.holdByLock(busy->devicePath(), defaultLockFolders().constFirst()))
        QSKIP(qPrintable(QStringLiteral("no lock: ") + holder.errorString()));
    const QString missing = m_dir.filePath(QStringLiteral("no-such-device"));
    const QStringList arguments = QStringList{"find"} + ports() + QStringList{"--port", missing};

    Run text = run(arguments);
    QCOMPARE(text.exitCode, 0);
    QStringList lines = text.out.split(QLatin1Char('\n'));
    QCOMPARE(lines.takeLast(), QString());
    for (QString &line : lines)
        line = line.simplified();
    const auto device = [this](int i) { return m_units.at(i)->devicePath(); };
    QCOMPARE(lines, (QStringList{
        device(0) + " - ZRT48210 Ver2.10",
        device(1) + " - no answer",
        device(2) + " - unreadable answer",
        device(3) + " - unreadable answer",
        device(4) + " - unreadable answer",
        device(5) + " - ZRT48299 Ver1.02 (not a 48210, 48220 or 48221)",
        device(6) + QStringLiteral(" - in use by sleep (PID %1)").arg(holder.pid()),
        missing + " - No such file or directory",
    }));
    // Only the identification, with its resends to the silent unit and to those whose answer
    // never identifies them; none into a stream that never goes quiet, nothing to the busy one.
    const QList<int> sent{1, 4, 4, 4, 1, 1, 0};
    for (int i = 0; i < sent.size(); ++i) {
        QCOMPARE(m_units.at(i)->simulator().receivedLines(),
                 QList<QByteArray>(sent.at(i), QByteArray("@UVER")));
    }

    Run json = run(arguments + QStringList{"--json"});
    QCOMPARE(json.exitCode, 0);
    const QJsonArray found =
        QJsonDocument::fromJson(json.out.toUtf8()).object().value("ports").toArray();
    QCOMPARE(found.size(), 8);
    QStringList results;
    for (const QJsonValue &port : found)
        results << port[QStringLiteral("result")].toString();
    QCOMPARE(results, (QStringList{"unit", "no answer", "unreadable", "unreadable", "unreadable",
                                   "other model", "not opened", "not opened"}));
    QCOMPARE(found[0][QStringLiteral("model")].toString(), QStringLiteral("48210"));
    QCOMPARE(found[0][QStringLiteral("version")].toString(), QStringLiteral("Ver2.10"));
    QCOMPARE(found[0][QStringLiteral("entry")].type(), QJsonValue::Null);
    QCOMPARE(found[3][QStringLiteral("version")].toString(), QString());
    QCOMPARE(found[5][QStringLiteral("model")].toString(), QStringLiteral("48299"));
    const QJsonObject held = found[6][QStringLiteral("holder")].toObject();
    QCOMPARE(held.value("pid").toInteger(), holder.pid());
    QCOMPARE(held.value("program").toString(), QStringLiteral("sleep"));
    QCOMPARE(held.value("stale").toBool(), false);

    // No unit of ours: a model of another family and a babbler do not count.
    Run none = run({"find", "--port", device(1), "--port", device(2), "--port", device(4),
                    "--port", device(5)});
    QCOMPARE(none.exitCode, 1);
}

void CliTest::watchRecordsEachUnitOnceAndEndsOnCtrlC()
{
    QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("bench")));
    auto unit = std::make_unique<PtyUnit>();
    QVERIFY(unit->openPty(m_dir.filePath(QStringLiteral("bench/u1"))));
    PtyUnit *plugged = unit.get();
    m_units.push_back(std::move(unit));
    // Beside it, a unit that babbles until the tool has said so, then falls silent.
    auto noisy = std::make_unique<PtyUnit>();
    QVERIFY(noisy->openPty(m_dir.filePath(QStringLiteral("bench/u2"))));
    noisy->setReplyShape({0, 1, 0, 40});
    PtyUnit *babbling = noisy.get();
    m_units.push_back(std::move(noisy));
    const QString file = settingsFile(QStringLiteral("slave.txt"), Digital, {{"LOGI", "1"}});
    const QString record = m_dir.filePath(QStringLiteral("record.csv"));
    int polls = 0;
    Run run = this->run(
        {"watch", file, "--port", m_dir.filePath(QStringLiteral("bench/u*")), "--myid-from",
         "21", "--operator", "Tanaka", "--record", record},
        [&](QProcess &process) {
            connect(babbling, &PtyUnit::lineReceived, &process, [&] {
                if (process.peek(1 << 16).contains("u2: unreadable answer"))
                    babbling->simulator().setOptions({.silent = true});
            });
            // Ctrl-C once the unit is done and has been asked again who it is (it stays
            // plugged in and must not be configured a second time), and the other is silent.
            connect(plugged, &PtyUnit::lineReceived, &process, [&](const QByteArray &line) {
                const QByteArray out = process.peek(1 << 16);
                const bool done = out.contains("done own ID 021");
                if (line == "@UVER" && done && ++polls >= 2
                    && out.contains("u2: no longer unreadable"))
                    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
            });
        });
    QCOMPARE(run.exitCode, 130);
    QVERIFY2(run.out.contains(QLatin1String("bench/u1: done own ID 021 ZRT48210")),
             qPrintable(run.out));
    QCOMPARE(run.out.count(QLatin1String("bench/u2: unreadable answer; check the line's speed")),
             1);
    QCOMPARE(run.out.count(QLatin1String("bench/u2: no longer unreadable")), 1);
    QCOMPARE(parameterLines(plugged).size(), 17);
    QCOMPARE(plugged->simulator().value("MYID"), QByteArray("021"));
    QFile csv(record);
    QVERIFY(csv.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = csv.readAll().split('\n');
    QCOMPARE(lines.size(), 3);  // header, one row, the empty rest after the last CR LF
    QVERIFY(lines.at(1).contains(",Tanaka,") && lines.at(1).contains(",021,slave.txt,"));
    QVERIFY(lines.at(1).contains(",done,"));
}

void CliTest::writeRecordAppendsOneRowPerUnit()
{
    addUnit();
    addUnit({"48220"});
    const QString file = settingsFile(QStringLiteral("slave.txt"), Digital);
    const QString record = m_dir.filePath(QStringLiteral("write.csv"));
    Run run = this->run(QStringList{"write", file, "--verify", "--myid-from", "7", "--record",
                                    record} + ports());
    QCOMPARE(run.exitCode, 1);  // the 48220 does not take a digital file
    // The file saved anew while the write is under way (before the unit answers LOGI): the
    // row names the bytes the values came from.
    PtyUnit *unit = m_units.front().get();
    run = this->run(QStringList{"write", file, "--record", record, "--port", unit->devicePath()},
                    [&](QProcess &process) {
                        connect(unit, &PtyUnit::lineReceived, &process,
                                [&](const QByteArray &line) {
                                    if (line.startsWith("@LOGI"))
                                        writeFile("slave.txt",
                                                  settingsBytes(Digital, {{"MYID", "099"}}));
                                });
                    });
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(unit->simulator().value("MYID"), QByteArray("001"));
    const QByteArray sha256 =
        QCryptographicHash::hash(settingsBytes(Digital), QCryptographicHash::Sha256).toHex();
    QFile csv(record);
    QVERIFY(csv.open(QIODevice::ReadOnly));
    const QByteArray bytes = csv.readAll();
    QVERIFY(bytes.startsWith("\xEF\xBB\xBFtime,"));
    QCOMPARE(bytes.count("time,station"), 1);
    const QList<QByteArray> rows = bytes.split('\n').mid(1, 3);
    QVERIFY2(rows.at(0).contains(",007,slave.txt,") && rows.at(0).contains(",done,")
                 && rows.at(0).contains(",read back,"), rows.at(0).constData());
    QVERIFY2(rows.at(1).contains(",ZRT48220,") && rows.at(1).contains(",wrong-model,"),
             rows.at(1).constData());
    // Without --verify the values are those written, marked so.
    QVERIFY2(rows.at(2).contains(",001,slave.txt," + sha256 + ",")
                 && rows.at(2).contains("\"written, not verified\""), rows.at(2).constData());
}

QTEST_MAIN(CliTest)
#include "tst_cli.moc"

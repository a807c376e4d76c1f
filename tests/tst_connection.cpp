#include "fakes/appfixture.h"
#include "fakes/unitonpty.h"
#include "link/link.h"
#include "link/qtserialchannel.h"
#include "fakes/statustexts.h"
#include "settings/parameters.h"
#include "ui/mainwindow.h"
#include "unitsim/ptyunit.h"

#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

// The tool against the unit simulator over a real pseudo-terminal.
class ConnectionTest : public PtyWindowTest
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void connectsToEachModel_data();
    void connectsToEachModel();
    void unknownModelStaysOpenButNotConnected();
    void silentUnitIsGivenUpAfterFourSeconds();
    void noisyIdentificationIsAskedAgain_data();
    void noisyIdentificationIsAskedAgain();
    void disconnectReturnsToIdleText();
    void readBackFillsEveryPanel();
    void writeAllSendsBackWhatWasRead_data();
    void writeAllSendsBackWhatWasRead();
    void nakInTheMiddleOfAWriteDropsTheRest();
    void errorReportExplainsTheCode();
    void errorReportHoldsWhatFollowsUntilClosed_data();
    void errorReportHoldsWhatFollowsUntilClosed();
    void replyInQuickPiecesIsOneReply();
    void streamingUnitDoesNotLockTheWindow();
    void farEndClosedWhileConnected();
    void farEndClosedDuringABatch();
    void readBackCutAtTheCapIsNoSuccess();
    void verifyAfterWriteFindsEveryValueKept();
    void verifyAfterWriteNamesTheValueTheUnitKept();
    void withoutVerifyTheWireIsAsBefore();
    void commissioningSheetNamesTheUnitAndItsValues();

private:
    QString statusText() const { return m_app->label("lblStat")->text(); }
    QList<QByteArray> received() const { return m_unit->simulator().receivedLines(); }
    QByteArray lastReceived(int count) const;
    MainWindow *window() const { return m_app->window(); }
};

void ConnectionTest::init()
{
    newBench();
}

void ConnectionTest::cleanup()
{
    endBench();
}

QByteArray ConnectionTest::lastReceived(int count) const
{
    const QList<QByteArray> lines = received();
    return lines.mid(lines.size() - count).join(' ');
}

void ConnectionTest::connectsToEachModel_data()
{
    QTest::addColumn<QByteArray>("model");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("tab");
    QTest::newRow("48210") << QByteArray("48210") << "デジタルユニット" << 0;
    QTest::newRow("48220") << QByteArray("48220") << "アナログ入力ユニット" << 1;
    QTest::newRow("48221") << QByteArray("48221") << "アナログ出力ユニット" << 1;
}

void ConnectionTest::connectsToEachModel()
{
    QFETCH(QByteArray, model);
    QFETCH(QString, kind);
    QFETCH(int, tab);
    UnitOptions options;
    options.model = model;
    options.version = "Ver2.10";
    QVERIFY(startUnit(options));
    click("cmdPort");
    QCOMPARE(statusText(), StatusText::Connecting);
    QTRY_COMPARE_WITH_TIMEOUT(statusText(), StatusText::Connected, 3000);
    QCOMPARE(received(), QList<QByteArray>{"@UVER"});
    QCOMPARE(m_app->label("lblUnitVer1")->text(), kind);
    QCOMPARE(m_app->label("lblUnitVer2")->text(), QStringLiteral("Ver2.10"));
    QCOMPARE(window()->selectedTab(), tab);
    QCOMPARE(m_app->button("cmdPort")->text(), QStringLiteral("切断"));
    QVERIFY(!m_app->find<QWidget>(QStringLiteral("picConnect"))->isVisible());
    QVERIFY(m_app->button("cmdDISP")->isEnabled());
    QVERIFY(!window()->inputLocked());
}

void ConnectionTest::unknownModelStaysOpenButNotConnected()
{
    UnitOptions options;
    options.model = "48299";
    QVERIFY(startUnit(options));
    click("cmdPort");
    QTRY_COMPARE_WITH_TIMEOUT(statusText(), StatusText::WrongUnit, 3000);
    QCOMPARE(m_app->label("lblStat")->palette().color(QPalette::WindowText),
             QColor::fromRgba(StatusColour::LinkError));
    QTRY_COMPARE(m_app->link()->state().phase, ExchangePhase::Idle);
    QVERIFY(m_app->link()->state().portOpen);
    QCOMPARE(m_app->button("cmdPort")->text(), QStringLiteral("接続"));
    QVERIFY(m_app->find<QAction>(QStringLiteral("mnuPort"))->isEnabled());

    click("cmdPort");  // closes the port without a word
    QVERIFY(!m_app->link()->state().portOpen);
    QCOMPARE(statusText(), StatusText::WrongUnit);

    options.model = "48210";
    m_unit->simulator().setOptions(options);
    QVERIFY(connectUnit());
    QCOMPARE(m_app->button("cmdPort")->text(), QStringLiteral("切断"));
}

void ConnectionTest::silentUnitIsGivenUpAfterFourSeconds()
{
    // The real intervals, once.
    UnitOptions options;
    options.silent = true;
    QVERIFY(startUnit(options));
    QList<qint64> sentAt;
    QElapsedTimer clock;
    connect(m_unit, &PtyUnit::lineReceived, this, [&] { sentAt << clock.elapsed(); });
    clock.start();
    click("cmdPort");
    QTRY_VERIFY(window()->inputLocked());
    QTRY_VERIFY_WITH_TIMEOUT(!m_app->link()->state().portOpen, 6000);
    const qint64 gaveUpAt = clock.elapsed();
    QCOMPARE(sentAt.size(), 4);
    for (int i = 1; i < sentAt.size(); ++i)
        QVERIFY2(sentAt[i] - sentAt[i - 1] >= 900, qPrintable(QString::number(sentAt[i])));
    QVERIFY(gaveUpAt >= 3900);
    QCOMPARE(received(), QList<QByteArray>(4, "@UVER"));
    QCOMPARE(statusText(), StatusText::NoAnswer);
    QCOMPARE(m_app->button("cmdPort")->text(), QStringLiteral("接続"));
    QVERIFY(!window()->inputLocked());
}

void ConnectionTest::noisyIdentificationIsAskedAgain_data()
{
    QTest::addColumn<int>("noisyReplies");
    QTest::addColumn<int>("commandsSent");
    QTest::addColumn<bool>("connected");
    QTest::newRow("clean on the resend") << 1 << 2 << true;
    QTest::newRow("noisy every time") << 1000 << 4 << false;
}

// Noise in front of "ZRT" leaves a reply with no identification line: the connect goes on
// waiting, so the watchdog asks again and, when nothing better comes, gives up.
void ConnectionTest::noisyIdentificationIsAskedAgain()
{
    QFETCH(int, noisyReplies);
    QFETCH(int, commandsSent);
    QFETCH(bool, connected);
    UnitOptions options;
    options.noisyIdentifications = noisyReplies;
    QVERIFY(startUnit(options));
    click("cmdPort");
    QTRY_COMPARE_WITH_TIMEOUT(statusText(),
                              connected ? StatusText::Connected : StatusText::NoAnswer, 6000);
    QCOMPARE(received(), QList<QByteArray>(commandsSent, "@UVER"));
    QCOMPARE(m_app->link()->state().portOpen, connected);
    QCOMPARE(m_app->button("cmdPort")->text(),
             connected ? QStringLiteral("切断") : QStringLiteral("接続"));
    QVERIFY(!window()->inputLocked());
}

void ConnectionTest::disconnectReturnsToIdleText()
{
    QVERIFY(startUnit());
    QVERIFY(connectUnit());
    window()->setStatusResetInterval(300);
    click("cmdPort");
    QCOMPARE(statusText(), StatusText::Disconnected);
    QVERIFY(m_app->find<QWidget>(QStringLiteral("picConnect"))->isVisible());
    QTRY_COMPARE(statusText(), StatusText::Waiting);

    // Connecting again before the idle text returns keeps the connecting text.
    QVERIFY(connectUnit());
    click("cmdPort");
    click("cmdPort");
    QCOMPARE(statusText(), StatusText::Connecting);
    // A fixed wait past the reset interval, to show that the idle text does not come back.
    QTest::qWait(400);
    QVERIFY(statusText() != StatusText::Waiting);
}

void ConnectionTest::readBackFillsEveryPanel()
{
    UnitOptions options;
    options.model = "48221";
    options.initialValues = {{"TYPE", "2"}, {"MODE", "5"}, {"MYID", "220"}, {"SNUM", "150"},
                             {"FRCH", "6"}, {"FRBD", "2"}, {"HOLD", "1"}, {"DIVR", "1"},
                             {"PDIR", "1001"}, {"LOGI", "1"}, {"AUIO", "1"}, {"ADSL", "1"},
                             {"DASL", "1"}, {"REPT", "1"}, {"ETIM", "033"}, {"PTIM", "100"},
                             {"DOUT", "1"}};
    options.separator = ':';
    QVERIFY(startUnit({}));
    QVERIFY(connectUnit());
    m_unit->simulator().setOptions(options);
    for (auto it = options.initialValues.cbegin(); it != options.initialValues.cend(); ++it)
        m_unit->simulator().setValue(it.key(), it.value());
    click("cmdDISP");
    QCOMPARE(statusText(), StatusText::ReadingSettings);
    QTRY_COMPARE_WITH_TIMEOUT(statusText(), StatusText::ReadDone, 3000);
    QCOMPARE(lastReceived(2), QByteArray("@UVER @DISP"));
    QCOMPARE(m_app->label("lblUnitVer1")->text(), QStringLiteral("アナログ出力ユニット"));
    QCOMPARE(window()->selectedTab(), 1);
    for (auto it = options.initialValues.cbegin(); it != options.initialValues.cend(); ++it) {
        const ParameterKey key = *keyFromName(QString::fromLatin1(it.key()));
        QCOMPARE(window()->settings().value(key).toLatin1(), it.value());
    }
    QVERIFY(!m_app->field("txtMYID")->isEnabled());
    QCOMPARE(m_app->label("lblFrqNum")->text(), QStringLiteral("2468.0MHz"));
    QCOMPARE(m_app->link()->state().phase, ExchangePhase::Idle);
}

void ConnectionTest::writeAllSendsBackWhatWasRead_data()
{
    QTest::addColumn<QByteArray>("model");
    QTest::addColumn<int>("role");
    for (const char *model : {"48210", "48220"}) {
        for (int role : {0, 1, 2})
            QTest::addRow("%s role %d", model, role) << QByteArray(model) << role;
    }
}

void ConnectionTest::writeAllSendsBackWhatWasRead()
{
    QFETCH(QByteArray, model);
    QFETCH(int, role);
    auto *random = QRandomGenerator::global();
    auto pick = [random](int count) { return QByteArray::number(random->bounded(count)); };
    auto three = [random](int low, int high) {
        return QByteArray::number(random->bounded(low, high + 1)).rightJustified(3, '0');
    };
    QByteArray directions;
    for (int i = 0; i < 4; ++i)
        directions += pick(2);
    const QMap<QByteArray, QByteArray> values{
        {"TYPE", QByteArray::number(role)}, {"MODE", pick(6)},
        {"MYID", role == 1 ? "000" : role == 2 ? "220" : three(1, 200)},
        {"SNUM", three(1, 200)}, {"FRCH", pick(8)}, {"FRBD", pick(4)}, {"HOLD", pick(2)},
        {"DIVR", pick(2)}, {"PDIR", directions}, {"LOGI", pick(2)}, {"AUIO", pick(2)},
        {"ADSL", pick(2)}, {"DASL", pick(2)}, {"REPT", pick(2)}, {"ETIM", three(1, 255)},
        {"PTIM", three(0, 100)}, {"DOUT", pick(2)}};
    UnitOptions options;
    options.model = model;
    options.initialValues = values;
    QVERIFY(startUnit(options));
    QVERIFY(connectUnit());
    click("cmdDISP");
    QTRY_COMPARE_WITH_TIMEOUT(statusText(), StatusText::ReadDone, 3000);

    click("cmdAllSet");
    QTRY_COMPARE_WITH_TIMEOUT(statusText(), StatusText::WriteDone, 5000);
    const bool analog = model != "48210";
    const QList<QByteArray> order = analog
        ? QList<QByteArray>{"FRBD", "FRCH", "LOGI", "AUIO", "PDIR", "ADSL", "DASL"}
        : QList<QByteArray>{"FRBD", "FRCH", "PDIR", "LOGI", "AUIO", "ADSL", "DASL"};
    QList<QByteArray> expected;
    for (const QByteArray &key : order + QList<QByteArray>{"MODE", "TYPE", "MYID", "SNUM", "REPT",
                                                          "ETIM", "DIVR", "PTIM", "HOLD", "DOUT"})
        expected << "@" + key + values.value(key);
    QCOMPARE(received().mid(received().size() - 17), expected);
    QCOMPARE(m_unit->simulator().values(), values);
}

void ConnectionTest::nakInTheMiddleOfAWriteDropsTheRest()
{
    UnitOptions options;
    QVERIFY(startUnit(options));
    QVERIFY(connectUnit());
    options.nakKeys = {"SNUM"};
    m_unit->simulator().setOptions(options);
    const int before = received().size();
    click("cmdTuuSet");
    QTRY_COMPARE_WITH_TIMEOUT(statusText(), StatusText::WriteFailed, 3000);
    QTRY_VERIFY(m_app->link()->state().pendingText.isEmpty());
    // A fixed wait, to show that nothing more reaches the unit.
    QTest::qWait(100);
    QCOMPARE(received().mid(before),
             (QList<QByteArray>{"@MODE0", "@TYPE0", "@MYID001", "@SNUM001"}));
    QVERIFY(!window()->inputLocked());
}

void ConnectionTest::errorReportExplainsTheCode()
{
    UnitOptions options;
    options.errorCode = "1009";
    QVERIFY(startUnit(options));
    QVERIFY(connectUnit());
    m_app->find<QAction>(QStringLiteral("mnuErr"))->trigger();
    QCOMPARE(statusText(), StatusText::ReadingError);
    QTRY_COMPARE_WITH_TIMEOUT(m_app->prompter.shown.size(), 1, 3000);
    QCOMPARE(m_app->prompter.shown.first().text,
             QStringLiteral("デジタルユニット\r\n入出力相違エラーです。"));
    QCOMPARE(m_app->prompter.shown.first().title, QStringLiteral("エラー情報"));
    QCOMPARE(m_app->prompter.shown.first().buttons, Prompter::Buttons::Ok);
    QCOMPARE(statusText(), StatusText::ReadDone);
    QTRY_VERIFY(!m_app->link()->state().awaitingReply);
    QCOMPARE(m_app->link()->state().phase, ExchangePhase::Idle);
    QCOMPARE(received().last(), QByteArray("@UERR"));
}

void ConnectionTest::errorReportHoldsWhatFollowsUntilClosed_data()
{
    QTest::addColumn<QByteArray>("trigger");  // a button, or the menu item
    QTest::addColumn<QByteArray>("firstLine");
    QTest::addColumn<int>("sentInAll");
    QTest::addColumn<QString>("endStatus");
    QTest::newRow("panel write") << QByteArray("cmdFrqSet") << QByteArray("@FRBD0") << 2
                                 << StatusText::WriteDone;
    QTest::newRow("write-all") << QByteArray("cmdAllSet") << QByteArray("@FRBD0") << 17
                               << StatusText::WriteDone;
    QTest::newRow("error read") << QByteArray("mnuErr") << QByteArray("@UERR") << 1
                                << StatusText::ReadDone;
}

// The unit answers the first line with an error line. While its report is open nothing more
// goes out, not even a resend; what is left of the batch follows once the user closed it.
void ConnectionTest::errorReportHoldsWhatFollowsUntilClosed()
{
    QFETCH(QByteArray, trigger);
    QFETCH(QByteArray, firstLine);
    QFETCH(int, sentInAll);
    QFETCH(QString, endStatus);
    UnitOptions options;
    options.errorCode = "100D";
    QVERIFY(startUnit(options));
    QVERIFY(connectUnit());
    options.errKeys = {UnitSimulator::keywordOf(firstLine)};
    m_unit->simulator().setOptions(options);
    // Short watchdog periods, so that the box stays open over several of them.
    m_app->link()->setTimings({250, 10});
    const int before = received().size();
    QList<QByteArray> atOpen;
    QList<QByteArray> atClose;
    QString statusWhileOpen;
    bool watchdogRan = true;
    bool closed = false;
    m_app->prompter.onShow = [&](const ScriptedPrompter::Shown &box) {
        if (box.title != QStringLiteral("エラー情報"))
            return;
        atOpen = received().mid(before);
        statusWhileOpen = statusText();
        QTest::qWait(700);  // the user reads the report
        atClose = received().mid(before);
        watchdogRan = m_app->link()->watchdogRunning();
        closed = true;
    };
    if (trigger.startsWith("mnu"))
        m_app->find<QAction>(QString::fromLatin1(trigger))->trigger();
    else
        click(trigger.constData());
    QTRY_VERIFY_WITH_TIMEOUT(closed, 3000);
    QCOMPARE(atOpen, QList<QByteArray>{firstLine});
    QCOMPARE(atClose, atOpen);
    QVERIFY(!watchdogRan);
    QCOMPARE(m_app->prompter.shown.last().text, QStringLiteral("自己ＩＤエラーです。"));
    QCOMPARE(statusWhileOpen, StatusText::ReadDone);
    QTRY_COMPARE_WITH_TIMEOUT(statusText(), endStatus, 5000);
    QTRY_VERIFY(!m_app->link()->state().awaitingReply);
    QCOMPARE(received().size() - before, sentInAll);
    QCOMPARE(m_app->link()->state().phase, ExchangePhase::Idle);
}

void ConnectionTest::replyInQuickPiecesIsOneReply()
{
    QVERIFY(startUnit());
    QVERIFY(connectUnit());
    m_unit->setReplyShape({0, 6, 2, 0});  // six pieces 2 ms apart
    click("cmdDISP");
    QTRY_COMPARE_WITH_TIMEOUT(statusText(), StatusText::ReadDone, 3000);
    QCOMPARE(m_app->label("lblUnitVer1")->text(), QStringLiteral("デジタルユニット"));
}

void ConnectionTest::streamingUnitDoesNotLockTheWindow()
{
    QVERIFY(startUnit());
    QVERIFY(connectUnit());
    // A unit that answers DISP with megabytes that never end in CR LF.
    m_unit->streamOnCommand({"DISP"});
    QElapsedTimer clock;
    clock.start();
    click("cmdDISP");
    QTRY_VERIFY(window()->inputLocked());
    QTRY_VERIFY_WITH_TIMEOUT(!window()->inputLocked(), 6000);
    QVERIFY(clock.elapsed() < 5000);
    QCOMPARE(statusText(), StatusText::NoAnswer);
    m_unit->stopStream();
    // A unit identified at the start of the read-back keeps its connection.
    QVERIFY(m_app->link()->state().portOpen);
}

void ConnectionTest::farEndClosedWhileConnected()
{
    QVERIFY(startUnit());
    QVERIFY(connectUnit());
    m_unit->closeMaster();
    QTRY_VERIFY_WITH_TIMEOUT(!m_app->link()->state().portOpen, 3000);
    QCOMPARE(statusText(), StatusText::NoAnswer);
    QCOMPARE(m_app->label("lblStat")->palette().color(QPalette::WindowText), QColor(255, 64, 64));
    QCOMPARE(m_app->button("cmdPort")->text(), QStringLiteral("接続"));
    QVERIFY(!window()->inputLocked());
}

void ConnectionTest::farEndClosedDuringABatch()
{
    QVERIFY(startUnit());
    QVERIFY(connectUnit());
    m_unit->setReplyShape({200, 1, 0, 0});
    connect(m_unit, &PtyUnit::lineReceived, this, [this](const QByteArray &line) {
        if (line.startsWith("@MYID"))
            QMetaObject::invokeMethod(m_unit, &PtyUnit::closeMaster, Qt::QueuedConnection);
    });
    click("cmdTuuSet");
    QTRY_VERIFY_WITH_TIMEOUT(!m_app->link()->state().portOpen, 3000);
    QCOMPARE(statusText(), StatusText::NoAnswer);
    QVERIFY(m_app->link()->state().pendingText.isEmpty());
    QVERIFY(!m_app->link()->state().awaitingReply);
    QVERIFY(!window()->inputLocked());
    QCOMPARE(m_app->button("cmdPort")->text(), QStringLiteral("接続"));
}

void ConnectionTest::readBackCutAtTheCapIsNoSuccess()
{
    // About 86 KB of listing: more than the link keeps of one reply.
    UnitOptions options;
    options.listingRepeats = 450;
    options.initialValues = {{"MODE", "3"}};
    QVERIFY(startUnit(options));
    QVERIFY(connectUnit());
    click("cmdDISP");
    // Never "読込成功": the wait ends as for a unit that does not answer.
    QTRY_COMPARE_WITH_TIMEOUT(statusText(), StatusText::NoAnswer, 6000);
    // Asked again three times, as for a reply that never came; nothing of it was applied.
    QCOMPARE(received().count("@DISP"), 4);
    QCOMPARE(window()->settings().listIndex(ParameterKey::MODE), 0);
    QVERIFY(!window()->inputLocked());
}

void ConnectionTest::verifyAfterWriteFindsEveryValueKept()
{
    QVERIFY(startUnit());
    QVERIFY(connectUnit());
    m_app->find<QAction>(QStringLiteral("mnuVerify"))->trigger();
    const int before = received().size();
    click("cmdAllSet");
    QTRY_COMPARE_WITH_TIMEOUT(statusText(), StatusText::VerifyDone, 5000);
    QCOMPARE(m_app->label("lblStat")->palette().color(QPalette::WindowText),
             QColor::fromRgba(StatusColour::Progress));
    // The seventeen commands, then the parameters alone: no identification.
    const QList<QByteArray> sent = received().mid(before);
    QCOMPARE(sent.size(), 18);
    QCOMPARE(sent.last(), QByteArray("@DISP"));
    QCOMPARE(m_app->prompter.shown.size(), 1);  // the confirmation only
    QCOMPARE(m_app->link()->state().phase, ExchangePhase::Idle);
    QVERIFY(!window()->inputLocked());
}

void ConnectionTest::verifyAfterWriteNamesTheValueTheUnitKept()
{
    UnitOptions options;
    options.forgetKeys = {"ETIM"};
    QVERIFY(startUnit(options));
    QVERIFY(connectUnit());
    m_app->find<QAction>(QStringLiteral("mnuVerify"))->trigger();
    UnitSettings values = window()->settings();
    values.setFieldText(ParameterKey::ETIM, QStringLiteral("010"));
    values.setFieldText(ParameterKey::SNUM, QStringLiteral("042"));
    values.selectListIndex(ParameterKey::MODE, 3);
    window()->showSettings(values);
    click("cmdTuuSet");
    QTRY_COMPARE_WITH_TIMEOUT(statusText(), StatusText::VerifyFailed, 5000);
    QCOMPARE(m_app->label("lblStat")->palette().color(QPalette::WindowText),
             QColor::fromRgba(StatusColour::LinkError));
    QTRY_COMPARE(m_app->prompter.shown.size(), 2);
    const ScriptedPrompter::Shown box = m_app->prompter.shown.last();
    QCOMPARE(box.title, QStringLiteral("照合エラー"));
    QCOMPARE(box.text, QStringLiteral("書き込んだ値とユニットの値が一致しません。\r\n"
                                      "ETIM　書込値 010　ユニットの値 005"));
    QCOMPARE(box.buttons, Prompter::Buttons::Ok);
    QCOMPARE(box.icon, Prompter::Icon::None);
    // The read that found it left the fields as written.
    QCOMPARE(window()->settings().fieldText(ParameterKey::ETIM), QStringLiteral("010"));
    QCOMPARE(window()->settings().fieldText(ParameterKey::SNUM), QStringLiteral("042"));
    QCOMPARE(window()->settings().listIndex(ParameterKey::MODE), 3);
    QCOMPARE(received().last(), QByteArray("@DISP"));
    QCOMPARE(m_unit->simulator().value("ETIM"), QByteArray("005"));
}

void ConnectionTest::withoutVerifyTheWireIsAsBefore()
{
    QVERIFY(startUnit());
    QVERIFY(connectUnit());
    QVERIFY(!m_app->find<QAction>(QStringLiteral("mnuVerify"))->isChecked());
    const int before = received().size();
    click("cmdTuuSet");
    QTRY_COMPARE_WITH_TIMEOUT(statusText(), StatusText::WriteDone, 3000);
    QTest::qWait(200);  // proves that nothing follows the write
    QCOMPARE(received().mid(before),
             (QList<QByteArray>{"@MODE0", "@TYPE0", "@MYID001", "@SNUM001", "@REPT0",
                                "@ETIM005", "@DIVR0", "@PTIM000", "@HOLD0", "@DOUT0"}));
    QCOMPARE(statusText(), StatusText::WriteDone);
}

void ConnectionTest::commissioningSheetNamesTheUnitAndItsValues()
{
    startUnit();
    connectUnit();
    m_app->find<QAction>(QStringLiteral("mnuVerify"))->trigger();
    click("cmdAllSet");
    QTRY_COMPARE_WITH_TIMEOUT(statusText(), StatusText::VerifyDone, 5000);
    const QString pdf = m_app->directory() + QStringLiteral("sheet.pdf");
    m_app->prompter.fileNames << pdf;
    m_app->find<QAction>(QStringLiteral("mnuReport"))->trigger();
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    if (!text.waitForFinished(10000) || text.exitCode() != 0)
        QSKIP("pdftotext (poppler-utils) is needed to read the sheet");
    const QString words = QString::fromUtf8(text.readAllStandardOutput());
    for (const QString &expected : {QStringLiteral("ZRT48210"), QStringLiteral("Ver1.02"),
                                    frequencyText(0, 0), QStringLiteral("書込済み・照合済み"),
                                    QStringLiteral("自己ＩＤ"), QStringLiteral("スレーブ")}) {
        QVERIFY2(words.contains(expected), qPrintable(expected + QLatin1String(" not in:\n")
                                                      + words));
    }
}

QTEST_MAIN(ConnectionTest)
#include "tst_connection.moc"

#include "fakes/fakechannel.h"
#include "fakes/fakehost.h"
#include "link/link.h"
#include "link/status.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

// The half-duplex exchange against a unit played by the test.
class LinkTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void queuedCommandsGoOutOneExchangeEach();
    void bytesBeforeTheCommandNeverReachTheDispatcher();
    void silentUnitIsSentTheSameLineThreeMoreTimesThenGivenUp();
    void silentUnitWhileConnectingIsDisconnectedQuietly();
    void lateAnswerEndsTheWaitNormally();
    void twoAcksInOnePieceReportSuccess();
    void nakDropsTheRestOfTheBatch();
    void identificationCompletesTheConnection();
    void wrongModelLeavesThePortOpenButNotConnected();
    void errLineEndsTheExchangeAndDropsWhatFollows();
    void readBackCompletesOnlyWithAnAppliedLastLine();
    void refusedLastLineIsAskedForAgain();
    void emptyLineCompletesAReadBack();
    void nakDuringReadReportsAFailedRead();
    void lineCutByAPauseIsJoinedWithItsRest();
    void oversizedFragmentIsDropped();
    void chatteringLineIsGivenUpAfterFourTicks();
    void unpluggedAdapterEndsEverything();
    void failedWriteCountsAsUnplugged();
    void portOutsideOneToNineIsNeverOpened();
    void disconnectReportsOnlyForAnIdentifiedUnit();

private:
    void connectUnit();
    void reply(const QByteArray &bytes) { m_channel->receive(bytes); }
    bool waitForWrites(int count, int timeoutMs = 2000);
    bool waitIdle(int timeoutMs = 2000);
    QByteArray command(const char *text) { return QByteArray("@") + text + "\r\n"; }

    FakeChannel *m_channel = nullptr;
    FakeHost *m_host = nullptr;
    Link *m_link = nullptr;
};

void LinkTest::init()
{
    m_channel = new FakeChannel;
    m_host = new FakeHost;
    m_link = new Link(m_channel, m_host);
    m_link->setTimings({100, 10});
    m_link->setDeviceResolver([](int number) { return QStringLiteral("fake%1").arg(number); });
}

void LinkTest::cleanup()
{
    delete m_link;
    delete m_host;
    delete m_channel;
}

bool LinkTest::waitForWrites(int count, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (m_channel->written.size() < count && clock.elapsed() < timeoutMs)
        QTest::qWait(1);
    return m_channel->written.size() >= count;
}

bool LinkTest::waitIdle(int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while ((m_link->state().awaitingReply || !m_link->state().pendingText.isEmpty())
           && m_link->state().portOpen && clock.elapsed() < timeoutMs) {
        QTest::qWait(1);
    }
    return !m_link->state().awaitingReply;
}

void LinkTest::connectUnit()
{
    m_channel->written.clear();
    m_link->connectUnit();
    QVERIFY(m_link->state().portOpen);
    QVERIFY(waitForWrites(1));
    reply("ZRT48210\r\nVer1.02\r\n");
    QVERIFY(waitIdle());
    m_channel->written.clear();
    m_host->statuses.clear();
}

void LinkTest::queuedCommandsGoOutOneExchangeEach()
{
    connectUnit();
    m_link->queueCommand(QStringLiteral("FRBD3"));
    m_link->queueCommand(QStringLiteral("FRCH7"));
    QVERIFY(waitForWrites(1));
    QVERIFY(m_host->locked);
    // The second line waits for the reply to the first.
    QTest::qWait(50);
    QCOMPARE(m_channel->written, QList<QByteArray>{command("FRBD3")});
    QCOMPARE(m_link->state().pendingText, command("FRCH7"));

    reply("ACK\r\n");
    QVERIFY(waitForWrites(2));
    QCOMPARE(m_channel->written.at(1), command("FRCH7"));
    QVERIFY(m_host->statuses.isEmpty());  // an ACK with more to send passes silently
    reply("ACK\r\n");
    QVERIFY(waitIdle());
    QCOMPARE(m_host->lastStatus(), StatusText::WriteDone);
    QCOMPARE(m_host->statuses.last().colour, StatusColour::Progress);
    QVERIFY(!m_host->locked);
    QCOMPARE(m_link->state().lastSentLine, command("FRCH7"));
}

void LinkTest::bytesBeforeTheCommandNeverReachTheDispatcher()
{
    connectUnit();
    m_link->state().phase = ExchangePhase::Reading;
    // Announced while nobody waits, and sitting unannounced in the buffer at transmission.
    reply("MODE=1\r\n");
    m_channel->receive("TYPE=2\r\n", false);
    m_link->queueReadAll();
    QVERIFY(waitForWrites(1));
    reply("FRBD=1\r\n");
    QVERIFY(waitIdle());
    QCOMPARE(m_host->applied, QStringList{QStringLiteral("FRBD=1")});
    QCOMPARE(m_host->lastStatus(), StatusText::ReadDone);
    QCOMPARE(m_link->state().phase, ExchangePhase::Idle);
}

void LinkTest::silentUnitIsSentTheSameLineThreeMoreTimesThenGivenUp()
{
    connectUnit();
    m_link->queueCommand(QStringLiteral("MYID001"));
    m_link->queueCommand(QStringLiteral("SNUM001"));
    QVERIFY(waitForWrites(4));
    for (const QByteArray &line : std::as_const(m_channel->written))
        QCOMPARE(line, command("MYID001"));
    QVERIFY(waitIdle());
    QCOMPARE(m_channel->written.size(), 4);
    QCOMPARE(m_host->lastStatus(), StatusText::NoAnswer);
    QCOMPARE(m_host->statuses.last().colour, StatusColour::LinkError);
    QVERIFY(m_link->state().pendingText.isEmpty());
    QCOMPARE(m_link->state().phase, ExchangePhase::Idle);
    QCOMPARE(m_link->state().retryCount, 3);
    // An identified unit keeps its connection.
    QVERIFY(m_link->state().portOpen);
    QVERIFY(!m_host->locked);
}

void LinkTest::silentUnitWhileConnectingIsDisconnectedQuietly()
{
    m_link->connectUnit();
    QCOMPARE(m_host->lastStatus(), StatusText::Connecting);
    QVERIFY(waitForWrites(4));
    QVERIFY(waitIdle());
    QVERIFY(!m_link->state().portOpen);
    QCOMPARE(m_channel->closeCount, 1);
    QCOMPARE(m_host->lastStatus(), StatusText::NoAnswer);
    for (const auto &status : std::as_const(m_host->statuses))
        QVERIFY(status.text != StatusText::Disconnected);
    QVERIFY(!m_host->connectedLook);
}

void LinkTest::lateAnswerEndsTheWaitNormally()
{
    connectUnit();
    m_link->queueCommand(QStringLiteral("FRBD0"));
    // First sending and two resends, then the answer before the third tick.
    QVERIFY(waitForWrites(3));
    reply("ACK\r\n");
    QVERIFY(waitIdle());
    QCOMPARE(m_channel->written.size(), 3);
    QCOMPARE(m_host->lastStatus(), StatusText::WriteDone);
}

void LinkTest::twoAcksInOnePieceReportSuccess()
{
    connectUnit();
    m_link->queueCommand(QStringLiteral("LOGI0"));
    QVERIFY(waitForWrites(1));
    reply("ACK\r\nACK\r\n");
    QVERIFY(waitIdle());
    QCOMPARE(m_host->statuses.size(), 2);
    QCOMPARE(m_host->statuses.at(0).text, StatusText::WriteDone);
    QCOMPARE(m_host->statuses.at(1).text, StatusText::WriteDone);
}

void LinkTest::nakDropsTheRestOfTheBatch()
{
    connectUnit();
    for (int i = 0; i < 10; ++i)
        m_link->queueCommand(QStringLiteral("MODE%1").arg(i % 6));
    QVERIFY(waitForWrites(1));
    reply("ACK\r\n");
    QVERIFY(waitForWrites(2));
    reply("NAK\r\n");
    QTRY_COMPARE(m_host->lastStatus(), StatusText::WriteFailed);
    QTRY_VERIFY(m_link->state().pendingText.isEmpty());
    QCOMPARE(m_link->state().phase, ExchangePhase::Idle);
    QTest::qWait(50);
    QCOMPARE(m_channel->written.size(), 2);
    QCOMPARE(m_host->statuses.last().colour, StatusColour::Progress);
}

void LinkTest::identificationCompletesTheConnection()
{
    m_link->connectUnit();
    QVERIFY(m_host->kind.isEmpty());
    QVERIFY(waitForWrites(1));
    QCOMPARE(m_channel->written.first(), command("UVER"));
    QCOMPARE(m_channel->lastSettings.device, QStringLiteral("fake1"));
    QCOMPARE(m_channel->lastSettings.parity, QStringLiteral("E"));
    reply("ZRT48210\r\nVer1.02 2004\r\n");
    QVERIFY(waitIdle());
    QVERIFY(m_host->connectedLook);
    QCOMPARE(m_host->lastStatus(), StatusText::Connected);
    QCOMPARE(m_host->version, QStringLiteral("Ver1.02 2004"));
    QCOMPARE(m_link->state().phase, ExchangePhase::Idle);

    // The same identification during a read-back reports nothing of its own.
    m_host->statuses.clear();
    m_link->state().phase = ExchangePhase::Reading;
    m_link->queueIdentify();
    QVERIFY(waitForWrites(2));
    reply("ZRT48210\r\nVer1.02\r\n");
    QVERIFY(waitIdle());
    QVERIFY(m_host->statuses.isEmpty());
    QCOMPARE(m_link->state().phase, ExchangePhase::Reading);
}

void LinkTest::wrongModelLeavesThePortOpenButNotConnected()
{
    m_link->connectUnit();
    QVERIFY(waitForWrites(1));
    reply("ZRT48299\r\nVer1.00\r\n");
    QVERIFY(waitIdle());
    QTRY_COMPARE(m_link->state().phase, ExchangePhase::Idle);
    QCOMPARE(m_host->lastStatus(), StatusText::WrongUnit);
    QVERIFY(!m_host->connectedLook);
    QVERIFY(m_link->state().portOpen);
    // The next click closes the port without a word.
    m_link->disconnectUnit();
    QVERIFY(!m_link->state().portOpen);
    QCOMPARE(m_host->lastStatus(), StatusText::WrongUnit);
}

void LinkTest::errLineEndsTheExchangeAndDropsWhatFollows()
{
    connectUnit();
    m_link->state().phase = ExchangePhase::Reading;
    m_link->queueReadError();
    QVERIFY(waitForWrites(1));
    QCOMPARE(m_channel->written.first(), command("UERR"));
    reply("Err1003\r\nFRBD=1\r\nACK\r\n");
    QVERIFY(waitIdle());
    QCOMPARE(m_host->errorLines, QStringList{QStringLiteral("Err1003")});
    QVERIFY(m_host->applied.isEmpty());
    QVERIFY(m_host->statuses.isEmpty());
    QCOMPARE(m_link->state().phase, ExchangePhase::Idle);
    QVERIFY(!m_link->watchdogRunning());
}

void LinkTest::readBackCompletesOnlyWithAnAppliedLastLine()
{
    connectUnit();
    m_link->state().phase = ExchangePhase::Reading;
    m_host->refuse << QStringLiteral("MODE=9");
    m_link->queueReadAll();
    QVERIFY(waitForWrites(1));
    // A refused line in the middle does not stop the read-back.
    reply("MODE=9\r\nTYPE=1\r\n");
    QVERIFY(waitIdle());
    QCOMPARE(m_host->applied, (QStringList{QStringLiteral("MODE=9"), QStringLiteral("TYPE=1")}));
    QCOMPARE(m_host->lastStatus(), StatusText::ReadDone);
    QCOMPARE(m_link->state().phase, ExchangePhase::Idle);
}

void LinkTest::refusedLastLineIsAskedForAgain()
{
    connectUnit();
    m_link->state().phase = ExchangePhase::Reading;
    m_host->refuse << QStringLiteral("MYID=000");
    m_link->queueReadAll();
    QVERIFY(waitForWrites(1));
    reply("TYPE=0\r\nMYID=000\r\n");
    QTest::qWait(30);
    QVERIFY(m_link->state().awaitingReply);
    QVERIFY(m_host->statuses.isEmpty());
    QCOMPARE(m_link->state().phase, ExchangePhase::Reading);
    // The watchdog sends DISP again, and a good answer completes the read.
    QVERIFY(waitForWrites(2));
    QCOMPARE(m_channel->written.at(1), command("DISP"));
    reply("MYID=005\r\n");
    QVERIFY(waitIdle());
    QCOMPARE(m_host->lastStatus(), StatusText::ReadDone);
}

void LinkTest::emptyLineCompletesAReadBack()
{
    connectUnit();
    m_link->state().phase = ExchangePhase::Reading;
    m_link->queueReadAll();
    QVERIFY(waitForWrites(1));
    reply("FRBD=2\r\n\r\n");
    QVERIFY(waitIdle());
    QCOMPARE(m_host->applied, (QStringList{QStringLiteral("FRBD=2"), QString()}));
    QCOMPARE(m_host->lastStatus(), StatusText::ReadDone);
}

void LinkTest::nakDuringReadReportsAFailedRead()
{
    connectUnit();
    m_link->state().phase = ExchangePhase::Reading;
    m_link->queueReadAll();
    QVERIFY(waitForWrites(1));
    reply("NAK\r\n");
    QVERIFY(waitIdle());
    QCOMPARE(m_host->lastStatus(), StatusText::ReadFailed);
    QCOMPARE(m_host->statuses.last().colour, StatusColour::Progress);
}

void LinkTest::lineCutByAPauseIsJoinedWithItsRest()
{
    connectUnit();
    m_link->queueCommand(QStringLiteral("DIVR1"));
    QVERIFY(waitForWrites(1));
    reply("AC");
    QTest::qWait(40);  // well past the quiet time: the fragment is on its own
    QVERIFY(m_link->state().awaitingReply);
    reply("K\r\n");
    QVERIFY(waitIdle());
    QCOMPARE(m_host->statuses.size(), 1);
    QCOMPARE(m_host->lastStatus(), StatusText::WriteDone);
}

void LinkTest::oversizedFragmentIsDropped()
{
    connectUnit();
    m_link->queueCommand(QStringLiteral("DIVR1"));
    QVERIFY(waitForWrites(1));
    reply(QByteArray(1024 * 1024, 'x'));
    QTest::qWait(30);
    reply("ACK\r\n");
    QVERIFY(waitIdle());
    QCOMPARE(m_host->lastStatus(), StatusText::WriteDone);
}

void LinkTest::chatteringLineIsGivenUpAfterFourTicks()
{
    connectUnit();
    QTimer chatter;
    connect(&chatter, &QTimer::timeout, this, [this] { m_channel->receive("zz"); });
    chatter.start(3);
    QElapsedTimer clock;
    clock.start();
    m_link->queueCommand(QStringLiteral("HOLD1"));
    QVERIFY(waitIdle(3000));
    chatter.stop();
    QCOMPARE(m_host->lastStatus(), StatusText::NoAnswer);
    // Never resent: bytes kept coming, so the unit was not silent.
    QCOMPARE(m_channel->written.size(), 1);
    QVERIFY(clock.elapsed() >= 4 * 100);
}

void LinkTest::unpluggedAdapterEndsEverything()
{
    connectUnit();
    m_link->queueCommand(QStringLiteral("ETIM005"));
    m_link->queueCommand(QStringLiteral("PTIM000"));
    QVERIFY(waitForWrites(1));
    m_channel->unplug();
    QVERIFY(!m_link->state().portOpen);
    QVERIFY(!m_link->state().awaitingReply);
    QVERIFY(!m_link->watchdogRunning());
    QVERIFY(m_link->state().pendingText.isEmpty());
    QCOMPARE(m_link->state().phase, ExchangePhase::Idle);
    QCOMPARE(m_host->lastStatus(), StatusText::NoAnswer);
    QVERIFY(!m_host->connectedLook);
    QVERIFY(!m_host->locked);
    // Connecting again works once the adapter is back.
    connectUnit();
    QVERIFY(m_link->state().portOpen);
}

void LinkTest::failedWriteCountsAsUnplugged()
{
    connectUnit();
    m_channel->failWrites = true;
    m_link->queueCommand(QStringLiteral("DOUT1"));
    QTRY_VERIFY(!m_link->state().portOpen);
    QCOMPARE(m_host->lastStatus(), StatusText::NoAnswer);
    QVERIFY(!m_link->state().awaitingReply);
    QVERIFY(!m_host->locked);
}

void LinkTest::portOutsideOneToNineIsNeverOpened()
{
    for (int number : {0, 10, 255}) {
        m_link->state().portNumber = static_cast<quint8>(number);
        m_link->connectUnit();
        QVERIFY(!m_channel->isOpen());
        QVERIFY(!m_link->state().portOpen);
        QCOMPARE(m_host->lastStatus(), StatusText::OpenFailed);
        QCOMPARE(m_host->statuses.last().colour, StatusColour::LinkError);
    }
    m_link->state().portNumber = 1;
    m_channel->refuseOpen = true;
    m_host->statuses.clear();
    m_link->connectUnit();
    QCOMPARE(m_host->lastStatus(), StatusText::OpenFailed);
}

void LinkTest::disconnectReportsOnlyForAnIdentifiedUnit()
{
    connectUnit();
    m_link->queueCommand(QStringLiteral("FRBD1"));  // left in the queue by the disconnect
    m_link->disconnectUnit();
    QCOMPARE(m_host->lastStatus(), StatusText::Disconnected);
    QVERIFY(m_host->statusResetRunning);
    QVERIFY(m_link->state().pendingText.isEmpty());
    QVERIFY(!m_host->connectedLook);
    // Reconnecting stops the return to the idle text.
    m_link->connectUnit();
    QVERIFY(!m_host->statusResetRunning);
    // Closing a port that is not open is reported.
    m_link->disconnectUnit();
    m_link->disconnectUnit();
    QCOMPARE(m_host->lastStatus(), StatusText::CloseFailed);
}

QTEST_GUILESS_MAIN(LinkTest)
#include "tst_link.moc"

#include "fakes/fakechannel.h"
#include "fakes/linkrecorder.h"
#include "link/link.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <optional>

Q_DECLARE_METATYPE(LinkResult::Outcome)

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
    void heldLinkSendsNothingYetEnds_data();
    void heldLinkSendsNothingYetEnds();
    void readBackCompletesOnlyWithAnAppliedLastLine();
    void refusedLastLineIsAskedForAgain();
    void emptyLineCompletesAReadBack();
    void nakDuringReadReportsAFailedRead();
    void lineCutByAPauseIsJoinedWithItsRest();
    void oversizedFragmentIsDropped();
    void chatteringLineIsGivenUpAfterFourTicks();
    void giveUpTellsSilenceFromUnreadableBytes_data();
    void giveUpTellsSilenceFromUnreadableBytes();
    void bytesWaitingUnreadAreNeverResentOver();
    void writeAnsweredWithoutAckIsUnconfirmed();
    void unpluggedAdapterEndsEverything();
    void failedWriteCountsAsUnplugged();
    void portOutsideOneToNineIsNeverOpened();
    void disconnectReportsOnlyForAnIdentifiedUnit();
    void trafficReportsEveryLineAndEvent();

private:
    // Helpers that check return false on a failure, for the caller's QVERIFY.
    bool connectUnit();
    // Starts a read-back and answers its identification request, so that DISP goes out next.
    bool startReadBack();
    void reply(const QByteArray &bytes) { m_channel->receive(bytes); }
    // The unit answers right after the count-th line it receives, whatever the watchdog does.
    void replyAfterWrite(int count, const QByteArray &bytes);
    int writes() const { return static_cast<int>(m_channel->written.size()); }
    // Nothing queued and nothing awaited, or the port closed.
    bool idle() const
    {
        const LinkState &state = m_link->state();
        return !state.portOpen || (!state.awaitingReply && state.pendingText.isEmpty());
    }
    QByteArray command(const char *text) { return QByteArray("@") + text + "\r\n"; }
    // The one result the operation under way ends with.
    bool endsWith(LinkOperation operation, LinkResult::Outcome outcome,
                  const QString &refused = {})
    {
        if (!QTest::qWaitFor([this] { return !m_host->results.isEmpty(); }))
            return false;
        QTest::qWait(0);  // a second result would have been announced in the same turn
        const LinkResult result = m_host->results.takeFirst();
        return m_host->results.isEmpty() && result.operation == operation
            && result.outcome == outcome && (refused.isEmpty() || result.command == refused);
    }

    FakeChannel *m_channel = nullptr;
    LinkRecorder *m_host = nullptr;
    Link *m_link = nullptr;
};

void LinkTest::init()
{
    m_channel = new FakeChannel;
    m_link = new Link(m_channel);
    m_host = new LinkRecorder(m_link);
    m_link->setTimings({100, 10});
    m_link->setDeviceResolver([](int number) { return QStringLiteral("fake%1").arg(number); });
}

void LinkTest::cleanup()
{
    delete m_host;
    delete m_link;
    delete m_channel;
}

bool LinkTest::connectUnit()
{
    m_channel->written.clear();
    m_host->results.clear();
    m_link->connectUnit();
    if (!m_link->state().portOpen || !QTest::qWaitFor([this] { return writes() == 1; }))
        return false;
    reply("ZRT48210\r\nVer1.02\r\n");
    if (!QTest::qWaitFor([this] { return idle(); })
        || !endsWith(LinkOperation::Connect, LinkResult::Outcome::Done)) {
        return false;
    }
    m_channel->written.clear();
    m_host->statuses.clear();
    return true;
}

void LinkTest::replyAfterWrite(int count, const QByteArray &bytes)
{
    auto *once = new QObject(this);
    connect(m_channel, &FakeChannel::wrote, once, [this, count, bytes, once] {
        if (writes() != count)
            return;
        QTimer::singleShot(0, m_channel, [this, bytes] { reply(bytes); });
        once->deleteLater();
    });
}

bool LinkTest::startReadBack()
{
    m_link->readBack(m_host->sink());
    if (m_host->lastStatus() != LinkStatus::ReadingSettings
        || m_link->state().phase != ExchangePhase::Reading
        || !QTest::qWaitFor([this] { return writes() == 1; })
        || m_channel->written.first() != command("UVER")) {
        return false;
    }
    reply("ZRT48210\r\nVer1.02\r\n");
    if (!QTest::qWaitFor([this] { return writes() == 2; })
        || m_channel->written.at(1) != command("DISP")) {
        return false;
    }
    m_host->statuses.clear();
    return true;
}

void LinkTest::queuedCommandsGoOutOneExchangeEach()
{
    QVERIFY(connectUnit());
    m_link->writeGroup({QStringLiteral("FRBD3"), QStringLiteral("FRCH7")});
    QCOMPARE(m_host->lastStatus(), LinkStatus::Writing);
    m_host->statuses.clear();
    QTRY_COMPARE(writes(), 1);
    QVERIFY(m_host->locked);
    // A fixed wait, to show that the second line waits for the reply to the first.
    QTest::qWait(50);
    QCOMPARE(m_channel->written, QList<QByteArray>{command("FRBD3")});
    QCOMPARE(m_link->state().pendingText, command("FRCH7"));

    reply("ACK\r\n");
    QTRY_COMPARE(writes(), 2);
    QCOMPARE(m_channel->written.at(1), command("FRCH7"));
    QVERIFY(m_host->statuses.isEmpty());  // an ACK with more to send passes silently
    reply("ACK\r\n");
    QTRY_VERIFY(idle());
    QCOMPARE(m_host->lastStatus(), LinkStatus::WriteDone);
    QVERIFY(!m_host->locked);
    QCOMPARE(m_link->state().lastSentLine, command("FRCH7"));
    QVERIFY(endsWith(LinkOperation::Write, LinkResult::Outcome::Done));
}

void LinkTest::bytesBeforeTheCommandNeverReachTheDispatcher()
{
    QVERIFY(connectUnit());
    // Announced while nobody waits, and sitting unannounced in the buffer at transmission.
    reply("MODE=1\r\n");
    m_channel->receive("TYPE=2\r\n", false);
    QVERIFY(startReadBack());
    reply("FRBD=1\r\n");
    QTRY_VERIFY(idle());
    QCOMPARE(m_host->applied, QStringList{QStringLiteral("FRBD=1")});
    QCOMPARE(m_host->lastStatus(), LinkStatus::ReadDone);
    QCOMPARE(m_link->state().phase, ExchangePhase::Idle);
}

void LinkTest::silentUnitIsSentTheSameLineThreeMoreTimesThenGivenUp()
{
    QVERIFY(connectUnit());
    m_link->writeGroup({QStringLiteral("MYID001"), QStringLiteral("SNUM001")});
    QTRY_COMPARE(writes(), 4);
    for (const QByteArray &line : std::as_const(m_channel->written))
        QCOMPARE(line, command("MYID001"));
    QTRY_VERIFY(idle());
    QCOMPARE(writes(), 4);
    QCOMPARE(m_host->lastStatus(), LinkStatus::NoAnswer);
    QVERIFY(m_link->state().pendingText.isEmpty());
    QCOMPARE(m_link->state().phase, ExchangePhase::Idle);
    QCOMPARE(m_link->state().retryCount, 3);
    QVERIFY(endsWith(LinkOperation::Write, LinkResult::Outcome::NoAnswer,
                     QStringLiteral("MYID001")));
    // An identified unit keeps its connection.
    QVERIFY(m_link->state().portOpen);
    QVERIFY(!m_host->locked);
}

void LinkTest::silentUnitWhileConnectingIsDisconnectedQuietly()
{
    m_link->connectUnit();
    QCOMPARE(m_host->lastStatus(), LinkStatus::Connecting);
    QTRY_COMPARE(writes(), 4);
    QTRY_VERIFY(!m_link->state().awaitingReply);
    QVERIFY(!m_link->state().portOpen);
    QCOMPARE(m_channel->closeCount, 1);
    QCOMPARE(m_host->lastStatus(), LinkStatus::NoAnswer);
    QVERIFY(!m_host->statuses.contains(LinkStatus::Disconnected));
    QVERIFY(!m_host->connectedLook);
    QVERIFY(endsWith(LinkOperation::Connect, LinkResult::Outcome::NoAnswer,
                     QStringLiteral("UVER")));
}

void LinkTest::lateAnswerEndsTheWaitNormally()
{
    QVERIFY(connectUnit());
    // First sending and two resends, then the answer before the third tick.
    replyAfterWrite(3, "ACK\r\n");
    m_link->writeGroup({QStringLiteral("FRBD0")});
    QTRY_VERIFY(idle());
    QCOMPARE(writes(), 3);
    QCOMPARE(m_host->lastStatus(), LinkStatus::WriteDone);
}

void LinkTest::twoAcksInOnePieceReportSuccess()
{
    QVERIFY(connectUnit());
    m_link->writeGroup({QStringLiteral("LOGI0")});
    m_host->statuses.clear();
    QTRY_COMPARE(writes(), 1);
    reply("ACK\r\nACK\r\n");
    QTRY_VERIFY(idle());
    QCOMPARE(m_host->statuses, (QList<LinkStatus>{LinkStatus::WriteDone, LinkStatus::WriteDone}));
}

void LinkTest::nakDropsTheRestOfTheBatch()
{
    QVERIFY(connectUnit());
    QStringList batch;
    for (int i = 0; i < 10; ++i)
        batch << QStringLiteral("MODE%1").arg(i % 6);
    m_link->writeGroup(batch);
    QTRY_COMPARE(writes(), 1);
    reply("ACK\r\n");
    QTRY_COMPARE(writes(), 2);
    reply("NAK\r\n");
    QTRY_COMPARE(m_host->lastStatus(), LinkStatus::WriteFailed);
    QTRY_VERIFY(m_link->state().pendingText.isEmpty());
    QCOMPARE(m_link->state().phase, ExchangePhase::Idle);
    QVERIFY(endsWith(LinkOperation::Write, LinkResult::Outcome::Refused,
                     QStringLiteral("MODE1")));
    // A fixed wait, to show that nothing more goes out.
    QTest::qWait(50);
    QCOMPARE(writes(), 2);
}

void LinkTest::identificationCompletesTheConnection()
{
    m_link->connectUnit();
    QVERIFY(m_host->kind.isEmpty());
    QTRY_COMPARE(writes(), 1);
    QCOMPARE(m_channel->written.first(), command("UVER"));
    QCOMPARE(m_channel->lastDevice, QStringLiteral("fake1"));
    QCOMPARE(m_channel->lastSettings.parity, QStringLiteral("E"));
    reply("ZRT48210\r\nVer1.02 2004\r\n");
    QTRY_VERIFY(idle());
    QVERIFY(m_host->connectedLook);
    QCOMPARE(m_host->lastStatus(), LinkStatus::Connected);
    QCOMPARE(m_host->version, QStringLiteral("Ver1.02 2004"));
    QCOMPARE(m_link->state().phase, ExchangePhase::Idle);

    // The same identification during a read-back reports nothing of its own.
    m_channel->written.clear();
    QVERIFY(startReadBack());
    QVERIFY(m_host->statuses.isEmpty());
    QCOMPARE(m_link->state().phase, ExchangePhase::Reading);
}

void LinkTest::wrongModelLeavesThePortOpenButNotConnected()
{
    m_link->connectUnit();
    QTRY_COMPARE(writes(), 1);
    reply("ZRT48299\r\nVer1.00\r\n");
    QTRY_VERIFY(idle());
    QTRY_COMPARE(m_link->state().phase, ExchangePhase::Idle);
    QCOMPARE(m_host->lastStatus(), LinkStatus::WrongUnit);
    QVERIFY(!m_host->connectedLook);
    QVERIFY(m_link->state().portOpen);
    QVERIFY(endsWith(LinkOperation::Connect, LinkResult::Outcome::WrongModel));
    QCOMPARE(m_host->identified, QStringList{QStringLiteral("48299")});
    QVERIFY(!m_link->unit());
    // The next click closes the port without a word.
    m_link->disconnectUnit();
    QVERIFY(!m_link->state().portOpen);
    QCOMPARE(m_host->lastStatus(), LinkStatus::WrongUnit);
}

void LinkTest::errLineEndsTheExchangeAndDropsWhatFollows()
{
    QVERIFY(connectUnit());
    m_link->readError();
    QCOMPARE(m_link->state().phase, ExchangePhase::Reading);
    QTRY_COMPARE(writes(), 1);
    QCOMPARE(m_channel->written.first(), command("UERR"));
    reply("Err1003\r\nFRBD=1\r\nACK\r\n");
    QTRY_VERIFY(idle());
    QCOMPARE(m_host->errorLines, QStringList{QStringLiteral("Err1003")});
    QVERIFY(m_host->applied.isEmpty());
    // "読込成功" with the report, and nothing for the lines after it.
    QCOMPARE(m_host->statuses,
             (QList<LinkStatus>{LinkStatus::ReadingError, LinkStatus::ReadDone}));
    QCOMPARE(m_link->state().phase, ExchangePhase::Idle);
    QVERIFY(!m_link->watchdogRunning());
    QVERIFY(endsWith(LinkOperation::ReadError, LinkResult::Outcome::Done));
}

void LinkTest::heldLinkSendsNothingYetEnds_data()
{
    QTest::addColumn<QString>("end");
    QTest::addColumn<LinkResult::Outcome>("outcome");
    QTest::newRow("released") << "release" << LinkResult::Outcome::Done;
    QTest::newRow("disconnected") << "disconnect" << LinkResult::Outcome::Stopped;
    QTest::newRow("unplugged") << "unplug" << LinkResult::Outcome::PortLost;
    QTest::newRow("quit") << "quit" << LinkResult::Outcome::Stopped;
}

// While held nothing goes out, not even a resend, yet an answer is still taken; the batch goes
// on at the release, and the connection or the program may end meanwhile without one.
void LinkTest::heldLinkSendsNothingYetEnds()
{
    QFETCH(QString, end);
    QFETCH(LinkResult::Outcome, outcome);
    QVERIFY(connectUnit());
    m_link->writeGroup({QStringLiteral("FRBD1"), QStringLiteral("FRCH2")});
    QTRY_COMPARE(writes(), 1);
    std::optional<LinkHold> held(m_link);
    QTest::qWait(250);  // over two watchdog periods, to show that nothing goes out
    QCOMPARE(writes(), 1);
    QVERIFY(!m_link->watchdogRunning());
    reply("Err100D\r\n");
    QTRY_COMPARE(m_host->errorLines, QStringList{QStringLiteral("Err100D")});
    QTest::qWait(50);  // the turns after the answer send nothing either
    QCOMPARE(writes(), 1);
    QVERIFY(m_host->results.isEmpty());
    if (end == QLatin1String("release")) {
        held.reset();
        QTRY_COMPARE(writes(), 2);
        QCOMPARE(m_channel->written.last(), command("FRCH2"));
        reply("ACK\r\n");
    } else if (end == QLatin1String("disconnect")) {
        m_link->disconnectUnit();
    } else if (end == QLatin1String("unplug")) {
        m_channel->unplug();
    } else {
        m_link->quit();
    }
    QVERIFY(endsWith(LinkOperation::Write, outcome));
    QCOMPARE(writes(), end == QLatin1String("release") ? 2 : 1);
}

void LinkTest::readBackCompletesOnlyWithAnAppliedLastLine()
{
    QVERIFY(connectUnit());
    m_host->refuse << QStringLiteral("MODE=9");
    QVERIFY(startReadBack());
    // A refused line in the middle does not stop the read-back.
    reply("MODE=9\r\nTYPE=1\r\n");
    QTRY_VERIFY(idle());
    QCOMPARE(m_host->applied, (QStringList{QStringLiteral("MODE=9"), QStringLiteral("TYPE=1")}));
    QCOMPARE(m_host->lastStatus(), LinkStatus::ReadDone);
    QCOMPARE(m_link->state().phase, ExchangePhase::Idle);
}

void LinkTest::refusedLastLineIsAskedForAgain()
{
    QVERIFY(connectUnit());
    m_host->refuse << QStringLiteral("MYID=000");
    QVERIFY(startReadBack());
    reply("TYPE=0\r\nMYID=000\r\n");
    QTRY_COMPARE(m_host->applied.size(), 2);
    QVERIFY(m_link->state().awaitingReply);
    QVERIFY(m_host->statuses.isEmpty());
    QCOMPARE(m_link->state().phase, ExchangePhase::Reading);
    // The watchdog sends DISP again, and a good answer completes the read.
    QTRY_COMPARE(writes(), 3);
    QCOMPARE(m_channel->written.at(2), command("DISP"));
    reply("MYID=005\r\n");
    QTRY_VERIFY(idle());
    QCOMPARE(m_host->lastStatus(), LinkStatus::ReadDone);
}

void LinkTest::emptyLineCompletesAReadBack()
{
    QVERIFY(connectUnit());
    QVERIFY(startReadBack());
    reply("FRBD=2\r\n\r\n");
    QTRY_VERIFY(idle());
    QCOMPARE(m_host->applied, (QStringList{QStringLiteral("FRBD=2"), QString()}));
    QCOMPARE(m_host->lastStatus(), LinkStatus::ReadDone);
}

void LinkTest::nakDuringReadReportsAFailedRead()
{
    QVERIFY(connectUnit());
    QVERIFY(startReadBack());
    reply("NAK\r\n");
    QTRY_VERIFY(idle());
    QCOMPARE(m_host->lastStatus(), LinkStatus::ReadFailed);
}

void LinkTest::lineCutByAPauseIsJoinedWithItsRest()
{
    QVERIFY(connectUnit());
    m_link->writeGroup({QStringLiteral("DIVR1")});
    m_host->statuses.clear();
    QTRY_COMPARE(writes(), 1);
    reply("AC");
    // A fixed wait well past the quiet time: the fragment is a collection on its own.
    QTest::qWait(40);
    QVERIFY(m_link->state().awaitingReply);
    reply("K\r\n");
    QTRY_VERIFY(idle());
    QCOMPARE(m_host->statuses, QList<LinkStatus>{LinkStatus::WriteDone});
}

void LinkTest::oversizedFragmentIsDropped()
{
    QVERIFY(connectUnit());
    m_link->writeGroup({QStringLiteral("DIVR1")});
    QTRY_COMPARE(writes(), 1);
    reply(QByteArray(1024 * 1024, 'x'));
    // A fixed wait past the quiet time, so that the answer is a collection of its own.
    QTest::qWait(30);
    reply("ACK\r\n");
    QTRY_VERIFY(idle());
    QCOMPARE(m_host->lastStatus(), LinkStatus::WriteDone);
}

void LinkTest::chatteringLineIsGivenUpAfterFourTicks()
{
    QVERIFY(connectUnit());
    QTimer chatter;
    connect(&chatter, &QTimer::timeout, this, [this] { m_channel->receive("zz"); });
    chatter.start(3);
    QElapsedTimer clock;
    clock.start();
    m_link->writeGroup({QStringLiteral("HOLD1")});
    QTRY_VERIFY(idle());
    chatter.stop();
    QCOMPARE(m_host->lastStatus(), LinkStatus::NoAnswer);
    // Never resent: bytes kept coming, so the unit was not silent.
    QCOMPARE(writes(), 1);
    QVERIFY(clock.elapsed() >= 4 * 100);
    QVERIFY(endsWith(LinkOperation::Write, LinkResult::Outcome::Unreadable));
}

// The status line says the same either way; the result tells a technician which it was.
void LinkTest::giveUpTellsSilenceFromUnreadableBytes_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<LinkResult::Outcome>("outcome");
    QTest::newRow("silence") << QByteArray() << LinkResult::Outcome::NoAnswer;
    QTest::newRow("bytes without a line end") << QByteArray("\xf0\x0f\x87")
                                              << LinkResult::Outcome::Unreadable;
    QTest::newRow("lines of garbage") << QByteArray("#~x\r\n\xe5\r\n")
                                      << LinkResult::Outcome::Unreadable;
    // A version line is understood, though it names no unit; behind a garbled identification
    // it does not make the garbage readable.
    QTest::newRow("a version alone") << QByteArray("Ver1.02\r\n")
                                     << LinkResult::Outcome::NoAnswer;
    QTest::newRow("noise, then a version")
        << QByteArray("\x90\x3d\xc5\x15ZRT48210\r\nVer1.02\r\n")
        << LinkResult::Outcome::Unreadable;
}

void LinkTest::giveUpTellsSilenceFromUnreadableBytes()
{
    QFETCH(QByteArray, answer);
    QFETCH(LinkResult::Outcome, outcome);
    m_link->connectUnit();
    QTRY_COMPARE(writes(), 1);
    if (!answer.isEmpty())
        reply(answer);
    QVERIFY(endsWith(LinkOperation::Connect, outcome, QStringLiteral("UVER")));
    QCOMPARE(m_host->lastStatus(), LinkStatus::NoAnswer);
    QVERIFY(!m_link->state().portOpen);
}

void LinkTest::bytesWaitingUnreadAreNeverResentOver()
{
    QVERIFY(connectUnit());
    m_link->writeGroup({QStringLiteral("HOLD0")});
    QTRY_COMPARE(writes(), 1);
    // The answer sits in the driver's buffer, its readyRead not yet delivered: every tick finds
    // bytes on their way, so the line is not silent and nothing is sent again.
    m_channel->receive("ACK\r\n", false);
    QVERIFY(endsWith(LinkOperation::Write, LinkResult::Outcome::NoAnswer));
    QCOMPARE(writes(), 1);
}

void LinkTest::writeAnsweredWithoutAckIsUnconfirmed()
{
    QVERIFY(connectUnit());
    m_link->writeGroup({QStringLiteral("REPT1"), QStringLiteral("DIVR1")});
    QTRY_COMPARE(writes(), 1);
    reply("ACK\r\n");
    QTRY_COMPARE(writes(), 2);
    reply("Err0001\r\n");
    QVERIFY(endsWith(LinkOperation::Write, LinkResult::Outcome::Unconfirmed,
                     QStringLiteral("DIVR1")));
    QVERIFY(!m_host->statuses.contains(LinkStatus::WriteDone));
}

void LinkTest::unpluggedAdapterEndsEverything()
{
    QVERIFY(connectUnit());
    m_link->writeGroup({QStringLiteral("ETIM005"), QStringLiteral("PTIM000")});
    QTRY_COMPARE(writes(), 1);
    m_channel->unplug();
    QVERIFY(!m_link->state().portOpen);
    QVERIFY(!m_link->state().awaitingReply);
    QVERIFY(!m_link->watchdogRunning());
    QVERIFY(m_link->state().pendingText.isEmpty());
    QCOMPARE(m_link->state().phase, ExchangePhase::Idle);
    QCOMPARE(m_host->lastStatus(), LinkStatus::NoAnswer);
    QVERIFY(!m_host->connectedLook);
    QVERIFY(!m_host->locked);
    QVERIFY(endsWith(LinkOperation::Write, LinkResult::Outcome::PortLost,
                     QStringLiteral("ETIM005")));
    // Connecting again works once the adapter is back.
    QVERIFY(connectUnit());
    QVERIFY(m_link->state().portOpen);
}

void LinkTest::failedWriteCountsAsUnplugged()
{
    QVERIFY(connectUnit());
    m_channel->failWrites = true;
    m_link->writeGroup({QStringLiteral("DOUT1")});
    QTRY_VERIFY(!m_link->state().portOpen);
    QCOMPARE(m_host->lastStatus(), LinkStatus::NoAnswer);
    QVERIFY(!m_link->state().awaitingReply);
    QVERIFY(!m_host->locked);
}

void LinkTest::portOutsideOneToNineIsNeverOpened()
{
    for (int number : {0, 10, 255}) {
        m_link->setPortNumber(number);
        m_link->connectUnit();
        QVERIFY(!m_channel->isOpen());
        QVERIFY(!m_link->state().portOpen);
        QCOMPARE(m_host->lastStatus(), LinkStatus::OpenFailed);
        QVERIFY(endsWith(LinkOperation::Connect, LinkResult::Outcome::OpenFailed));
    }
    m_link->setPortNumber(1);
    m_channel->refuseOpen = true;
    m_host->statuses.clear();
    m_link->connectUnit();
    QCOMPARE(m_host->lastStatus(), LinkStatus::OpenFailed);
}

void LinkTest::disconnectReportsOnlyForAnIdentifiedUnit()
{
    QVERIFY(connectUnit());
    m_link->writeGroup({QStringLiteral("FRBD1")});  // left in the queue by the disconnect
    m_link->disconnectUnit();
    QCOMPARE(m_host->lastStatus(), LinkStatus::Disconnected);
    QVERIFY(m_link->state().pendingText.isEmpty());
    QVERIFY(!m_host->connectedLook);
    m_link->connectUnit();
    QCOMPARE(m_host->lastStatus(), LinkStatus::Connecting);
    // Closing a port that is not open is reported.
    m_link->disconnectUnit();
    m_link->disconnectUnit();
    QCOMPARE(m_host->lastStatus(), LinkStatus::CloseFailed);
}

void LinkTest::trafficReportsEveryLineAndEvent()
{
    using Kind = TrafficEvent::Kind;
    QList<TrafficEvent> events;
    connect(m_link, &Link::traffic, this, [&events](const TrafficEvent &event) {
        events << event;
    });
    m_channel->refuseOpen = true;
    m_channel->error = QStringLiteral("Permission denied");
    m_link->connectUnit();
    QCOMPARE(events.size(), 1);
    QCOMPARE(events.first().kind, Kind::OpenFailed);
    QCOMPARE(events.first().device, QStringLiteral("fake1"));
    QCOMPARE(events.first().reason, QStringLiteral("Permission denied"));
    QVERIFY(endsWith(LinkOperation::Connect, LinkResult::Outcome::OpenFailed));

    m_channel->refuseOpen = false;
    events.clear();
    QVERIFY(connectUnit());
    reply("stray\r\n");  // nobody asked
    replyAfterWrite(3, "ACK\r\n");  // sent, then resent twice
    m_link->writeGroup({QStringLiteral("MODE1")});
    QTRY_VERIFY(idle());
    m_link->writeGroup({QStringLiteral("MODE2")});
    QTRY_VERIFY(idle());  // silent: given up
    m_channel->error = QStringLiteral("Input/output error");
    m_link->writeGroup({QStringLiteral("MODE3")});
    QTRY_COMPARE(writes(), 8);
    m_channel->unplug();

    QList<Kind> kinds;
    for (const TrafficEvent &event : std::as_const(events))
        kinds << event.kind;
    QCOMPARE(kinds, (QList<Kind>{Kind::Opened, Kind::Sent, Kind::Received, Kind::Unrequested,
                                 Kind::Sent, Kind::Resent, Kind::Resent, Kind::Received,
                                 Kind::Sent, Kind::Resent, Kind::Resent, Kind::Resent,
                                 Kind::GaveUp, Kind::Sent, Kind::Lost}));
    QCOMPARE(events.at(1).bytes, command("UVER"));
    QCOMPARE(events.at(2).bytes, QByteArray("ZRT48210\r\nVer1.02\r\n"));
    QCOMPARE(events.at(3).bytes, QByteArray("stray\r\n"));
    QCOMPARE(events.at(6).bytes, command("MODE1"));
    QCOMPARE(events.at(6).attempt, 2);
    QCOMPARE(events.at(11).attempt, 3);
    QCOMPARE(events.last().reason, QStringLiteral("Input/output error"));
    for (const TrafficEvent &event : std::as_const(events))
        QCOMPARE(event.device, QStringLiteral("fake1"));
}

QTEST_GUILESS_MAIN(LinkTest)
#include "tst_link.moc"

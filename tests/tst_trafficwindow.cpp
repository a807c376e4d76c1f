#include "fakes/appfixture.h"
#include "fakes/unitonpty.h"
#include "fakes/scratchdisk.h"
#include "link/link.h"
#include "link/qtserialchannel.h"
#include "ui/mainwindow.h"
#include "ui/trafficwindow.h"
#include "unitsim/ptyunit.h"

#include <QAction>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTreeView>

// 情報 → 通信ログ against the unit simulator over a real pseudo-terminal: what the window shows
// of the line, its bound, and what its buttons do.
class TrafficWindowTest : public PtyWindowTest
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void readBackShowsBothDirectionsInOrder();
    void silentUnitShowsResendsAndGiveUp();
    void unplugShowsTheReason();
    void viewKeepsTheBoundAndFollowsTheNewest();
    void saveWritesEveryRowAndKeepsTheOldFileOnFailure();
    void logFileFailureIsReportedOnce();

private:
    bool openLog();  // false on a failure, for the caller's QVERIFY
    QStringList shownRows(int from = 0) const;
    QPushButton *logButton(const char *name) const
    {
        return m_log->findChild<QPushButton *>(QString::fromLatin1(name));
    }

    TrafficWindow *m_log = nullptr;
    QTreeView *m_view = nullptr;
};

void TrafficWindowTest::init()
{
    newBench();
}

void TrafficWindowTest::cleanup()
{
    endBench();
    m_log = nullptr;
    m_view = nullptr;
}

bool TrafficWindowTest::openLog()
{
    m_app->find<QAction>(QStringLiteral("mnuLog"))->trigger();
    m_log = m_app->window()->findChild<TrafficWindow *>(QStringLiteral("frmLog"));
    if (!m_log || !m_log->isVisible() || !m_log->isWindow())
        return false;
    m_view = m_log->findChild<QTreeView *>(QStringLiteral("lstLog"));
    return m_view && QTest::qWaitForWindowExposed(m_log);
}

// "direction|text" of each row the view shows, from row `from` on.
QStringList TrafficWindowTest::shownRows(int from) const
{
    const QAbstractItemModel *model = m_view->model();
    QStringList rows;
    for (int row = from; row < model->rowCount(); ++row) {
        rows << model->index(row, TrafficModel::Direction).data().toString() + u'|'
                + model->index(row, TrafficModel::Text).data().toString();
    }
    return rows;
}

void TrafficWindowTest::readBackShowsBothDirectionsInOrder()
{
    QVERIFY(startUnit());
    // Recorded from the start, before anyone opened the window.
    QVERIFY(connectUnit());
    QVERIFY(openLog());
    QCOMPARE(m_log->windowTitle(), QStringLiteral("通信ログ"));
    QCOMPARE(shownRows(), (QStringList{"|ポートを開きました", "送信|@UVER<CR><LF>",
                                       "受信|ZRT48210<CR><LF>", "受信|Ver1.02<CR><LF>"}));
    // The rows recorded before the window opened are laid out and in sight.
    const QRect last = m_view->visualRect(m_view->model()->index(3, TrafficModel::Text));
    QVERIFY(last.height() > 0);
    QVERIFY(m_view->viewport()->rect().contains(last.topLeft()));

    click("cmdDISP");
    QTRY_COMPARE_WITH_TIMEOUT(m_app->label("lblStat")->text(), QStringLiteral("読込成功"), 3000);
    QStringList expected{"送信|@UVER<CR><LF>", "受信|ZRT48210<CR><LF>", "受信|Ver1.02<CR><LF>",
                         "送信|@DISP<CR><LF>"};
    for (const QByteArray &key : UnitSimulator::parameterKeys())
        expected << QStringLiteral("受信|%1=%2<CR><LF>")
                        .arg(QString::fromLatin1(key),
                             QString::fromLatin1(m_unit->simulator().value(key)));
    QCOMPARE(shownRows(4), expected);

    const QAbstractItemModel *model = m_view->model();
    QDateTime previous;
    for (int row = 0; row < model->rowCount(); ++row) {
        QCOMPARE(model->index(row, TrafficModel::Port).data().toString(), m_unit->devicePath());
        const QDateTime time = m_app->app->trafficLog()->rows().at(row).time;
        QVERIFY(!previous.isValid() || time >= previous);
        previous = time;
        QCOMPARE(model->index(row, TrafficModel::Time).data().toString(),
                 time.toString(QStringLiteral("HH:mm:ss.zzz")));
    }

    // Copy takes the selected rows as the log file writes them.
    QVERIFY(!logButton("cmdLogCopy")->isEnabled());
    m_view->selectionModel()->select(
        QItemSelection(model->index(1, 0), model->index(2, TrafficModel::Text)),
        QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QVERIFY(logButton("cmdLogCopy")->isEnabled());
    QGuiApplication::clipboard()->clear();
    QTest::mouseClick(logButton("cmdLogCopy"), Qt::LeftButton);
    const QList<TrafficRow> &rows = m_app->app->trafficLog()->rows();
    const QString copied = TrafficLog::formatRow(rows.at(1)) + u'\n'
        + TrafficLog::formatRow(rows.at(2)) + u'\n';
    QCOMPARE(QGuiApplication::clipboard()->text(), copied);
    QGuiApplication::clipboard()->clear();
    m_view->setFocus();
    QTest::keySequence(m_view, QKeySequence::Copy);
    QCOMPARE(QGuiApplication::clipboard()->text(), copied);
}

void TrafficWindowTest::silentUnitShowsResendsAndGiveUp()
{
    QVERIFY(startUnit());
    m_app->link()->setTimings({200, 10});
    QVERIFY(connectUnit());
    QVERIFY(openLog());
    const int before = m_view->model()->rowCount();
    UnitOptions silent;
    silent.silent = true;
    m_unit->simulator().setOptions(silent);
    click("cmdDISP");
    // UVER unanswered: the unit is no longer identified, so giving up closes the port.
    QTRY_VERIFY_WITH_TIMEOUT(!m_app->link()->state().portOpen, 3000);
    QCOMPARE(shownRows(before), (QStringList{"送信|@UVER<CR><LF>",
                                             "|再送 1/3：@UVER<CR><LF>",
                                             "|再送 2/3：@UVER<CR><LF>",
                                             "|再送 3/3：@UVER<CR><LF>",
                                             "|応答がないため中止しました",
                                             "|ポートを閉じました"}));
}

void TrafficWindowTest::unplugShowsTheReason()
{
    QVERIFY(startUnit());
    QVERIFY(connectUnit());
    QVERIFY(openLog());
    m_unit->closeMaster();
    QTRY_VERIFY_WITH_TIMEOUT(!m_app->link()->state().portOpen, 3000);
    const QStringList rows = shownRows();
    const QString prefix = QStringLiteral("|ポートが失われました：");
    QVERIFY2(rows.last().startsWith(prefix), qPrintable(rows.last()));
    const QString reason = rows.last().mid(prefix.size());
    QVERIFY(!reason.isEmpty());
    // The operating system's words, as the channel kept them.
    QCOMPARE(reason, m_bench->channel.errorString());
    // The status line keeps its fixed text.
    QCOMPARE(m_app->label("lblStat")->text(), QStringLiteral("エラー：ユニットと通信できません。"));
}

void TrafficWindowTest::viewKeepsTheBoundAndFollowsTheNewest()
{
    QVERIFY(startUnit());
    TrafficLog *log = m_app->app->trafficLog();
    TrafficEvent sent;
    sent.kind = TrafficEvent::Kind::Sent;
    sent.device = QStringLiteral("/dev/ttyUSB0");
    // Half before the window opens, half while it is open.
    for (int i = 0; i < TrafficLog::MaxRows + 5; ++i) {
        if (i == TrafficLog::MaxRows / 2)
            QVERIFY(openLog());
        sent.bytes = "@MYID" + QByteArray::number(i) + "\r\n";
        log->record(sent);
    }
    const QAbstractItemModel *model = m_view->model();
    QCOMPARE(model->rowCount(), TrafficLog::MaxRows);
    QCOMPARE(model->index(0, TrafficModel::Text).data().toString(),
             QStringLiteral("@MYID5<CR><LF>"));
    QCOMPARE(model->index(TrafficLog::MaxRows - 1, TrafficModel::Text).data().toString(),
             QStringLiteral("@MYID10004<CR><LF>"));
    QScrollBar *bar = m_view->verticalScrollBar();
    QTRY_VERIFY(bar->maximum() > 0 && bar->value() == bar->maximum());
    QVERIFY(m_log->followsNewest());
    // Opened again later, it shows the newest rows at once, also those that came meanwhile.
    m_log->close();
    for (int i = 0; i < 50; ++i)
        log->record(sent);
    m_app->find<QAction>(QStringLiteral("mnuLog"))->trigger();
    QTRY_VERIFY(bar->value() == bar->maximum());
    QVERIFY(m_view->viewport()->rect().contains(
        m_view->visualRect(model->index(TrafficLog::MaxRows - 1, 0))));

    // Scrolled up, the view keeps the same rows in sight while new ones come and old ones go.
    bar->setValue(bar->maximum() / 2);
    QVERIFY(!m_log->followsNewest());
    const auto topRow = [this] {
        return m_view->indexAt(QPoint(1, 1)).siblingAtColumn(TrafficModel::Text).data();
    };
    const QVariant kept = topRow();
    QVERIFY(kept.isValid());
    log->record(sent);
    log->record(sent);
    QTest::qWait(50);  // proves the view did not move
    QCOMPARE(topRow(), kept);
    bar->setValue(bar->maximum());
    log->record(sent);
    QTRY_COMPARE(bar->value(), bar->maximum());

    QTest::mouseClick(logButton("cmdLogClear"), Qt::LeftButton);
    QCOMPARE(model->rowCount(), 0);
    QVERIFY(log->rows().isEmpty());
    log->record(sent);
    QCOMPARE(model->rowCount(), 1);
}

void TrafficWindowTest::saveWritesEveryRowAndKeepsTheOldFileOnFailure()
{
    QVERIFY(startUnit());
    QVERIFY(connectUnit());
    QVERIFY(openLog());
    const QString path = m_app->dir.filePath(QStringLiteral("traffic.txt"));
    m_app->prompter.fileNames << path;
    QTest::mouseClick(logButton("cmdLogSave"), Qt::LeftButton);
    QCOMPARE(m_app->prompter.fileRequests.last().title, QStringLiteral("通信ログの保存"));
    QByteArray expected;
    for (const TrafficRow &row : m_app->app->trafficLog()->rows())
        expected += TrafficLog::formatRow(row).toUtf8() + '\n';
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), expected);
    saved.close();
    QVERIFY(m_app->prompter.shown.isEmpty());

    // An existing file is asked about; Cancel keeps it as it was.
    click("cmdDISP");
    QTRY_COMPARE_WITH_TIMEOUT(m_app->label("lblStat")->text(), QStringLiteral("読込成功"), 3000);
    m_app->prompter.fileNames << path;
    m_app->prompter.answers << Prompter::Answer::Cancel;
    QTest::mouseClick(logButton("cmdLogSave"), Qt::LeftButton);
    QCOMPARE(m_app->prompter.shown.last().title, QStringLiteral("保存確認"));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), expected);
    saved.close();

    // A folder that is not there: the reason is shown and nothing is left behind.
    m_app->prompter.fileNames << m_app->dir.filePath(QStringLiteral("gone/traffic.txt"));
    QTest::mouseClick(logButton("cmdLogSave"), Qt::LeftButton);
    const ScriptedPrompter::Shown failed = m_app->prompter.shown.last();
    QCOMPARE(failed.title, QStringLiteral("保存エラー"));
    QVERIFY(failed.text.startsWith(QStringLiteral("ファイルに保存できません。\r\n")));
    QVERIFY(failed.text.size() > QStringLiteral("ファイルに保存できません。\r\n").size());
    QCOMPARE(failed.buttons, Prompter::Buttons::Ok);
}

void TrafficWindowTest::logFileFailureIsReportedOnce()
{
    ScratchDisk disk;
    if (!disk.isMounted())
        QSKIP(qPrintable(disk.skipReason()));
    QVERIFY(startUnit());
    QString reason;
    QVERIFY(m_app->app->trafficLog()->appendTo(disk.path(QStringLiteral("traffic.log")), &reason));
    QVERIFY(disk.fill());
    QVERIFY(connectUnit());
    click("cmdDISP");
    QTRY_COMPARE_WITH_TIMEOUT(m_app->label("lblStat")->text(), QStringLiteral("読込成功"), 3000);
    QTRY_COMPARE(m_app->prompter.shown.size(), 1);
    QCOMPARE(m_app->prompter.shown.first().title, QStringLiteral("通信ログ"));
    QVERIFY(m_app->prompter.shown.first().text.startsWith(
        QStringLiteral("通信ログをファイルに書き込めません。")));
    // The window's log goes on; the file gets nothing more, and nobody is asked again.
    click("cmdDISP");
    QTRY_COMPARE_WITH_TIMEOUT(m_app->label("lblStat")->text(), QStringLiteral("読込成功"), 3000);
    QTest::qWait(50);  // a second box would be queued by now
    QCOMPARE(m_app->prompter.shown.size(), 1);
    QVERIFY(m_app->app->trafficLog()->rows().size() > 40);
}

QTEST_MAIN(TrafficWindowTest)
#include "tst_trafficwindow.moc"

#include "fakes/appfixture.h"
#include "fakes/fakechannel.h"
#include "fakes/scratchdisk.h"
#include "fakes/scriptedprompter.h"
#include "link/portmap.h"
#include "link/link.h"
#include "fakes/statustexts.h"
#include "ui/directionbutton.h"
#include "ui/mainwindow.h"
#include "ui/texts.h"
#include "ui/updown.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

// The main window on real widgets: start-up values, panel rules, number fields, the status
// line, writes and the close confirmation.
class MainWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startsWithEveryPanelAtItsDefaults();
    void startsDisconnected();
    void defaultButtonsResetOnlyTheirPanel();
    void roleRuleFixesOrFreesTheOwnId();
    void analogUseEnablesTheAnalogDirections();
    void tabSelectsTheUsablePanel();
    void directionButtonsToggleAndBuildTheText();
    void directionCaptions();
    void frequencyFollowsEveryChange();
    void keyFilterLetsOnlyDigitsThrough();
    void leavingAFieldChecksIt_data();
    void leavingAFieldChecksIt();
    void upDownsStepFromTheShownNumber();
    void writeAllQueuesSeventeenCommands_data();
    void writeAllQueuesSeventeenCommands();
    void panelWritesQueueTheirGroups();
    void cancelledWriteQueuesNothing();
    void statusLineShowsTextAndColour_data();
    void statusLineShowsTextAndColour();
    void statusReturnsToIdleAfterFiveSeconds();
    void statusResetKeepsAMessageWhilePortOpen();
    void closeAsksFirst();
    void lockedWindowRefusesInput();
    void identificationShowsKindAndTab();
    void enterPressesTheFocusedButton();
    void choicesOfTheAdditionsOutliveARunOutsideSystemIni();
    void windowDrivesALinkWithoutTheApplication();

private:
    QString statusText() const { return m_fixture->label("lblStat")->text(); }
    QColor statusColour() const
    {
        return m_fixture->label("lblStat")->palette().color(QPalette::WindowText);
    }
    MainWindow *window() const { return m_fixture->window(); }
    DirectionButton *direction(const char *array, int index) const
    {
        return m_fixture->find<DirectionButton>(QStringLiteral("%1_%2").arg(array).arg(index));
    }
    void enableWrites() { window()->showConnectionState(true); }

    FakeChannel *m_channel = nullptr;
    AppFixture *m_fixture = nullptr;
};

void MainWindowTest::init()
{
    m_channel = new FakeChannel;
    m_fixture = new AppFixture(m_channel, {QStringLiteral("COM1=fake")});
    QVERIFY(m_fixture->start());
    QVERIFY(QTest::qWaitForWindowExposed(window()));
}

void MainWindowTest::cleanup()
{
    delete m_fixture;
    delete m_channel;
}

void MainWindowTest::startsWithEveryPanelAtItsDefaults()
{
    QCOMPARE(window()->windowTitle(), QStringLiteral("ZRT48210設定プログラム  Ver. 1.02"));
    for (const char *name : {"cmbFRBD", "cmbFRCH", "cmbLOGI", "cmbAUIO", "cmbADSL", "cmbDASL",
                             "cmbMODE", "cmbTYPE", "cmbREPT", "cmbDIVR", "cmbHOLD", "cmbDOUT"}) {
        QVERIFY2(m_fixture->list(name)->currentIndex() == 0, name);
    }
    QCOMPARE(m_fixture->field("txtMYID")->text(), QStringLiteral("001"));
    QCOMPARE(m_fixture->field("txtSNUM")->text(), QStringLiteral("001"));
    QCOMPARE(m_fixture->field("txtETIM")->text(), QStringLiteral("005"));
    QCOMPARE(m_fixture->field("txtPTIM")->text(), QStringLiteral("000"));
    QVERIFY(m_fixture->field("txtMYID")->isEnabled());
    for (int i = 0; i < 4; ++i)
        QCOMPARE(direction("cmdPDIR", i)->text(), QStringLiteral("出力"));
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(direction("cmdAUIO", i)->text(), QStringLiteral("出力"));
        // Enabled by the analog-use rule, though its panel is not usable on the digital tab.
        QVERIFY(direction("cmdAUIO", i)->isEnabledTo(
            m_fixture->find<QGroupBox>(QStringLiteral("FrameAunit"))));
        QVERIFY(!direction("cmdAUIO", i)->isEnabled());
    }
    QCOMPARE(m_fixture->label("lblFrqNum")->text(), QStringLiteral("2402.0MHz"));
    QCOMPARE(statusText(), QStringLiteral("*** 待機中 ***"));
    QCOMPARE(statusColour(), QColor(0, 0, 0));
    QCOMPARE(window()->selectedTab(), 0);
    // The lists and fields take their sizes and bounds from the parameter rules.
    for (ParameterKey key : AllParameterKeys) {
        const QByteArray name = keyName(key).toLatin1();
        if (valueKind(key) == ValueKind::List)
            QCOMPARE(m_fixture->list(("cmb" + name).constData())->count(), listSize(key));
        if (valueKind(key) == ValueKind::Number) {
            const auto *upDown = m_fixture->find<UpDown>(QString::fromLatin1("ud" + name));
            QCOMPARE(upDown->minimum(), fieldBounds(key).minimum);
            QCOMPARE(upDown->maximum(), fieldBounds(key).maximum);
        }
    }
    QVERIFY(m_fixture->find<QGroupBox>(QStringLiteral("FrameDunit"))->isEnabled());
    QVERIFY(!m_fixture->find<QGroupBox>(QStringLiteral("FrameAunit"))->isEnabled());
    QVERIFY(m_fixture->link()->state().pendingText.isEmpty());
}

void MainWindowTest::startsDisconnected()
{
    QCOMPARE(m_fixture->button("cmdPort")->text(), QStringLiteral("接続"));
    QCOMPARE(m_fixture->button("cmdPort")->toolTip(), QStringLiteral("RS232C通信を開始します"));
    QVERIFY(m_fixture->find<QWidget>(QStringLiteral("picConnect"))->isVisible());
    QVERIFY(m_fixture->find<QAction>(QStringLiteral("mnuPort"))->isEnabled());
    QVERIFY(!m_fixture->find<QAction>(QStringLiteral("mnuErr"))->isEnabled());
    for (const char *name : {"cmdFrqSet", "cmdDSet", "cmdASet", "cmdTuuSet", "cmdDISP",
                             "cmdAllSet"}) {
        QVERIFY2(!m_fixture->button(name)->isEnabled(), name);
    }
    window()->showConnectionState(true);
    QCOMPARE(m_fixture->button("cmdPort")->text(), QStringLiteral("切断"));
    QCOMPARE(m_fixture->button("cmdPort")->toolTip(), QStringLiteral("RS232C通信を終了します"));
    QVERIFY(!m_fixture->find<QWidget>(QStringLiteral("picConnect"))->isVisible());
    QVERIFY(!m_fixture->find<QAction>(QStringLiteral("mnuPort"))->isEnabled());
    QVERIFY(m_fixture->find<QAction>(QStringLiteral("mnuErr"))->isEnabled());
    QVERIFY(m_fixture->button("cmdAllSet")->isEnabled());
}

void MainWindowTest::defaultButtonsResetOnlyTheirPanel()
{
    window()->applyParameterLine(QStringLiteral("FRBD=3"));
    window()->applyParameterLine(QStringLiteral("LOGI=1"));
    window()->applyParameterLine(QStringLiteral("PDIR=1111"));
    window()->applyParameterLine(QStringLiteral("ADSL=1"));
    window()->applyParameterLine(QStringLiteral("TYPE=1"));
    window()->applyParameterLine(QStringLiteral("ETIM=200"));

    QTest::mouseClick(m_fixture->button("cmdFrqdef"), Qt::LeftButton);
    QCOMPARE(m_fixture->list("cmbFRBD")->currentIndex(), 0);
    QCOMPARE(m_fixture->list("cmbLOGI")->currentIndex(), 1);
    QCOMPARE(m_fixture->field("txtETIM")->text(), QStringLiteral("200"));

    QTest::mouseClick(m_fixture->button("cmdDdef"), Qt::LeftButton);
    QCOMPARE(m_fixture->list("cmbLOGI")->currentIndex(), 0);
    QCOMPARE(direction("cmdPDIR", 3)->text(), QStringLiteral("出力"));
    QCOMPARE(direction("cmdAUIO", 0)->text(), QStringLiteral("入力"));  // not its panel

    window()->selectTab(AnalogTab);
    m_fixture->list("cmbAUIO")->setCurrentIndex(1);
    QTest::mouseClick(m_fixture->button("cmdAdef"), Qt::LeftButton);
    QCOMPARE(m_fixture->list("cmbADSL")->currentIndex(), 0);
    QCOMPARE(m_fixture->list("cmbAUIO")->currentIndex(), 0);
    QVERIFY(direction("cmdAUIO", 0)->isEnabled());
    QCOMPARE(direction("cmdAUIO", 0)->text(), QStringLiteral("出力"));
    QCOMPARE(m_fixture->list("cmbTYPE")->currentIndex(), 1);

    QTest::mouseClick(m_fixture->button("cmdTuudef"), Qt::LeftButton);
    QCOMPARE(m_fixture->list("cmbTYPE")->currentIndex(), 0);
    QCOMPARE(m_fixture->field("txtMYID")->text(), QStringLiteral("001"));
    QVERIFY(m_fixture->field("txtMYID")->isEnabled());
    QCOMPARE(m_fixture->field("txtETIM")->text(), QStringLiteral("005"));
    QCOMPARE(m_fixture->list("cmbFRBD")->currentIndex(), 0);

    QVERIFY(m_fixture->link()->state().pendingText.isEmpty());
    QCOMPARE(statusText(), QStringLiteral("*** 待機中 ***"));
}

void MainWindowTest::roleRuleFixesOrFreesTheOwnId()
{
    QComboBox *type = m_fixture->list("cmbTYPE");
    QLineEdit *ownId = m_fixture->field("txtMYID");
    auto *upDown = m_fixture->find<UpDown>(QStringLiteral("udMYID"));
    type->setFocus();
    QTest::keyClick(type, Qt::Key_Down);  // the user picks マスター
    QCOMPARE(type->currentIndex(), 1);
    QCOMPARE(ownId->text(), QStringLiteral("000"));
    QVERIFY(!ownId->isEnabled());
    QVERIFY(!upDown->isEnabled());
    QTest::keyClick(type, Qt::Key_Down);
    QCOMPARE(ownId->text(), QStringLiteral("220"));
    QVERIFY(!ownId->isEnabled());
    QTest::keyClick(type, Qt::Key_Up);
    QTest::keyClick(type, Qt::Key_Up);
    QCOMPARE(ownId->text(), QStringLiteral("001"));
    QVERIFY(ownId->isEnabled());
    QVERIFY(upDown->isEnabled());

    // Picking スレーブ again replaces an own ID typed earlier.
    ownId->setText(QStringLiteral("123"));
    emit type->activated(0);
    QCOMPARE(ownId->text(), QStringLiteral("001"));
}

void MainWindowTest::analogUseEnablesTheAnalogDirections()
{
    window()->selectTab(AnalogTab);
    QComboBox *use = m_fixture->list("cmbAUIO");
    direction("cmdAUIO", 1)->click();
    use->setFocus();
    QTest::keyClick(use, Qt::Key_Down);
    QCOMPARE(use->currentIndex(), 1);
    QVERIFY(!direction("cmdAUIO", 0)->isEnabled());
    QVERIFY(!direction("cmdAUIO", 1)->isEnabled());
    QCOMPARE(direction("cmdAUIO", 1)->text(), QStringLiteral("入力"));
    QTest::keyClick(use, Qt::Key_Up);
    QVERIFY(direction("cmdAUIO", 0)->isEnabled());
    QVERIFY(direction("cmdAUIO", 1)->isEnabled());
    // A program's selection runs the same rule.
    QVERIFY(window()->applyParameterLine(QStringLiteral("AUIO=1")));
    QVERIFY(!direction("cmdAUIO", 0)->isEnabled());
}

void MainWindowTest::tabSelectsTheUsablePanel()
{
    auto *tab = m_fixture->find<QTabWidget>(QStringLiteral("tabAD"));
    tab->setCurrentIndex(1);
    QVERIFY(!m_fixture->find<QGroupBox>(QStringLiteral("FrameDunit"))->isEnabled());
    QVERIFY(!m_fixture->button("cmdDSet")->isEnabled());
    QVERIFY(!m_fixture->button("cmdDdef")->isEnabled());
    QVERIFY(m_fixture->find<QGroupBox>(QStringLiteral("FrameAunit"))->isEnabled());
    window()->selectTab(DigitalTab);
    QVERIFY(m_fixture->find<QGroupBox>(QStringLiteral("FrameDunit"))->isEnabled());
    QVERIFY(!m_fixture->find<QGroupBox>(QStringLiteral("FrameAunit"))->isEnabled());
}

void MainWindowTest::directionButtonsToggleAndBuildTheText()
{
    DirectionButton *first = direction("cmdPDIR", 0);
    QTest::mouseClick(first, Qt::LeftButton);
    QCOMPARE(first->text(), QStringLiteral("入力"));
    QCOMPARE(first->flag(), QStringLiteral("1"));
    QTest::mouseClick(first, Qt::LeftButton);
    QCOMPARE(first->text(), QStringLiteral("出力"));
    QCOMPARE(first->flag(), QStringLiteral("0"));

    QTest::mouseClick(direction("cmdPDIR", 2), Qt::LeftButton);
    QTest::mouseClick(direction("cmdPDIR", 3), Qt::LeftButton);
    QCOMPARE(window()->settings().directionText(), QStringLiteral("0011"));
    window()->selectTab(AnalogTab);
    QTest::mouseClick(direction("cmdAUIO", 0), Qt::LeftButton);
    QCOMPARE(window()->settings().directionText(), QStringLiteral("1011"));
    window()->selectTab(DigitalTab);
    QCOMPARE(window()->settings().directionText(), QStringLiteral("0011"));
}

void MainWindowTest::directionCaptions()
{
    QCOMPARE(Texts::directionCaption(QStringLiteral("0")), QStringLiteral("出力"));
    QCOMPARE(Texts::directionCaption(QStringLiteral("1")), QStringLiteral("入力"));
    QCOMPARE(Texts::directionCaption(QString()), QStringLiteral("入力"));
}

void MainWindowTest::frequencyFollowsEveryChange()
{
    QLabel *frequency = m_fixture->label("lblFrqNum");
    QComboBox *band = m_fixture->list("cmbFRBD");
    band->setFocus();
    QTest::keyClick(band, Qt::Key_Down);
    QCOMPARE(frequency->text(), QStringLiteral("2426.0MHz"));
    QVERIFY(window()->applyParameterLine(QStringLiteral("FRBD=2")));
    QCOMPARE(frequency->text(), QStringLiteral("2450.0MHz"));
    QVERIFY(window()->applyParameterLine(QStringLiteral("FRCH=5")));
    QCOMPARE(frequency->text(), QStringLiteral("2465.0MHz"));
    QVERIFY(window()->applyParameterLine(QStringLiteral("FRBD=-1")));
    QCOMPARE(frequency->text(), QStringLiteral("0015.0MHz"));
}

void MainWindowTest::keyFilterLetsOnlyDigitsThrough()
{
    QLineEdit *field = m_fixture->field("txtSNUM");
    field->setFocus();
    field->clear();
    QTest::keyClicks(field, QStringLiteral("a-. 1x2"));
    QCOMPARE(field->text(), QStringLiteral("12"));
    QTest::keyClicks(field, QStringLiteral("34"));
    QCOMPARE(field->text(), QStringLiteral("123"));
    QTest::keyClick(field, Qt::Key_Backspace);
    QCOMPARE(field->text(), QStringLiteral("12"));
}

void MainWindowTest::leavingAFieldChecksIt_data()
{
    QTest::addColumn<QString>("fieldName");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");  // empty: refused
    QTest::newRow("ETIM 5") << "txtETIM" << "5" << "005";
    QTest::newRow("ETIM 255") << "txtETIM" << "255" << "255";
    QTest::newRow("ETIM 256") << "txtETIM" << "256" << "";
    QTest::newRow("ETIM 0") << "txtETIM" << "0" << "";
    QTest::newRow("PTIM 0") << "txtPTIM" << "0" << "000";
    QTest::newRow("PTIM 100") << "txtPTIM" << "100" << "100";
    QTest::newRow("PTIM 101") << "txtPTIM" << "101" << "";
    QTest::newRow("MYID 000") << "txtMYID" << "000" << "";
    QTest::newRow("MYID 201") << "txtMYID" << "201" << "";
    QTest::newRow("MYID 1") << "txtMYID" << "1" << "001";
    QTest::newRow("SNUM 12") << "txtSNUM" << "12" << "012";
    QTest::newRow("SNUM empty") << "txtSNUM" << "" << "";
    QTest::newRow("pasted fraction") << "txtSNUM" << "1.5" << "";
    QTest::newRow("pasted blank") << "txtSNUM" << " 12" << "";
    QTest::newRow("pasted sign") << "txtSNUM" << "+5" << "";
    QTest::newRow("pasted letters") << "txtETIM" << "1a" << "";
    QTest::newRow("pasted wide digits") << "txtPTIM" << "１２" << "";
    QTest::newRow("MYID 200") << "txtMYID" << "200" << "200";
    QTest::newRow("SNUM 0") << "txtSNUM" << "0" << "";
    QTest::newRow("SNUM 201") << "txtSNUM" << "201" << "";
}

void MainWindowTest::leavingAFieldChecksIt()
{
    QFETCH(QString, fieldName);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    window()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window()));
    QLineEdit *field = m_fixture->find<QLineEdit>(fieldName);
    field->setFocus();
    QTRY_VERIFY(field->hasFocus());
    field->setText(typed);  // as typed or pasted
    QTest::keyClick(field, Qt::Key_Tab);
    if (shown.isEmpty()) {
        QCOMPARE(m_fixture->prompter.shown.size(), 1);
        QCOMPARE(m_fixture->prompter.shown.first().text, QStringLiteral("入力値が正しくありません。"));
        QCOMPARE(m_fixture->prompter.shown.first().title, QStringLiteral("入力値エラー"));
        QCOMPARE(m_fixture->prompter.shown.first().buttons, Prompter::Buttons::Ok);
        QCOMPARE(m_fixture->prompter.shown.first().icon, Prompter::Icon::None);
        QCOMPARE(field->text(), typed);
        QTRY_VERIFY(field->hasFocus());
        QCOMPARE(field->selectedText(), typed);
    } else {
        QVERIFY(m_fixture->prompter.shown.isEmpty());
        QCOMPARE(field->text(), shown);
        QVERIFY(!field->hasFocus());
    }
}

void MainWindowTest::upDownsStepFromTheShownNumber()
{
    auto *slaves = m_fixture->find<UpDown>(QStringLiteral("udSNUM"));
    m_fixture->field("txtSNUM")->setText(QStringLiteral("9"));
    slaves->stepBy(1);
    QCOMPARE(m_fixture->field("txtSNUM")->text(), QStringLiteral("010"));
    auto *polling = m_fixture->find<UpDown>(QStringLiteral("udPTIM"));
    m_fixture->field("txtPTIM")->setText(QStringLiteral("001"));
    polling->stepBy(-1);
    QCOMPARE(m_fixture->field("txtPTIM")->text(), QStringLiteral("000"));
    polling->stepBy(-1);
    QCOMPARE(m_fixture->field("txtPTIM")->text(), QStringLiteral("000"));
}

void MainWindowTest::writeAllQueuesSeventeenCommands_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("digital") << 0
                             << QByteArray("@FRBD3\r\n@FRCH7\r\n@PDIR0011\r\n@LOGI1\r\n@AUIO0\r\n"
                                           "@ADSL0\r\n@DASL0\r\n@MODE0\r\n@TYPE1\r\n@MYID000\r\n"
                                           "@SNUM001\r\n@REPT0\r\n@ETIM005\r\n@DIVR0\r\n"
                                           "@PTIM000\r\n@HOLD0\r\n@DOUT0\r\n");
    QTest::newRow("analog") << 1
                            << QByteArray("@FRBD3\r\n@FRCH7\r\n@LOGI1\r\n@AUIO0\r\n@PDIR1111\r\n"
                                          "@ADSL0\r\n@DASL0\r\n@MODE0\r\n@TYPE1\r\n@MYID000\r\n"
                                          "@SNUM001\r\n@REPT0\r\n@ETIM005\r\n@DIVR0\r\n"
                                          "@PTIM000\r\n@HOLD0\r\n@DOUT0\r\n");
}

void MainWindowTest::writeAllQueuesSeventeenCommands()
{
    QFETCH(int, tab);
    QFETCH(QByteArray, expected);
    for (const char *line : {"FRBD=3", "FRCH=7", "PDIR=0011", "LOGI=1", "TYPE=1"})
        window()->applyParameterLine(QString::fromLatin1(line));
    window()->selectTab(tab);
    if (tab == AnalogTab) {
        direction("cmdAUIO", 0)->click();
        direction("cmdAUIO", 1)->click();
    }
    enableWrites();
    QTest::mouseClick(m_fixture->button("cmdAllSet"), Qt::LeftButton);
    QCOMPARE(m_fixture->prompter.shown.size(), 1);
    QCOMPARE(m_fixture->prompter.shown.first().text,
             QStringLiteral("設定を開始します。\r\nよろしいですか？"));
    QCOMPARE(m_fixture->prompter.shown.first().title, QStringLiteral("設定確認"));
    QCOMPARE(m_fixture->prompter.shown.first().buttons, Prompter::Buttons::OkCancel);
    QCOMPARE(m_fixture->link()->state().pendingText, expected);
    QCOMPARE(statusText(), QStringLiteral("*** 設定中 ***"));
    QCOMPARE(statusColour(), QColor(0, 0, 192));
    // What is queued is fixed at queuing time.
    m_fixture->list("cmbFRBD")->setCurrentIndex(0);
    QVERIFY(m_fixture->link()->state().pendingText.startsWith("@FRBD3\r\n"));
}

void MainWindowTest::panelWritesQueueTheirGroups()
{
    enableWrites();
    // The port is closed, so what each button queues stays in the queue behind the last.
    auto queued = [this](const char *button) {
        const qsizetype before = m_fixture->link()->state().pendingText.size();
        QTest::mouseClick(m_fixture->button(button), Qt::LeftButton);
        return m_fixture->link()->state().pendingText.mid(before);
    };
    QCOMPARE(queued("cmdFrqSet"), QByteArray("@FRBD0\r\n@FRCH0\r\n"));
    QCOMPARE(queued("cmdDSet"), QByteArray("@PDIR0000\r\n@LOGI0\r\n"));
    QCOMPARE(queued("cmdTuuSet"), QByteArray("@MODE0\r\n@TYPE0\r\n@MYID001\r\n@SNUM001\r\n"
                                             "@REPT0\r\n@ETIM005\r\n@DIVR0\r\n@PTIM000\r\n"
                                             "@HOLD0\r\n@DOUT0\r\n"));
    window()->selectTab(AnalogTab);
    QCOMPARE(queued("cmdASet"), QByteArray("@AUIO0\r\n@PDIR0000\r\n@ADSL0\r\n@DASL0\r\n"));
    window()->applyParameterLine(QStringLiteral("TYPE=2"));
    QVERIFY(queued("cmdTuuSet").contains("@TYPE2\r\n@MYID220\r\n"));
}

void MainWindowTest::cancelledWriteQueuesNothing()
{
    enableWrites();
    window()->showLinkStatus(LinkStatus::Connected);
    m_fixture->prompter.answers << Prompter::Answer::Cancel;
    QTest::mouseClick(m_fixture->button("cmdAllSet"), Qt::LeftButton);
    QCOMPARE(m_fixture->prompter.shown.size(), 1);
    QVERIFY(m_fixture->link()->state().pendingText.isEmpty());
    QCOMPARE(statusText(), QStringLiteral("接続完了"));
}

void MainWindowTest::statusLineShowsTextAndColour_data()
{
    QTest::addColumn<LinkStatus>("status");
    QTest::addColumn<QString>("text");
    QTest::addColumn<quint32>("colour");
    using namespace StatusColour;
    const struct
    {
        LinkStatus status;
        QString text;
        quint32 colour;
    } rows[] = {
        {LinkStatus::Connecting, StatusText::Connecting, Progress},
        {LinkStatus::Connected, StatusText::Connected, Progress},
        {LinkStatus::OpenFailed, StatusText::OpenFailed, LinkError},
        {LinkStatus::CloseFailed, StatusText::CloseFailed, LinkError},
        {LinkStatus::Disconnected, StatusText::Disconnected, Progress},
        {LinkStatus::WrongUnit, StatusText::WrongUnit, LinkError},
        {LinkStatus::NoAnswer, StatusText::NoAnswer, LinkError},
        {LinkStatus::Writing, StatusText::Writing, Progress},
        {LinkStatus::WriteDone, StatusText::WriteDone, Progress},
        {LinkStatus::WriteFailed, StatusText::WriteFailed, Progress},
        {LinkStatus::ReadingSettings, StatusText::ReadingSettings, Progress},
        {LinkStatus::ReadingError, StatusText::ReadingError, Progress},
        {LinkStatus::ReadDone, StatusText::ReadDone, Progress},
        {LinkStatus::ReadFailed, StatusText::ReadFailed, Progress},
    };
    for (const auto &row : rows)
        QTest::newRow(qPrintable(row.text)) << row.status << row.text << row.colour;
}

void MainWindowTest::statusLineShowsTextAndColour()
{
    QFETCH(LinkStatus, status);
    QFETCH(QString, text);
    QFETCH(quint32, colour);
    window()->showLinkStatus(status);
    QCOMPARE(statusText(), text);
    QCOMPARE(statusColour(), QColor::fromRgba(colour));
}

void MainWindowTest::statusReturnsToIdleAfterFiveSeconds()
{
    QCOMPARE(window()->statusResetInterval(), 5000);
    window()->setStatusResetInterval(200);
    window()->showLinkStatus(LinkStatus::Disconnected);
    QCOMPARE(statusText(), StatusText::Disconnected);
    QTRY_COMPARE(statusText(), QStringLiteral("--- 待機中 ---"));
    QCOMPARE(statusColour(), QColor(0, 0, 0));
}

void MainWindowTest::statusResetKeepsAMessageWhilePortOpen()
{
    window()->setStatusResetInterval(20);
    m_fixture->link()->connectUnit();
    QVERIFY(m_fixture->link()->state().portOpen);
    QCOMPARE(statusText(), StatusText::Connecting);
    window()->showLinkStatus(LinkStatus::Disconnected);  // starts the return to the idle text
    // Fixed waits, to show that nothing changes: the tick finds the port open ...
    QTest::qWait(60);
    QCOMPARE(statusText(), StatusText::Disconnected);
    // ... and the timer, having fired once, has stopped (closing a port that never identified
    // a unit says nothing, and so starts nothing).
    m_fixture->link()->disconnectUnit();
    QTest::qWait(60);
    QCOMPARE(statusText(), StatusText::Disconnected);
}

void MainWindowTest::closeAsksFirst()
{
    m_fixture->prompter.answers << Prompter::Answer::Cancel;
    QTest::mouseClick(m_fixture->button("cmdEnd"), Qt::LeftButton);
    QCOMPARE(m_fixture->prompter.shown.size(), 1);
    const auto &asked = m_fixture->prompter.shown.first();
    QCOMPARE(asked.text, QStringLiteral("プログラムを終了します。\r\nよろしいですか？"));
    QCOMPARE(asked.title, QStringLiteral("終了確認"));
    QCOMPARE(asked.buttons, Prompter::Buttons::OkCancel);
    QCOMPARE(asked.icon, Prompter::Icon::None);
    QVERIFY(window()->isVisible());
    QVERIFY(!m_fixture->link()->state().quitRequested);

    m_fixture->prompter.answers << Prompter::Answer::Ok;
    QVERIFY(window()->close());
    QVERIFY(!window()->isVisible());
    QVERIFY(m_fixture->link()->state().quitRequested);
}

void MainWindowTest::lockedWindowRefusesInput()
{
    window()->applyParameterLine(QStringLiteral("FRBD=2"));
    window()->setWindowLocked(true);
    QTest::mouseClick(m_fixture->button("cmdFrqdef"), Qt::LeftButton);
    QCOMPARE(m_fixture->list("cmbFRBD")->currentIndex(), 2);
    QVERIFY(!window()->close());
    QVERIFY(m_fixture->prompter.shown.isEmpty());
    // Nothing greys out while locked.
    QVERIFY(m_fixture->button("cmdFrqdef")->isEnabled());
    window()->setWindowLocked(false);
    QTest::mouseClick(m_fixture->button("cmdFrqdef"), Qt::LeftButton);
    QCOMPARE(m_fixture->list("cmbFRBD")->currentIndex(), 0);
}

void MainWindowTest::identificationShowsKindAndTab()
{
    struct Case
    {
        const char *line;
        const char16_t *kind;
        int tab;
    };
    Link *link = m_fixture->link();
    // The unit answers the identification request of a connect with `line`.
    const auto identify = [&](const char *line) {
        if (link->state().portOpen)
            link->disconnectUnit();
        m_channel->written.clear();
        link->connectUnit();
        if (!QTest::qWaitFor([&] { return !m_channel->written.isEmpty(); }))
            return false;
        m_channel->receive(QByteArray(line) + "\r\n");
        return QTest::qWaitFor([&] { return !link->state().awaitingReply; });
    };
    for (const Case &unit : {Case{"ZRT48220", u"アナログ入力ユニット", 1},
                             Case{"ZRT48210", u"デジタルユニット", 0},
                             Case{"ZRT48221", u"アナログ出力ユニット", 1}}) {
        QVERIFY(identify(unit.line));
        QCOMPARE(m_fixture->label("lblUnitVer1")->text(), QString::fromUtf16(unit.kind));
        QCOMPARE(window()->selectedTab(), unit.tab);
        QCOMPARE(m_fixture->find<QGroupBox>(QStringLiteral("FrameAunit"))->isEnabled(),
                 unit.tab == 1);
    }
    // The link reports a wrong model on the status line (see the connection tests).
    for (const char *wrong : {"ZRT", "ZRT4821", "ZRT48210 ", "ZRT-48210"}) {
        QVERIFY(identify(wrong));
        QVERIFY(m_fixture->label("lblUnitVer1")->text().isEmpty());
        QCOMPARE(window()->selectedTab(), 1);
        QCOMPARE(statusText(), StatusText::WrongUnit);
    }
}

void MainWindowTest::enterPressesTheFocusedButton()
{
    window()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window()));
    // Return on a default button: the panel goes back to its defaults.
    window()->applyParameterLine(QStringLiteral("FRBD=2"));
    QPushButton *defaults = m_fixture->button("cmdFrqdef");
    defaults->setFocus();
    QTest::keyClick(defaults, Qt::Key_Return);
    QCOMPARE(window()->settings().listIndex(ParameterKey::FRBD), 0);
    // Enter on the keypad presses a direction button once.
    DirectionButton *io = direction("cmdPDIR", 1);
    io->setFocus();
    QTest::keyClick(io, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(io->text(), QStringLiteral("入力"));
    // A list keeps its selection, and a number field is checked only when it is left.
    QComboBox *band = m_fixture->list("cmbFRBD");
    band->setFocus();
    QTest::keyClick(band, Qt::Key_Return);
    QCOMPARE(band->currentIndex(), 0);
    QLineEdit *field = m_fixture->field("txtETIM");
    field->setFocus();
    field->setText(QStringLiteral("7"));
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(field->text(), QStringLiteral("7"));
    QTest::keyClick(field, Qt::Key_Tab);
    QCOMPARE(field->text(), QStringLiteral("007"));
    QVERIFY(m_fixture->prompter.shown.isEmpty());
    // The exit button asks, as its click does.
    m_fixture->prompter.answers << Prompter::Answer::Cancel;
    m_fixture->button("cmdEnd")->setFocus();
    QTest::keyClick(m_fixture->button("cmdEnd"), Qt::Key_Return);
    QCOMPARE(m_fixture->prompter.shown.size(), 1);
    QCOMPARE(m_fixture->prompter.shown.first().title, QStringLiteral("終了確認"));
    QVERIFY(window()->isVisible());
}

void MainWindowTest::choicesOfTheAdditionsOutliveARunOutsideSystemIni()
{
    auto verify = [this] { return m_fixture->find<QAction>(QStringLiteral("mnuVerify")); };
    auto logWindow = [this] { return window()->findChild<QWidget *>(QStringLiteral("frmLog")); };
    QVERIFY(!verify()->isChecked());
    verify()->trigger();
    m_fixture->find<QAction>(QStringLiteral("mnuLog"))->trigger();
    logWindow()->resize(500, 260);
    logWindow()->close();

    QVERIFY(m_fixture->restart());
    QVERIFY(verify()->isChecked());
    m_fixture->find<QAction>(QStringLiteral("mnuLog"))->trigger();
    QCOMPARE(logWindow()->size(), QSize(500, 260));
    m_fixture->app->shutdown();
    QFile ini(m_fixture->dir.filePath(QStringLiteral("system.ini")));
    QVERIFY(ini.open(QIODevice::ReadOnly));
    QCOMPARE(ini.readAll(), QByteArray(" 1 \r\n 38400 \r\nE\r\n 8 \r\n1\r\n"));
    QVERIFY(m_fixture->prompter.shown.isEmpty());

    // A configuration that cannot be written is said once per choice, and the choice still holds
    // for this run.
    ScratchDisk disk;
    if (!disk.isMounted())
        QSKIP(qPrintable(disk.skipReason()));
    QVERIFY(disk.makeReadOnly());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, disk.root());
    verify()->trigger();
    QVERIFY(!verify()->isChecked());
    QCOMPARE(m_fixture->prompter.shown.size(), 1);
    QCOMPARE(m_fixture->prompter.shown.first().title, QStringLiteral("保存エラー"));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_fixture->dir.path());
}

void MainWindowTest::windowDrivesALinkWithoutTheApplication()
{
    FakeChannel channel;
    Link link(&channel);
    link.setTimings({200, 10});
    link.setDeviceResolver([](int) { return QStringLiteral("fake"); });
    PortMap ports;
    ScriptedPrompter prompter;
    MainWindow window(&prompter, &ports, &link, QDir::tempPath());
    auto *portButton = window.findChild<QPushButton *>(QStringLiteral("cmdPort"));
    auto *kind = window.findChild<QLabel *>(QStringLiteral("lblUnitVer1"));
    auto *version = window.findChild<QLabel *>(QStringLiteral("lblUnitVer2"));

    portButton->click();
    QTRY_COMPARE(channel.written.size(), 1);
    QVERIFY(window.inputLocked());
    channel.receive("ZRT48220\r\nVer1.02\r\n");
    QTRY_VERIFY(!window.inputLocked());
    QCOMPARE(kind->text(), QStringLiteral("アナログ入力ユニット"));
    QCOMPARE(version->text(), QStringLiteral("Ver1.02"));
    QCOMPARE(window.selectedTab(), AnalogTab);
    QCOMPARE(portButton->text(), QStringLiteral("切断"));

    // The error report opens once the reply's dispatch has ended the wait, not inside it.
    bool openedInsideTheWait = true;
    prompter.onShow = [&](const ScriptedPrompter::Shown &) {
        openedInsideTheWait = link.state().awaitingReply;
    };
    window.findChild<QAction *>(QStringLiteral("mnuErr"))->trigger();
    QTRY_COMPARE(channel.written.size(), 2);
    channel.receive("Err0000\r\n");
    QTRY_COMPARE(prompter.shown.size(), 1);
    QVERIFY(!openedInsideTheWait);
    QCOMPARE(window.findChild<QLabel *>(QStringLiteral("lblStat"))->text(),
             StatusText::ReadDone);

    // A read-back forgets the unit until it names itself again.
    window.findChild<QPushButton *>(QStringLiteral("cmdDISP"))->click();
    QVERIFY(kind->text().isEmpty());
    QVERIFY(version->text().isEmpty());
}

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"

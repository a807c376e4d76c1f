#include "link/portmap.h"
#include "ui/applicationstyle.h"
#include "ui/directionbutton.h"
#include "ui/controls.h"
#include "ui/fonts.h"
#include "ui/numberfield.h"
#include "ui/portdialog.h"
#include "ui/updown.h"

#include <QAbstractItemView>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

namespace {

struct Expected
{
    const char *name;
    const char *className;
    const char *text;  // caption, field text or group-box title; list entries joined by '|'
};

// The catalogue, control by control.
const Expected kControls[] = {
    {"picTitle", "QFrame", nullptr},
    {"lblTitle", "QLabel", "ZRT-４８２１０シリーズ　設定プログラム"},
    {"picConnect", "QFrame", nullptr},
    {"lblNoCon", "QLabel", "未接続"},
    {"picUnitVer", "QFrame", nullptr},
    {"lblUnitVer1", "QLabel", "ユニット種類"},
    {"lblUnitVer2", "QLabel", "バージョン"},
    {"FrameFrq", "QGroupBox", "周波数設定"},
    {"lblFRBD", "QLabel", "バンド"},
    {"cmbFRBD", "QComboBox", "０|１|２|３"},
    {"lblFRCH", "QLabel", "チャンネル"},
    {"cmbFRCH", "QComboBox", "０|１|２|３|４|５|６|７"},
    {"picFrq", "QFrame", nullptr},
    {"lblFrq", "QLabel", "周波数"},
    {"lblFrqNum", "QLabel", ""},
    {"cmdFrqdef", "QPushButton", "ﾃﾞﾌｫﾙﾄ"},
    {"cmdFrqSet", "QPushButton", "設定"},
    {"tabAD", "QTabWidget", nullptr},
    {"FrameDunit", "QGroupBox", "ＺＲＴ－４８２１０設定"},
    {"lblPDIR", "QLabel", "Ｉ／Ｏポート設定"},
    {"lblIO1_0", "QLabel", "I/O1"},
    {"lblIO1_1", "QLabel", "I/O2"},
    {"lblIO1_2", "QLabel", "I/O3"},
    {"lblIO1_3", "QLabel", "I/O4"},
    {"cmdPDIR_0", "DirectionButton", "出力"},
    {"cmdPDIR_1", "DirectionButton", "出力"},
    {"cmdPDIR_2", "DirectionButton", "出力"},
    {"cmdPDIR_3", "DirectionButton", "出力"},
    {"lblLOGI", "QLabel", "ポート出力論理"},
    {"cmbLOGI", "QComboBox", "正論理|負論理（反転出力）"},
    {"cmdDdef", "QPushButton", "ﾃﾞﾌｫﾙﾄ"},
    {"cmdDSet", "QPushButton", "設定"},
    {"FrameAunit", "QGroupBox", "ＺＲＴ－４８２２０，４８２２１設定"},
    {"lblAUIO", "QLabel", "Ｉ／Ｏポート設定"},
    {"cmbAUIO", "QComboBox", "使用|未使用"},
    {"lblIO2_0", "QLabel", "I/O1"},
    {"lblIO2_1", "QLabel", "I/O2"},
    {"cmdAUIO_0", "DirectionButton", "出力"},
    {"cmdAUIO_1", "DirectionButton", "出力"},
    {"lblADSL", "QLabel", "Ａ／Ｄコンバータ"},
    {"cmbADSL", "QComboBox", "１２ビット|１０ビット"},
    {"lblDASL", "QLabel", "Ｄ／Ａコンバータ"},
    {"cmbDASL", "QComboBox", "１２ビット|１０ビット"},
    {"cmdAdef", "QPushButton", "ﾃﾞﾌｫﾙﾄ"},
    {"cmdASet", "QPushButton", "設定"},
    {"FrameTuu", "QGroupBox", "通信設定"},
    {"lblMODE", "QLabel", "動作モード"},
    {"cmbMODE", "QComboBox",
     "１対１通信|１対Ｎ通信・ユニット分散|１対Ｎ通信・１チャンネル分散|"
     "１対Ｎ通信・２チャンネル分散|１対Ｎ通信・４チャンネル分散|１対Ｎ通信・データ収集"},
    {"lblTYPE", "QLabel", "機種設定"},
    {"cmbTYPE", "QComboBox", "スレーブ|マスター|リピーター"},
    {"lblMYID", "QLabel", "自己ＩＤ [001～200]"},
    {"txtMYID", "NumberField", "001"},
    {"udMYID", "UpDown", nullptr},
    {"lblSNUM", "QLabel", "子機台数 [001～200]"},
    {"txtSNUM", "NumberField", "001"},
    {"udSNUM", "UpDown", nullptr},
    {"lblREPT", "QLabel", "中継機経由"},
    {"cmbREPT", "QComboBox", "なし|あり"},
    {"lblETIM", "QLabel", "通信断時間 [001～255]"},
    {"txtETIM", "NumberField", "005"},
    {"udETIM", "UpDown", nullptr},
    {"lblDIVR", "QLabel", "アンテナ"},
    {"cmbDIVR", "QComboBox", "シングル|ダイバーシティ"},
    {"lblPTIM", "QLabel", "ポーリング間隔 [000～100]"},
    {"txtPTIM", "NumberField", "000"},
    {"udPTIM", "UpDown", nullptr},
    {"lblHOLD", "QLabel", "ポート出力状態"},
    {"cmbHOLD", "QComboBox", "ポート出力ＯＦＦ|直前の出力状態を保持"},
    {"lblDOUT", "QLabel", "受信データ出力"},
    {"cmbDOUT", "QComboBox", "ＲＳ－２３２Ｃ出力しない|ＲＳ－２３２Ｃ出力する"},
    {"cmdTuudef", "QPushButton", "ﾃﾞﾌｫﾙﾄ"},
    {"cmdTuuSet", "QPushButton", "設定"},
    {"cmdPort", "QPushButton", "接続"},
    {"cmdDISP", "QPushButton", "設定値読込"},
    {"cmdAllSet", "QPushButton", "一括設定"},
    {"cmdEnd", "QPushButton", "終了"},
    {"picStat", "QFrame", nullptr},
    {"lblStat", "QLabel", "*** 待機中 ***"},
};

const QStringList kFocusOrder = {
    "cmbFRBD", "cmbFRCH", "cmdFrqdef", "cmdFrqSet", "tabAD",
    "cmdPDIR_0", "cmdPDIR_1", "cmdPDIR_2", "cmdPDIR_3", "cmbLOGI", "cmdDdef", "cmdDSet",
    "cmbAUIO", "cmdAUIO_0", "cmdAUIO_1", "cmbADSL", "cmbDASL", "cmdAdef", "cmdASet",
    "cmbMODE", "cmbTYPE", "txtMYID", "udMYID", "txtSNUM", "udSNUM", "cmbREPT",
    "txtETIM", "udETIM", "cmbDIVR", "txtPTIM", "udPTIM", "cmbHOLD", "cmbDOUT",
    "cmdTuudef", "cmdTuuSet", "cmdPort", "cmdDISP", "cmdAllSet", "cmdEnd",
};

QString caption(QWidget *w)
{
    if (auto *label = qobject_cast<QLabel *>(w))
        return label->text();
    if (auto *button = qobject_cast<QAbstractButton *>(w))
        return button->text();
    if (auto *box = qobject_cast<QGroupBox *>(w))
        return box->title();
    if (auto *field = qobject_cast<QLineEdit *>(w))
        return field->text();
    if (auto *list = qobject_cast<QComboBox *>(w)) {
        QStringList entries;
        for (int i = 0; i < list->count(); ++i)
            entries << list->itemText(i);
        return entries.join(u'|');
    }
    return QString();
}

QColor colourOf(QWidget *w, QPalette::ColorRole role)
{
    return w->palette().color(role);
}

} // namespace

class TestLayout : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void everyControlHasItsKindAndText();
    void listsStartWithoutSelection();
    void arraysCarryTheirIndex();
    void placesFollowTheCatalogue();
    void framesOnTabPagesSitInsideTheTabControl();
    void tabsAndTheirPages();
    void fontsFollowTheCatalogue();
    void coloursFollowTheCatalogue();
    void connectPanelLiesOverUnitVersion();
    void ioCaptionsLieInFrontYetLetClicksThrough();
    void autoSizeLabelFollowsNewText();
    void focusOrderFollowsTheCatalogue();
    void upDownBoundsAndBuddies();
    void menus();
    void startUpShortcutsShowTheSame();

    void numberFieldRefusesAllButDigits();
    void numberFieldLetsShortcutsThrough();
    void numberFieldLeftOnlyForControlsOfTheWindow();

    void upDownStepsFromTheFieldText();
    void upDownClampsAndStopsWhenDisabled();
    void upDownMouseAndKeys();

    void directionButtonToggles();

    void portDialogLoadSelection_data();
    void portDialogLoadSelection();
    void portDialogOkAndCancel();
    void portDialogEnterAndEscape();
    void portDialogWindowAndDevices();

private:
    template<typename T = QWidget>
    T *control(const char *name)
    {
        T *w = m_client->findChild<T *>(QString::fromUtf8(name));
        if (!w)
            qWarning("missing control %s", name);
        return w;
    }

    QWidget *m_client = nullptr;
};

void TestLayout::init()
{
    m_client = new QWidget;
    m_client->resize(673, 550);
    buildMainWindowControls(m_client);
}

void TestLayout::cleanup()
{
    delete m_client;
    m_client = nullptr;
}

void TestLayout::everyControlHasItsKindAndText()
{
    for (const Expected &e : kControls) {
        QWidget *w = control(e.name);
        QVERIFY2(w, e.name);
        QVERIFY2(w->inherits(e.className), e.name);
        if (e.text)
            QCOMPARE(caption(w), QString::fromUtf8(e.text));
    }
}

void TestLayout::listsStartWithoutSelection()
{
    const auto lists = m_client->findChildren<QComboBox *>();
    QCOMPARE(lists.size(), 12);
    for (QComboBox *list : lists) {
        QVERIFY2(!list->isEditable(), qPrintable(list->objectName()));
        QCOMPARE(list->currentIndex(), -1);
        QCOMPARE(colourOf(list, QPalette::Base), QColor(Qt::white));
    }
}

void TestLayout::arraysCarryTheirIndex()
{
    for (int i = 0; i < 4; ++i) {
        auto *button = control<DirectionButton>(qPrintable(QStringLiteral("cmdPDIR_%1").arg(i)));
        QVERIFY(button);
        QCOMPARE(button->property("index").toInt(), i);
        QCOMPARE(button->index(), i);
        QCOMPARE(button->flag(), QStringLiteral("0"));
        QCOMPARE(control(qPrintable(QStringLiteral("lblIO1_%1").arg(i)))->property("index"),
                 QVariant(i));
    }
    QCOMPARE(control<DirectionButton>("cmdAUIO_1")->index(), 1);
    QCOMPARE(control("lblIO2_1")->property("index"), QVariant(1));
}

void TestLayout::placesFollowTheCatalogue()
{
    // twips / 15, relative to the container
    QCOMPARE(control("picTitle")->geometry(), QRect(24, 8, 433, 41));
    QCOMPARE(control("picConnect")->geometry(), QRect(472, 8, 177, 57));
    QCOMPARE(control("FrameTuu")->geometry(), QRect(328, 72, 329, 374));
    QCOMPARE(control("cmbMODE")->geometry(), QRect(120, 29, 193, 21));
    QCOMPARE(control("txtMYID")->geometry(), QRect(260, 88, 36, 22));
    QCOMPARE(control("udMYID")->geometry(), QRect(295, 89, 16, 21));
    QCOMPARE(control("udPTIM")->geometry(), QRect(295, 239, 16, 21));
    QCOMPARE(control("cmdFrqdef")->geometry(), QRect(120, 93, 65, 25));
    QCOMPARE(control("picFrq")->geometry(), QRect(8, 88, 97, 33));
    QCOMPARE(control("cmdEnd")->geometry(), QRect(520, 464, 113, 33));
    QCOMPARE(control("picStat")->geometry(), QRect(64, 512, 545, 25));
    QCOMPARE(control("cmdPDIR_2")->geometry(), QRect(192, 32, 33, 20));
    QCOMPARE(control("lblIO1_3")->geometry(), QRect(224, 23, 31, 19));
    // Auto-size labels keep their left and top; centred ones keep their centre.
    QCOMPARE(control("lblMYID")->pos(), QPoint(16, 92));
    QCOMPARE(control("lblFrqNum")->pos(), QPoint(8, 13));
    const QRect noCon = control("lblNoCon")->geometry();
    QCOMPARE(noCon.top(), 10);
    QVERIFY2(qAbs(noCon.center().x() - QRect(35, 10, 107, 35).center().x()) <= 1,
             qPrintable(QString::number(noCon.center().x())));
    QVERIFY(noCon.width() > 40);
    // A fixed label starts where the catalogue says.
    QCOMPARE(control("lblStat")->pos(), QPoint(0, 1));
    QCOMPARE(control("lblStat")->width(), 541);
}

void TestLayout::framesOnTabPagesSitInsideTheTabControl()
{
    m_client->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_client));
    auto *tabs = control<QTabWidget>("tabAD");
    QCOMPARE(tabs->geometry(), QRect(16, 224, 289, 213));
    for (const char *name : {"FrameDunit", "FrameAunit"}) {
        QWidget *frame = control(name);
        const QPoint atTab = frame->mapTo(tabs, QPoint(0, 0));
        QCOMPARE(atTab.x(), 8);
        // 32 in the catalogue; the tab row may push it a few pixels down, never up.
        QVERIFY2(atTab.y() >= 32 && atTab.y() <= 40, qPrintable(QString::number(atTab.y())));
        QCOMPARE(frame->width(), 273);
    }
    QCOMPARE(control("FrameDunit")->height(), 135);
    QCOMPARE(control("FrameAunit")->height(), 165);
    const QRect pane = tabs->widget(0)->geometry();
    QVERIFY(control("FrameAunit")->geometry().bottom() < pane.height());
}

void TestLayout::tabsAndTheirPages()
{
    auto *tabs = control<QTabWidget>("tabAD");
    QCOMPARE(tabs->count(), 2);
    QCOMPARE(tabs->tabText(0), QStringLiteral("デジタルユニット"));
    QCOMPARE(tabs->tabText(1), QStringLiteral("アナログユニット"));
    QCOMPARE(tabs->currentIndex(), 0);
    QVERIFY(tabs->widget(0)->isAncestorOf(control("FrameDunit")));
    QVERIFY(tabs->widget(1)->isAncestorOf(control("FrameAunit")));
    QCOMPARE(tabs->tabBar()->tabRect(0).height(), 35);
    // Both captions fit whole in one row of the control's width.
    QVERIFY(tabs->tabBar()->tabRect(1).right() < tabs->width());
    QVERIFY(tabs->tabBar()->tabRect(0).width()
            >= tabs->tabBar()->fontMetrics().horizontalAdvance(tabs->tabText(0)));
}

void TestLayout::fontsFollowTheCatalogue()
{
    struct FontRow
    {
        const char *name;
        qreal points;
        bool bold;
    };
    const FontRow rows[] = {
        {"lblTitle", 15.75, true}, {"lblNoCon", 26.25, false}, {"lblUnitVer1", 12, false},
        {"lblStat", 14.25, true},  {"FrameFrq", 14.25, false}, {"lblFRBD", 11.25, false},
        {"cmbFRBD", 9.75, false},  {"lblFrqNum", 12, true},    {"cmdFrqSet", 12, false},
        {"tabAD", 12, false},      {"FrameAunit", 12, false},  {"lblPDIR", 9.75, false},
        {"lblIO1_0", 8.25, false}, {"cmdAUIO_1", 8.25, false}, {"txtETIM", 11.25, false},
        {"cmbDOUT", 9.75, false},  {"cmdTuuSet", 12, false},   {"cmdAllSet", 14.25, false},
    };
    // The Windows face, or where it is missing the stand-in that the whole list would give.
    QFont catalogue;
    catalogue.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
                           QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")});
    const QString face = QFontInfo(catalogue).family();
    for (const FontRow &row : rows) {
        const QFont font = control(row.name)->font();
        QCOMPARE(font.pointSizeF(), row.points);
        QCOMPARE(font.bold(), row.bold);
        QCOMPARE(QFontInfo(font).family(), face);
    }
    // A list's popup, built when it first opens, shows the list's font.
    for (QComboBox *list : m_client->findChildren<QComboBox *>())
        QCOMPARE(list->view()->font(), list->font());
    QCOMPARE(control("lblStat")->font().weight(), QFont::Weight(700));
    // The frequency caption takes the window's size, not its frame's caption size.
    QCOMPARE(control("lblFrq")->font().pointSizeF(), m_client->font().pointSizeF());
}

void TestLayout::coloursFollowTheCatalogue()
{
    QCOMPARE(colourOf(control("lblStat"), QPalette::WindowText), QColor(0, 0, 0));
    QCOMPARE(colourOf(control("picStat"), QPalette::Window), QColor(224, 255, 224));
    QVERIFY(control("picStat")->autoFillBackground());
    QCOMPARE(colourOf(control("picConnect"), QPalette::Window), QColor(224, 255, 224));
    QCOMPARE(colourOf(control("picUnitVer"), QPalette::Window), QColor(128, 255, 255));
    QCOMPARE(colourOf(control("picFrq"), QPalette::Window), QColor(224, 255, 224));
    QCOMPARE(colourOf(control("picTitle"), QPalette::Window), QColor(0, 0, 255));
    QCOMPARE(colourOf(control("lblTitle"), QPalette::WindowText), QColor(128, 255, 255));
    QCOMPARE(colourOf(control("lblNoCon"), QPalette::WindowText), QColor(255, 0, 0));
    QCOMPARE(colourOf(control("lblUnitVer2"), QPalette::WindowText), QColor(0, 0, 255));
    QCOMPARE(colourOf(control("txtPTIM"), QPalette::Base), QColor(Qt::white));
    QVERIFY(!control("lblStat")->autoFillBackground());

    // What is drawn, not only what is stored.
    m_client->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_client));
    const QImage shot = m_client->grab().toImage();
    QCOMPARE(QColor(shot.pixel(70, 515)), QColor(224, 255, 224));
    QCOMPARE(QColor(shot.pixel(26, 10)), QColor(0, 0, 255));
}

void TestLayout::connectPanelLiesOverUnitVersion()
{
    m_client->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_client));
    QWidget *connect = control("picConnect");
    QWidget *unitVer = control("picUnitVer");
    QCOMPARE(connect->geometry(), unitVer->geometry());
    const QList<QObject *> stack = m_client->children();
    QVERIFY(stack.indexOf(connect) > stack.indexOf(unitVer));
    QWidget *front = m_client->childAt(unitVer->geometry().topLeft() + QPoint(2, 2));
    QCOMPARE(front, connect);
    connect->hide();
    front = m_client->childAt(unitVer->geometry().topLeft() + QPoint(2, 2));
    QCOMPARE(front, unitVer);
}

void TestLayout::ioCaptionsLieInFrontYetLetClicksThrough()
{
    m_client->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_client));
    QWidget *caption = control("lblIO1_0");
    auto *button = control<DirectionButton>("cmdPDIR_0");
    const QList<QObject *> stack = caption->parentWidget()->children();
    QVERIFY(stack.indexOf(caption) > stack.indexOf(button));
    // A click where the caption overlaps the button's top reaches the button.
    const QPoint overlap = button->rect().center() - QPoint(0, button->height() / 2 - 3);
    QVERIFY(caption->geometry().contains(button->mapToParent(overlap)));
    QTest::mouseClick(m_client->windowHandle(), Qt::LeftButton, {},
                      button->mapTo(m_client, overlap));
    QCOMPARE(button->flag(), QStringLiteral("1"));
}

void TestLayout::autoSizeLabelFollowsNewText()
{
    auto *label = control<QLabel>("lblFrqNum");
    const int empty = label->width();
    // Start-up writes the frequency before the window is shown.
    label->setText(QStringLiteral("2399.0MHz"));
    m_client->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_client));
    QVERIFY(label->width() > empty);
    QCOMPARE(label->size(), label->sizeHint());
    QCOMPARE(label->pos(), QPoint(8, 13));

    label->setText(QStringLiteral("-0003.0MHz"));
    const int before = label->width();
    QCoreApplication::sendPostedEvents(label->parentWidget(), QEvent::LayoutRequest);
    QVERIFY(label->width() > before);
    QCOMPARE(label->size(), label->sizeHint());
    QCOMPARE(label->pos(), QPoint(8, 13));
}

void TestLayout::focusOrderFollowsTheCatalogue()
{
    auto *tabs = control<QTabWidget>("tabAD");
    QWidget *start = control("cmbFRBD");
    QStringList order;
    QWidget *w = start;
    do {
        QString name = w->objectName();
        if (w == tabs->tabBar())
            name = tabs->objectName();
        const bool focusable = (w->focusPolicy() & Qt::TabFocus) && !w->isHidden()
                               && w->window() == m_client;
        if (focusable && kFocusOrder.contains(name) && (order.isEmpty() || order.last() != name))
            order << name;
        else if (focusable && !name.isEmpty() && !kFocusOrder.contains(name)
                 && !name.startsWith(u"qt_"))
            QFAIL(qPrintable("unexpected focus stop " + name));
        w = w->nextInFocusChain();
    } while (w && w != start);
    QCOMPARE(order, kFocusOrder);

    for (QLabel *label : m_client->findChildren<QLabel *>())
        QCOMPARE(label->focusPolicy(), Qt::NoFocus);
    for (const char *panel : {"picTitle", "picConnect", "picStat", "FrameFrq", "FrameDunit"})
        QCOMPARE(control(panel)->focusPolicy(), Qt::NoFocus);
}

void TestLayout::upDownBoundsAndBuddies()
{
    struct Bounds
    {
        const char *spin;
        const char *field;
        int min;
        int max;
    };
    const Bounds rows[] = {{"udMYID", "txtMYID", 1, 200}, {"udSNUM", "txtSNUM", 1, 200},
                           {"udETIM", "txtETIM", 1, 255}, {"udPTIM", "txtPTIM", 0, 100}};
    for (const Bounds &row : rows) {
        auto *spin = control<UpDown>(row.spin);
        QCOMPARE(spin->minimum(), row.min);
        QCOMPARE(spin->maximum(), row.max);
        QCOMPARE(spin->value(), row.min);
        QCOMPARE(spin->buddy(), control<QLineEdit>(row.field));
        QCOMPARE(spin->focusPolicy(), Qt::StrongFocus);
        auto *field = control<QLineEdit>(row.field);
        QCOMPARE(field->maxLength(), 3);
        QVERIFY(field->alignment() & Qt::AlignRight);
        QVERIFY(!field->testAttribute(Qt::WA_InputMethodEnabled));
    }
}

void TestLayout::menus()
{
    QMenuBar bar;
    buildMainMenus(&bar);
    const QList<QAction *> top = bar.actions();
    QCOMPARE(top.size(), 3);
    const QStringList names = {"mnuFile", "mnuEdit", "mnuProp"};
    const QStringList captions = {"ファイル", "設定", "情報"};
    const QList<QStringList> items = {{"mnuSave|保存", "mnuOpen|読込", "mnuReport|報告書を保存"},
                                      {"mnuPort|通信設定", "mnuVerify|書込後に照合"},
                                      {"mnuErr|エラー情報", "mnuLog|通信ログ"}};
    for (int i = 0; i < 3; ++i) {
        QMenu *menu = top.at(i)->menu();
        QVERIFY(menu);
        QCOMPARE(menu->objectName(), names.at(i));
        QCOMPARE(menu->title(), captions.at(i));
        QStringList got;
        for (QAction *action : menu->actions())
            got << action->objectName() + u'|' + action->text();
        QCOMPARE(got, items.at(i));
    }
    QAction *verify = bar.findChild<QAction *>(QStringLiteral("mnuVerify"));
    QVERIFY(verify->isCheckable());
    QVERIFY(!verify->isChecked());
}

void TestLayout::numberFieldRefusesAllButDigits()
{
    auto *field = control<NumberField>("txtETIM");
    field->clear();
    QTest::keyClicks(field, QStringLiteral("a-. 1x+2"));
    QCOMPARE(field->text(), QStringLiteral("12"));
    QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QStringLiteral("３"),
                        Qt::NoModifier);
    QCOMPARE(field->text(), QStringLiteral("12"));
    QTest::keyClicks(field, QStringLiteral("34"));
    QCOMPARE(field->text(), QStringLiteral("123"));
    QTest::keyClick(field, Qt::Key_Backspace);
    QCOMPARE(field->text(), QStringLiteral("12"));
    QTest::keyClick(field, Qt::Key_Home);
    QTest::keyClick(field, Qt::Key_Delete);
    QCOMPARE(field->text(), QStringLiteral("2"));
}

void TestLayout::numberFieldLetsShortcutsThrough()
{
    auto *field = control<NumberField>("txtMYID");
    QGuiApplication::clipboard()->setText(QStringLiteral("42"));
    field->clear();
    QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(field->text(), QStringLiteral("42"));
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(field->selectedText(), QStringLiteral("42"));
}

void TestLayout::numberFieldLeftOnlyForControlsOfTheWindow()
{
    m_client->show();
    QApplication::setActiveWindow(m_client);
    QVERIFY(QTest::qWaitFor([&] { return QApplication::activeWindow() == m_client; }));
    auto *field = control<NumberField>("txtSNUM");
    QSignalSpy left(field, &NumberField::left);
    field->setFocus(Qt::OtherFocusReason);
    QVERIFY(field->hasFocus());

    // A modal message box taking the activation is not a leave.
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("入力値エラー"),
                    QStringLiteral("入力値が正しくありません。"), QMessageBox::Ok, m_client);
    box.open();
    QVERIFY(QTest::qWaitFor([&] { return QApplication::activeWindow() == &box; }));
    QVERIFY(!field->hasFocus());
    QCOMPARE(left.count(), 0);
    box.close();
    m_client->activateWindow();  // the window manager's part once the box has gone
    QVERIFY(QTest::qWaitFor([&] { return QApplication::activeWindow() == m_client; }));
    QVERIFY(field->hasFocus());
    QCOMPARE(left.count(), 0);

    QTest::keyClick(field, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), control("udSNUM"));
    QCOMPARE(left.count(), 1);
}

void TestLayout::upDownStepsFromTheFieldText()
{
    auto *spin = control<UpDown>("udSNUM");
    auto *field = control<QLineEdit>("txtSNUM");
    QSignalSpy changed(spin, &UpDown::valueChanged);
    field->setText(QStringLiteral("9"));
    spin->stepBy(1);
    QCOMPARE(field->text(), QStringLiteral("10"));
    QCOMPARE(spin->value(), 10);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(0).toInt(), 10);

    auto *poll = control<UpDown>("udPTIM");
    auto *pollField = control<QLineEdit>("txtPTIM");
    pollField->setText(QStringLiteral("1"));
    poll->stepBy(-1);
    QCOMPARE(pollField->text(), QStringLiteral("0"));
    QCOMPARE(poll->value(), 0);

    // Not a number: the step starts from the control's own value.
    spin->setValue(20);
    field->setText(QStringLiteral("x"));
    spin->stepBy(1);
    QCOMPARE(field->text(), QStringLiteral("21"));
}

void TestLayout::upDownClampsAndStopsWhenDisabled()
{
    auto *spin = control<UpDown>("udMYID");
    auto *field = control<QLineEdit>("txtMYID");
    QSignalSpy changed(spin, &UpDown::valueChanged);
    field->setText(QStringLiteral("200"));
    spin->stepBy(1);
    QCOMPARE(field->text(), QStringLiteral("200"));
    QCOMPARE(spin->value(), 200);
    field->setText(QStringLiteral("250"));
    spin->stepBy(1);
    QCOMPARE(field->text(), QStringLiteral("200"));
    field->setText(QStringLiteral("000"));
    spin->stepBy(-1);
    QCOMPARE(field->text(), QStringLiteral("1"));
    QCOMPARE(spin->value(), 1);

    spin->setEnabled(false);
    const int signalsBefore = changed.count();
    spin->stepBy(1);
    QTest::keyClick(spin, Qt::Key_Up);
    QCOMPARE(field->text(), QStringLiteral("1"));
    QCOMPARE(spin->value(), 1);
    QCOMPARE(changed.count(), signalsBefore);
}

void TestLayout::upDownMouseAndKeys()
{
    auto *spin = control<UpDown>("udETIM");
    auto *field = control<QLineEdit>("txtETIM");
    QCOMPARE(field->text(), QStringLiteral("005"));
    QTest::mouseClick(spin, Qt::LeftButton, {}, QPoint(8, 3));
    QCOMPARE(field->text(), QStringLiteral("6"));
    QTest::mouseClick(spin, Qt::LeftButton, {}, QPoint(8, spin->height() - 3));
    QTest::mouseClick(spin, Qt::LeftButton, {}, QPoint(8, spin->height() - 3));
    QCOMPARE(field->text(), QStringLiteral("4"));
    QTest::keyClick(spin, Qt::Key_Up);
    QCOMPARE(field->text(), QStringLiteral("5"));
    QTest::keyClick(spin, Qt::Key_Down);
    QTest::keyClick(spin, Qt::Key_Down);
    QCOMPARE(field->text(), QStringLiteral("3"));
}

void TestLayout::directionButtonToggles()
{
    auto *button = control<DirectionButton>("cmdPDIR_1");
    QCOMPARE(button->text(), QStringLiteral("出力"));
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(button->flag(), QStringLiteral("1"));
    QCOMPARE(button->text(), QStringLiteral("入力"));
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(button->flag(), QStringLiteral("0"));
    QCOMPARE(button->text(), QStringLiteral("出力"));

    button->setFlag(QString());
    QCOMPARE(button->text(), QStringLiteral("入力"));
    button->toggleDirection();
    QCOMPARE(button->flag(), QStringLiteral("0"));
    button->setFlag(QStringLiteral("7"));
    QCOMPARE(button->text(), QStringLiteral("入力"));
    button->toggleDirection();
    QCOMPARE(button->text(), QStringLiteral("出力"));
}

void TestLayout::portDialogLoadSelection_data()
{
    QTest::addColumn<int>("port");
    QTest::addColumn<int>("entry");
    QTest::newRow("COM3") << 3 << 2;
    QTest::newRow("COM1") << 1 << 0;
    QTest::newRow("COM9") << 9 << 8;
    QTest::newRow("none") << 0 << -1;
    QTest::newRow("above nine") << 10 << -1;
}

void TestLayout::portDialogLoadSelection()
{
    QFETCH(int, port);
    QFETCH(int, entry);
    PortDialog dialog(port, {}, nullptr);
    auto *list = dialog.findChild<QComboBox *>("cmbCom");
    QVERIFY(list);
    QCOMPARE(list->currentIndex(), entry);
    QCOMPARE(dialog.portNumber(), port);
}

void TestLayout::portDialogOkAndCancel()
{
    {
        PortDialog dialog(1, {}, nullptr);
        dialog.findChild<QComboBox *>("cmbCom")->setCurrentIndex(2);
        dialog.show();
        QTest::mouseClick(dialog.findChild<QPushButton *>("cmdOK"), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.portNumber(), 3);
    }
    {
        PortDialog dialog(0, {}, nullptr);
        dialog.show();
        QTest::mouseClick(dialog.findChild<QPushButton *>("cmdOK"), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.portNumber(), 0);
    }
    {
        PortDialog dialog(4, {}, nullptr);
        dialog.findChild<QComboBox *>("cmbCom")->setCurrentIndex(6);
        dialog.show();
        QTest::mouseClick(dialog.findChild<QPushButton *>("cmdCancel"), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(dialog.portNumber(), 4);
    }
}

void TestLayout::portDialogEnterAndEscape()
{
    {
        PortDialog dialog(2, {}, nullptr);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        auto *list = dialog.findChild<QComboBox *>("cmbCom");
        QCOMPARE(QApplication::focusWidget(), list);
        list->setCurrentIndex(4);
        QSignalSpy accepted(&dialog, &QDialog::accepted);
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(accepted.count(), 1);
        QCOMPARE(dialog.portNumber(), 5);
    }
    {
        PortDialog dialog(2, {}, nullptr);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        auto *list = dialog.findChild<QComboBox *>("cmbCom");
        list->setCurrentIndex(4);
        QSignalSpy rejected(&dialog, &QDialog::rejected);
        QTest::keyClick(list, Qt::Key_Escape);
        QCOMPARE(rejected.count(), 1);
        QCOMPARE(dialog.portNumber(), 2);
    }
}

void TestLayout::portDialogWindowAndDevices()
{
    QWidget owner;
#ifdef Q_OS_WIN
    // ＣＯＭｎ is COMn itself, listed or not; what the system lists adds the adapter's details.
    const QString first = QStringLiteral("COM1");
    const QString adapter = QStringLiteral("COM3");
    const auto unlisted = [](int n) { return QStringLiteral("COM%1").arg(n); };
#else
    // ＣＯＭｎ is the n-th port the system lists.
    const QString first = QStringLiteral("/dev/ttyS0");
    const QString adapter = QStringLiteral("/dev/ttyUSB0");
    const auto unlisted = [](int) { return QStringLiteral("未接続"); };
#endif
    PortMap ports;
    ports.setSystemPorts(QList<SystemPort>{{first, {}, {}, {}},
                                           {{}, {}, {}, {}},
                                           {adapter, "FTDI", "FT232R USB UART", "A50285BI"}});
    PortSurvey survey;
    survey.ports = &ports;
    PortDialog dialog(1, survey, &owner);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("通信設定"));
    // The catalogued size, and the row of 検索 below it.
    QCOMPARE(dialog.size(), QSize(227, 180));
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
    QVERIFY(!(dialog.windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(dialog.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(dialog.isWindow());

    auto *frame = dialog.findChild<QGroupBox *>("Frame1");
    QCOMPARE(frame->title(), QStringLiteral("使用ポート"));
    QCOMPARE(frame->font().pointSizeF(), 14.25);
    auto *list = dialog.findChild<QComboBox *>("cmbCom");
    QCOMPARE(list->parentWidget(), frame);
    QCOMPARE(list->count(), 9);
    QCOMPARE(list->itemText(0), QStringLiteral("ＣＯＭ１"));
    QCOMPARE(list->itemText(8), QStringLiteral("ＣＯＭ９"));
    QCOMPARE(list->font().pointSizeF(), 12.0);
    auto *ok = dialog.findChild<QPushButton *>("cmdOK");
    QCOMPARE(ok->text(), QStringLiteral("設定"));
    QVERIFY(ok->isDefault());
    QVERIFY(ok->font().fixedPitch());
    QCOMPARE(ok->font().pointSizeF(), 14.25);
    auto *cancel = dialog.findChild<QPushButton *>("cmdCancel");
    QCOMPARE(cancel->text(), QStringLiteral("中止"));
    auto *find = dialog.findChild<QPushButton *>("cmdFind");
    QCOMPARE(find->text(), QStringLiteral("検索"));
    QVERIFY(find->geometry().top() >= 153 - 6);
    // The catalogued places, in pixels; they stay whatever the lines below them say.
    const auto placesStay = [&] {
        QCOMPARE(frame->geometry(), QRect(16, 16, 193, 81));
        QCOMPARE(list->geometry(), QRect(56, 32, 81, 24));
        QCOMPARE(ok->geometry(), QRect(40, 112, 73, 33));
        QCOMPARE(cancel->geometry(), QRect(136, 112, 73, 33));
        QCOMPARE(dialog.width(), 227);
        QVERIFY(dialog.height() >= 153);
    };
    placesStay();

    auto *device = dialog.findChild<QLabel *>("lblDevice");
    auto *info = dialog.findChild<QLabel *>("lblPortInfo");
    QCOMPARE(device->parentWidget(), frame);
    QCOMPARE(device->text(), first);
    QVERIFY(info->text().isEmpty());
    list->setCurrentIndex(1);
    QCOMPARE(device->text(), unlisted(2));
    list->setCurrentIndex(2);
    QCOMPARE(device->text(), adapter);
    QCOMPARE(info->text(), QStringLiteral("メーカー：FTDI\n製品：FT232R USB UART\n"
                                          "シリアル番号：A50285BI"));
    QVERIFY(info->geometry().top() > find->geometry().bottom());
    QVERIFY(dialog.height() > info->geometry().bottom());
    placesStay();
    list->setCurrentIndex(5);
    QCOMPARE(device->text(), unlisted(6));
    QCOMPARE(dialog.height(), 180);
    QCOMPARE(list->itemData(2, Qt::ToolTipRole).toString(), adapter);
    QCOMPARE(list->itemData(1, Qt::ToolTipRole).toString(), unlisted(2));
    list->setCurrentIndex(-1);
    QVERIFY(device->text().isEmpty());

    const auto nextStop = [](QWidget *w) {
        do
            w = w->nextInFocusChain();
        while (w->focusPolicy() == Qt::NoFocus);
        return w;
    };
    QCOMPARE(nextStop(list), static_cast<QWidget *>(ok));
    QCOMPARE(nextStop(ok), static_cast<QWidget *>(cancel));
    QCOMPARE(nextStop(cancel), static_cast<QWidget *>(find));
}

// What the window does to start sooner changes nothing shown: the menu bar's font, naming the
// face it resolves to, draws the titles as before, and the overflow icon, read when first
// drawn, is the style's own.
void TestLayout::startUpShortcutsShowTheSame()
{
    QMenuBar bar;
    buildMainMenus(&bar);
    const QFont generic = bar.font();
    const QFont resolved = withResolvedFace(generic);
    QCOMPARE(QFontInfo(resolved).family(), QFontInfo(generic).family());
    QCOMPARE(QFontInfo(resolved).pixelSize(), QFontInfo(generic).pixelSize());
    for (const QAction *menu : bar.actions()) {
        QCOMPARE(QFontMetrics(resolved).horizontalAdvance(menu->text()),
                 QFontMetrics(generic).horizontalAdvance(menu->text()));
    }

    ApplicationStyle style;
    const auto which = QStyle::SP_ToolBarHorizontalExtensionButton;
    const QIcon deferred = style.standardIcon(which);
    const QIcon direct = style.baseStyle()->standardIcon(which);
    QVERIFY(!deferred.isNull());
    QCOMPARE(deferred.availableSizes(), direct.availableSizes());
    QCOMPARE(deferred.pixmap(16).toImage(), direct.pixmap(16).toImage());
}

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"

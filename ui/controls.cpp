#include "ui/controls.h"

#include "ui/autosizelabel.h"
#include "ui/captionframe.h"
#include "ui/directionbutton.h"
#include "ui/fonts.h"
#include "ui/numberfield.h"
#include "ui/tabcontrol.h"
#include "ui/twips.h"
#include "ui/updown.h"
#include "settings/parameters.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include <algorithm>
#include <type_traits>

namespace {

enum Flags : unsigned {
    NoFlags = 0,
    AutoSize = 1,
    Centred = 2,
    Bold = 4,
    // Drawn in front of its later siblings. A label in front (the I/O captions overlap the tops
    // of their buttons) lets clicks through to the control beneath.
    Front = 8,
};

// A colour of 0 (zero alpha) means "leave the palette alone"; qRgb() always sets full alpha.
constexpr QRgb kNoColour = 0;

struct ControlRow;
// Creates the control of a row and stores it in its handle of MainControls.
using Build = QWidget *(*)(const ControlRow &row, QWidget *parent, const QRect &place,
                           MainControls &controls);
// The container of a row, already built; nullptr for the client area.
using Container = QWidget *(*)(const MainControls &controls);

struct ControlRow
{
    const char *name;
    int index;            // array index, -1 outside arrays
    Build build;
    Container container;
    const char *text;     // caption, field text, or list entries / tab captions joined by '|'
    qreal points;         // 0: the window's default size in the Gothic face
    unsigned flags;
    QRgb foreground;
    QRgb background;
    int left, top, width, height;  // twips
};

constexpr QRgb kPaleGreen = qRgb(224, 255, 224);
constexpr QRgb kCyan = qRgb(128, 255, 255);
constexpr QRgb kBlue = qRgb(0, 0, 255);
constexpr QRgb kRed = qRgb(255, 0, 0);
constexpr QRgb kBlack = qRgb(0, 0, 0);
constexpr QRgb kN = kNoColour;

// Tab height of the tab control, twips.
constexpr int kTabHeightTwips = 520;

QPalette withColour(QPalette palette, QPalette::ColorRole role, QRgb colour)
{
    palette.setColor(role, QColor::fromRgb(colour));
    return palette;
}

// The control of one row, of the type its handle has.
template<typename T>
T *create(const ControlRow &row, QWidget *parent, const QRect &place)
{
    const QString text = QCoreApplication::translate("Controls", row.text);
    if constexpr (std::is_same_v<T, QFrame>) {
        auto *panel = new QFrame(parent);
        panel->setFrameShape(QFrame::NoFrame);
        panel->setAutoFillBackground(true);
        panel->setPalette(withColour(panel->palette(), QPalette::Window, row.background));
        return panel;
    } else if constexpr (std::is_same_v<T, QLabel>) {
        QLabel *label = nullptr;
        if (row.flags & AutoSize) {
            label = new AutoSizeLabel(place, row.flags & Centred, parent);
        } else {
            label = new QLabel(parent);
            label->setAlignment((row.flags & Centred ? Qt::AlignHCenter : Qt::AlignLeft)
                                | Qt::AlignTop);
        }
        label->setText(text);
        label->setTextFormat(Qt::PlainText);
        return label;
    } else if constexpr (std::is_same_v<T, CaptionFrame>) {
        return new CaptionFrame(text, parent);
    } else if constexpr (std::is_same_v<T, QComboBox>) {
        auto *list = new QComboBox(parent);
        list->setEditable(false);
        list->addItems(text.split(u'|'));
        list->setCurrentIndex(-1);
        QPalette palette = list->palette();
        palette.setColor(QPalette::Base, Qt::white);
        palette.setColor(QPalette::Button, Qt::white);
        list->setPalette(palette);
        return list;
    } else if constexpr (std::is_same_v<T, NumberField>) {
        auto *field = new NumberField(parent);
        field->setText(text);
        field->setPalette(withColour(field->palette(), QPalette::Base, qRgb(255, 255, 255)));
        return field;
    } else if constexpr (std::is_same_v<T, UpDown>) {
        return new UpDown(parent);
    } else if constexpr (std::is_same_v<T, QPushButton>) {
        return new QPushButton(text, parent);
    } else if constexpr (std::is_same_v<T, DirectionButton>) {
        auto *button = new DirectionButton(parent);
        button->setIndex(row.index);
        return button;
    } else {
        static_assert(std::is_same_v<T, TabControl>, "a control type the table cannot build");
        auto *tabs = new TabControl(place, pixels(kTabHeightTwips), parent);
        const QStringList captions = text.split(u'|');
        for (int i = 0; i < captions.size(); ++i) {
            auto *page = new QWidget;
            page->setObjectName(QStringLiteral("%1Page%2").arg(QLatin1String(row.name)).arg(i));
            tabs->addTab(page, captions.at(i));
        }
        tabs->setCurrentIndex(0);
        return tabs;
    }
}

template<typename T>
T *&handle(MainControls &controls, T *MainControls::*member, int)
{
    return controls.*member;
}

template<typename T, std::size_t N>
T *&handle(MainControls &controls, std::array<T *, N> MainControls::*member, int index)
{
    return (controls.*member).at(static_cast<std::size_t>(index));
}

template<auto Member>
QWidget *build(const ControlRow &row, QWidget *parent, const QRect &place,
               MainControls &controls)
{
    auto &slot = handle(controls, Member, row.index);
    slot = create<std::remove_pointer_t<std::remove_reference_t<decltype(slot)>>>(row, parent,
                                                                                  place);
    return slot;
}

template<auto Member>
QWidget *inside(const MainControls &controls)
{
    return controls.*Member;
}

template<int Page>
QWidget *onPage(const MainControls &controls)
{
    return controls.tabAD->widget(Page);
}

QWidget *clientArea(const MainControls &)
{
    return nullptr;
}

// The name of a row is its handle's name, so that the two cannot drift apart.
#define CONTROL(member) #member, -1, &build<&MainControls::member>
#define ELEMENT(member, i) #member "_" #i, i, &build<&MainControls::member>
#define IN(member) &inside<&MainControls::member>
#define PAGE(page) &onPage<page>
#define CLIENT &clientArea

// Container before content. Later rows lie on top of earlier ones, and Front rows on top of
// all.
const ControlRow MainRows[] = {
    {CONTROL(picTitle), CLIENT, "",
     0, NoFlags, kN, kBlue, 360, 120, 6495, 615},
    {CONTROL(lblTitle), IN(picTitle), QT_TRANSLATE_NOOP("Controls", "ZRT-４８２１０シリーズ　設定プログラム"),
     15.75, AutoSize | Centred | Bold, kCyan, kN, 0, 120, 6435, 315},
    {CONTROL(picUnitVer), CLIENT, "",
     0, NoFlags, kN, kCyan, 7080, 120, 2655, 855},
    {CONTROL(lblUnitVer1), IN(picUnitVer), QT_TRANSLATE_NOOP("Controls", "ユニット種類"),
     12, Centred, kBlue, kN, 0, 120, 2625, 240},
    {CONTROL(lblUnitVer2), IN(picUnitVer), QT_TRANSLATE_NOOP("Controls", "バージョン"),
     12, Centred, kBlue, kN, 0, 480, 2625, 240},
    {CONTROL(picConnect), CLIENT, "",
     0, Front, kN, kPaleGreen, 7080, 120, 2655, 855},
    {CONTROL(lblNoCon), IN(picConnect), QT_TRANSLATE_NOOP("Controls", "未接続"),
     26.25, AutoSize | Centred, kRed, kN, 525, 150, 1605, 525},

    {CONTROL(FrameFrq), CLIENT, QT_TRANSLATE_NOOP("Controls", "周波数設定"),
     14.25, NoFlags, kN, kN, 480, 1080, 3855, 2015},
    {CONTROL(lblFRBD), IN(FrameFrq), QT_TRANSLATE_NOOP("Controls", "バンド"),
     11.25, AutoSize, kN, kN, 240, 480, 585, 225},
    {CONTROL(cmbFRBD), IN(FrameFrq), "０|１|２|３",
     9.75, NoFlags, kN, kN, 2760, 430, 855, 315},
    {CONTROL(lblFRCH), IN(FrameFrq), QT_TRANSLATE_NOOP("Controls", "チャンネル"),
     11.25, AutoSize, kN, kN, 240, 930, 1005, 225},
    {CONTROL(cmbFRCH), IN(FrameFrq), "０|１|２|３|４|５|６|７",
     9.75, NoFlags, kN, kN, 2760, 880, 855, 315},
    {CONTROL(picFrq), IN(FrameFrq), "",
     0, NoFlags, kN, kPaleGreen, 120, 1320, 1455, 495},
    {CONTROL(lblFrq), IN(picFrq), QT_TRANSLATE_NOOP("Controls", "周波数"),
     0, AutoSize, kN, kN, 30, 30, 540, 180},
    {CONTROL(lblFrqNum), IN(picFrq), "",
     12, AutoSize | Bold, kN, kN, 120, 195, 90, 240},
    {CONTROL(cmdFrqdef), IN(FrameFrq), QT_TRANSLATE_NOOP("Controls", "ﾃﾞﾌｫﾙﾄ"),
     12, NoFlags, kN, kN, 1800, 1400, 975, 375},
    {CONTROL(cmdFrqSet), IN(FrameFrq), QT_TRANSLATE_NOOP("Controls", "設定"),
     12, NoFlags, kN, kN, 2880, 1400, 735, 375},

    {CONTROL(tabAD), CLIENT, QT_TRANSLATE_NOOP("Controls", "デジタルユニット|アナログユニット"),
     12, NoFlags, kN, kN, 240, 3360, 4335, 3195},

    {CONTROL(FrameDunit), PAGE(0), QT_TRANSLATE_NOOP("Controls", "ＺＲＴ－４８２１０設定"),
     12, NoFlags, kN, kN, 120, 480, 4095, 2025},
    {CONTROL(lblPDIR), IN(FrameDunit), QT_TRANSLATE_NOOP("Controls", "Ｉ／Ｏポート設定"),
     9.75, AutoSize, kN, kN, 240, 540, 1275, 195},
    {ELEMENT(lblIO1, 0), IN(FrameDunit), "I/O1",
     8.25, Centred | Front, kN, kN, 1920, 345, 465, 285},
    {ELEMENT(lblIO1, 1), IN(FrameDunit), "I/O2",
     8.25, Centred | Front, kN, kN, 2400, 345, 465, 285},
    {ELEMENT(lblIO1, 2), IN(FrameDunit), "I/O3",
     8.25, Centred | Front, kN, kN, 2880, 345, 465, 285},
    {ELEMENT(lblIO1, 3), IN(FrameDunit), "I/O4",
     8.25, Centred | Front, kN, kN, 3360, 345, 465, 285},
    {ELEMENT(cmdPDIR, 0), IN(FrameDunit), "",
     8.25, NoFlags, kN, kN, 1920, 480, 495, 300},
    {ELEMENT(cmdPDIR, 1), IN(FrameDunit), "",
     8.25, NoFlags, kN, kN, 2400, 480, 495, 300},
    {ELEMENT(cmdPDIR, 2), IN(FrameDunit), "",
     8.25, NoFlags, kN, kN, 2880, 480, 495, 300},
    {ELEMENT(cmdPDIR, 3), IN(FrameDunit), "",
     8.25, NoFlags, kN, kN, 3360, 480, 495, 300},
    {CONTROL(lblLOGI), IN(FrameDunit), QT_TRANSLATE_NOOP("Controls", "ポート出力論理"),
     9.75, AutoSize, kN, kN, 240, 950, 1260, 195},
    {CONTROL(cmbLOGI), IN(FrameDunit), QT_TRANSLATE_NOOP("Controls", "正論理|負論理（反転出力）"),
     9.75, NoFlags, kN, kN, 1920, 890, 1935, 315},
    {CONTROL(cmdDdef), IN(FrameDunit), QT_TRANSLATE_NOOP("Controls", "ﾃﾞﾌｫﾙﾄ"),
     12, NoFlags, kN, kN, 2040, 1410, 975, 375},
    {CONTROL(cmdDSet), IN(FrameDunit), QT_TRANSLATE_NOOP("Controls", "設定"),
     12, NoFlags, kN, kN, 3120, 1410, 735, 375},

    {CONTROL(FrameAunit), PAGE(1), QT_TRANSLATE_NOOP("Controls", "ＺＲＴ－４８２２０，４８２２１設定"),
     12, NoFlags, kN, kN, 120, 480, 4095, 2475},
    {CONTROL(lblAUIO), IN(FrameAunit), QT_TRANSLATE_NOOP("Controls", "Ｉ／Ｏポート設定"),
     9.75, AutoSize, kN, kN, 240, 540, 1275, 195},
    {CONTROL(cmbAUIO), IN(FrameAunit), QT_TRANSLATE_NOOP("Controls", "使用|未使用"),
     9.75, NoFlags, kN, kN, 1920, 480, 975, 315},
    {ELEMENT(lblIO2, 0), IN(FrameAunit), "I/O1",
     8.25, Centred | Front, kN, kN, 2880, 345, 465, 285},
    {ELEMENT(lblIO2, 1), IN(FrameAunit), "I/O2",
     8.25, Centred | Front, kN, kN, 3360, 345, 465, 285},
    {ELEMENT(cmdAUIO, 0), IN(FrameAunit), "",
     8.25, NoFlags, kN, kN, 2880, 480, 495, 300},
    {ELEMENT(cmdAUIO, 1), IN(FrameAunit), "",
     8.25, NoFlags, kN, kN, 3360, 480, 495, 300},
    {CONTROL(lblADSL), IN(FrameAunit), QT_TRANSLATE_NOOP("Controls", "Ａ／Ｄコンバータ"),
     9.75, AutoSize, kN, kN, 240, 950, 1320, 195},
    {CONTROL(cmbADSL), IN(FrameAunit), QT_TRANSLATE_NOOP("Controls", "１２ビット|１０ビット"),
     9.75, NoFlags, kN, kN, 2400, 890, 1455, 315},
    {CONTROL(lblDASL), IN(FrameAunit), QT_TRANSLATE_NOOP("Controls", "Ｄ／Ａコンバータ"),
     9.75, AutoSize, kN, kN, 240, 1400, 1320, 195},
    {CONTROL(cmbDASL), IN(FrameAunit), QT_TRANSLATE_NOOP("Controls", "１２ビット|１０ビット"),
     9.75, NoFlags, kN, kN, 2400, 1340, 1455, 315},
    {CONTROL(cmdAdef), IN(FrameAunit), QT_TRANSLATE_NOOP("Controls", "ﾃﾞﾌｫﾙﾄ"),
     12, NoFlags, kN, kN, 2040, 1860, 975, 375},
    {CONTROL(cmdASet), IN(FrameAunit), QT_TRANSLATE_NOOP("Controls", "設定"),
     12, NoFlags, kN, kN, 3120, 1860, 735, 375},

    {CONTROL(FrameTuu), CLIENT, QT_TRANSLATE_NOOP("Controls", "通信設定"),
     14.25, NoFlags, kN, kN, 4920, 1080, 4935, 5615},
    {CONTROL(lblMODE), IN(FrameTuu), QT_TRANSLATE_NOOP("Controls", "動作モード"),
     11.25, AutoSize, kN, kN, 240, 480, 1020, 225},
    {CONTROL(cmbMODE), IN(FrameTuu),
     QT_TRANSLATE_NOOP("Controls", "１対１通信|１対Ｎ通信・ユニット分散|"
                                   "１対Ｎ通信・１チャンネル分散|１対Ｎ通信・２チャンネル分散|"
                                   "１対Ｎ通信・４チャンネル分散|１対Ｎ通信・データ収集"),
     9.75, NoFlags, kN, kN, 1800, 430, 2895, 315},
    {CONTROL(lblTYPE), IN(FrameTuu), QT_TRANSLATE_NOOP("Controls", "機種設定"),
     11.25, AutoSize, kN, kN, 240, 930, 900, 225},
    {CONTROL(cmbTYPE), IN(FrameTuu), QT_TRANSLATE_NOOP("Controls", "スレーブ|マスター|リピーター"),
     9.75, NoFlags, kN, kN, 3120, 880, 1575, 315},
    {CONTROL(lblMYID), IN(FrameTuu), QT_TRANSLATE_NOOP("Controls", "自己ＩＤ [001～200]"),
     11.25, AutoSize, kN, kN, 240, 1380, 1845, 225},
    {CONTROL(txtMYID), IN(FrameTuu), "001",
     11.25, NoFlags, kN, kN, 3900, 1322, 545, 330},
    {CONTROL(udMYID), IN(FrameTuu), "",
     0, NoFlags, kN, kN, 4425, 1330, 240, 315},
    {CONTROL(lblSNUM), IN(FrameTuu), QT_TRANSLATE_NOOP("Controls", "子機台数 [001～200]"),
     11.25, AutoSize, kN, kN, 240, 1830, 2070, 225},
    {CONTROL(txtSNUM), IN(FrameTuu), "001",
     11.25, NoFlags, kN, kN, 3900, 1772, 545, 330},
    {CONTROL(udSNUM), IN(FrameTuu), "",
     0, NoFlags, kN, kN, 4425, 1780, 240, 315},
    {CONTROL(lblREPT), IN(FrameTuu), QT_TRANSLATE_NOOP("Controls", "中継機経由"),
     11.25, AutoSize, kN, kN, 240, 2280, 1125, 225},
    {CONTROL(cmbREPT), IN(FrameTuu), QT_TRANSLATE_NOOP("Controls", "なし|あり"),
     9.75, NoFlags, kN, kN, 3120, 2230, 1575, 315},
    {CONTROL(lblETIM), IN(FrameTuu), QT_TRANSLATE_NOOP("Controls", "通信断時間 [001～255]"),
     11.25, AutoSize, kN, kN, 240, 2730, 2295, 225},
    {CONTROL(txtETIM), IN(FrameTuu), "005",
     11.25, NoFlags, kN, kN, 3900, 2672, 545, 330},
    {CONTROL(udETIM), IN(FrameTuu), "",
     0, NoFlags, kN, kN, 4425, 2680, 240, 315},
    {CONTROL(lblDIVR), IN(FrameTuu), QT_TRANSLATE_NOOP("Controls", "アンテナ"),
     11.25, AutoSize, kN, kN, 240, 3180, 795, 225},
    {CONTROL(cmbDIVR), IN(FrameTuu), QT_TRANSLATE_NOOP("Controls", "シングル|ダイバーシティ"),
     9.75, NoFlags, kN, kN, 3120, 3130, 1575, 315},
    {CONTROL(lblPTIM), IN(FrameTuu), QT_TRANSLATE_NOOP("Controls", "ポーリング間隔 [000～100]"),
     11.25, AutoSize, kN, kN, 240, 3630, 2610, 225},
    {CONTROL(txtPTIM), IN(FrameTuu), "000",
     11.25, NoFlags, kN, kN, 3900, 3572, 545, 330},
    {CONTROL(udPTIM), IN(FrameTuu), "",
     0, NoFlags, kN, kN, 4425, 3580, 240, 315},
    {CONTROL(lblHOLD), IN(FrameTuu), QT_TRANSLATE_NOOP("Controls", "ポート出力状態"),
     11.25, AutoSize, kN, kN, 240, 4080, 1470, 225},
    {CONTROL(cmbHOLD), IN(FrameTuu), QT_TRANSLATE_NOOP("Controls", "ポート出力ＯＦＦ|直前の出力状態を保持"),
     9.75, NoFlags, kN, kN, 2280, 4030, 2415, 315},
    {CONTROL(lblDOUT), IN(FrameTuu), QT_TRANSLATE_NOOP("Controls", "受信データ出力"),
     11.25, AutoSize, kN, kN, 240, 4530, 1485, 225},
    {CONTROL(cmbDOUT), IN(FrameTuu), QT_TRANSLATE_NOOP("Controls", "ＲＳ－２３２Ｃ出力しない|ＲＳ－２３２Ｃ出力する"),
     9.75, NoFlags, kN, kN, 2280, 4480, 2415, 315},
    {CONTROL(cmdTuudef), IN(FrameTuu), QT_TRANSLATE_NOOP("Controls", "ﾃﾞﾌｫﾙﾄ"),
     12, NoFlags, kN, kN, 2880, 5000, 975, 375},
    {CONTROL(cmdTuuSet), IN(FrameTuu), QT_TRANSLATE_NOOP("Controls", "設定"),
     12, NoFlags, kN, kN, 3960, 5000, 735, 375},

    {CONTROL(cmdPort), CLIENT, QT_TRANSLATE_NOOP("Controls", "接続"),
     14.25, NoFlags, kN, kN, 600, 6960, 1695, 495},
    {CONTROL(cmdDISP), CLIENT, QT_TRANSLATE_NOOP("Controls", "設定値読込"),
     14.25, NoFlags, kN, kN, 3000, 6960, 1695, 495},
    {CONTROL(cmdAllSet), CLIENT, QT_TRANSLATE_NOOP("Controls", "一括設定"),
     14.25, NoFlags, kN, kN, 5400, 6960, 1695, 495},
    {CONTROL(cmdEnd), CLIENT, QT_TRANSLATE_NOOP("Controls", "終了"),
     14.25, NoFlags, kN, kN, 7800, 6960, 1695, 495},
    {CONTROL(picStat), CLIENT, "",
     0, NoFlags, kN, kPaleGreen, 960, 7680, 8175, 375},
    {CONTROL(lblStat), IN(picStat), QT_TRANSLATE_NOOP("Controls", "*** 待機中 ***"),
     14.25, Centred | Bold, kBlack, kN, 0, 15, 8115, 285},
};

#undef CONTROL
#undef ELEMENT
#undef IN
#undef PAGE
#undef CLIENT

QFont rowFont(const ControlRow &row, const QWidget *client)
{
    if (row.points > 0)
        return gothicFont(row.points, row.flags & Bold);
    // The window's default size, taken from the client area rather than inherited, since a
    // frame in between carries a caption font of its own.
    QFont font = client->font();
    font.setFamilies(gothicFont(9).families());
    // Marks the size as set here, so that it does not come from the frame after all.
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF());
    else
        font.setPixelSize(font.pixelSize());
    return font;
}

void placeControl(QWidget *control, QWidget *parent, const QRect &place)
{
    if (parent->parentWidget() && parent->parentWidget()->inherits("QStackedWidget")) {
        // On a tab page: the tab control places it once its page has a size.
        TabControl::setPlaceOnControl(control, place);
    } else if (auto *label = qobject_cast<AutoSizeLabel *>(control)) {
        label->fitToText();
    } else if (qobject_cast<QLabel *>(control)) {
        // A fixed label never cuts the foot of its own text.
        const int shortfall = control->fontMetrics().height() - place.height();
        control->setGeometry(place.adjusted(0, 0, 0, std::max(0, shortfall)));
    } else {
        control->setGeometry(place);
    }
}

// Withholds a font change from a list whose popup has not been built.
class FontChangeWithheld : public QObject
{
public:
    bool eventFilter(QObject *, QEvent *event) override
    {
        return event->type() == QEvent::FontChange;
    }
};

// Qt passes a list's new font on to its popup, and builds the popup for that: for the
// window's lists, never opened yet, 7 % of the work before the window shows. A popup built
// when the list first opens takes the list's font itself, and nothing else of a list not yet
// shown or sized depends on the font.
void setFontOfUnopenedList(QComboBox *list, const QFont &font)
{
    FontChangeWithheld withheld;
    list->installEventFilter(&withheld);
    list->setFont(font);
    list->removeEventFilter(&withheld);
}

void setUpDown(UpDown *upDown, NumberField *field, ParameterKey key)
{
    const FieldBounds bounds = fieldBounds(key);
    upDown->setRange(bounds.minimum, bounds.maximum);
    upDown->setValue(bounds.minimum);
    upDown->setBuddy(field);
}

} // namespace

MainControls buildMainWindowControls(QWidget *client)
{
    MainControls c;
    QList<QWidget *> inFront;
    for (const ControlRow &row : MainRows) {
        QWidget *parent = row.container(c);
        if (!parent)
            parent = client;
        const QRect place = pixelRect(row.left, row.top, row.width, row.height);
        QWidget *control = row.build(row, parent, place, c);
        control->setObjectName(QString::fromLatin1(row.name));
        // Panels and up-downs show no text of their own.
        const bool panel = control->metaObject() == &QFrame::staticMetaObject;
        if (auto *list = qobject_cast<QComboBox *>(control))
            setFontOfUnopenedList(list, rowFont(row, client));
        else if (!panel && !qobject_cast<UpDown *>(control))
            control->setFont(rowFont(row, client));
        if (row.foreground != kNoColour)
            control->setPalette(
                withColour(control->palette(), QPalette::WindowText, row.foreground));
        if (row.index >= 0)
            control->setProperty("index", row.index);
        if (row.flags & Front) {
            inFront << control;
            if (qobject_cast<QLabel *>(control))
                control->setAttribute(Qt::WA_TransparentForMouseEvents);
        }
        placeControl(control, parent, place);
    }

    // The bounds live in the parameter table, which the range check reads too.
    setUpDown(c.udMYID, c.txtMYID, ParameterKey::MYID);
    setUpDown(c.udSNUM, c.txtSNUM, ParameterKey::SNUM);
    setUpDown(c.udETIM, c.txtETIM, ParameterKey::ETIM);
    setUpDown(c.udPTIM, c.txtPTIM, ParameterKey::PTIM);

    c.tabAD->placePages();
    for (QWidget *control : std::as_const(inFront))
        control->raise();

    const QWidget *focusOrder[] = {
        c.cmbFRBD, c.cmbFRCH, c.cmdFrqdef, c.cmdFrqSet, c.tabAD,
        c.cmdPDIR[0], c.cmdPDIR[1], c.cmdPDIR[2], c.cmdPDIR[3], c.cmbLOGI, c.cmdDdef, c.cmdDSet,
        c.cmbAUIO, c.cmdAUIO[0], c.cmdAUIO[1], c.cmbADSL, c.cmbDASL, c.cmdAdef, c.cmdASet,
        c.cmbMODE, c.cmbTYPE, c.txtMYID, c.udMYID, c.txtSNUM, c.udSNUM, c.cmbREPT,
        c.txtETIM, c.udETIM, c.cmbDIVR, c.txtPTIM, c.udPTIM, c.cmbHOLD, c.cmbDOUT,
        c.cmdTuudef, c.cmdTuuSet, c.cmdPort, c.cmdDISP, c.cmdAllSet, c.cmdEnd,
    };
    for (std::size_t i = 1; i < std::size(focusOrder); ++i)
        QWidget::setTabOrder(const_cast<QWidget *>(focusOrder[i - 1]),
                             const_cast<QWidget *>(focusOrder[i]));
    return c;
}

MainMenus buildMainMenus(QMenuBar *bar)
{
    MainMenus m;
    // A context of their own: the menu 設定 (settings) is not the button 設定 (write).
    auto menu = [bar](const char *name, const char *caption) {
        QMenu *created = bar->addMenu(QCoreApplication::translate("Menus", caption));
        created->setObjectName(QString::fromLatin1(name));
        return created;
    };
    auto item = [](QMenu *in, const char *name, const char *caption) {
        QAction *action = in->addAction(QCoreApplication::translate("Menus", caption));
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };
    // In menu-bar order.
    m.mnuFile = menu("mnuFile", QT_TRANSLATE_NOOP("Menus", "ファイル"));
    m.mnuSave = item(m.mnuFile, "mnuSave", QT_TRANSLATE_NOOP("Menus", "保存"));
    m.mnuOpen = item(m.mnuFile, "mnuOpen", QT_TRANSLATE_NOOP("Menus", "読込"));
    m.mnuReport = item(m.mnuFile, "mnuReport", QT_TRANSLATE_NOOP("Menus", "報告書を保存"));
    m.mnuEdit = menu("mnuEdit", QT_TRANSLATE_NOOP("Menus", "設定"));
    m.mnuPort = item(m.mnuEdit, "mnuPort", QT_TRANSLATE_NOOP("Menus", "通信設定"));
    m.mnuVerify = item(m.mnuEdit, "mnuVerify", QT_TRANSLATE_NOOP("Menus", "書込後に照合"));
    m.mnuVerify->setCheckable(true);
    m.mnuProp = menu("mnuProp", QT_TRANSLATE_NOOP("Menus", "情報"));
    m.mnuErr = item(m.mnuProp, "mnuErr", QT_TRANSLATE_NOOP("Menus", "エラー情報"));
    m.mnuLog = item(m.mnuProp, "mnuLog", QT_TRANSLATE_NOOP("Menus", "通信ログ"));
    return m;
}

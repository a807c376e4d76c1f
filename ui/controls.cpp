#include "ui/controls.h"

#include "ui/directionbutton.h"
#include "ui/fonts.h"
#include "ui/updown.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QFrame>
#include <QGroupBox>
#include <QHash>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionTabWidgetFrame>
#include <QTabBar>
#include <QTabWidget>

#include <algorithm>

// ---------------------------------------------------------------------------------------------
// NumberField

NumberField::NumberField(QWidget *parent)
    : QLineEdit(parent)
{
    setMaxLength(3);
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setAttribute(Qt::WA_InputMethodEnabled, false);
}

void NumberField::keyPressEvent(QKeyEvent *event)
{
    // Ctrl and Meta combinations are shortcuts (copy, paste, undo), not typed characters, even
    // where the platform reports them with a printable text.
    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool shortcut = (mods & (Qt::ControlModifier | Qt::MetaModifier))
                          && !(mods & Qt::AltModifier);
    if (!shortcut && event->key() != Qt::Key_Delete) {
        const QString typed = event->text();
        const bool refused = std::any_of(typed.cbegin(), typed.cend(), [](QChar c) {
            const char16_t code = c.unicode();
            const bool control = code < 32 || code == 127;
            return !control && (code < u'0' || code > u'9');
        });
        if (refused) {
            event->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

void NumberField::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    const Qt::FocusReason reason = event->reason();
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
        return;
    // The application's focus widget is already the new one when the old one hears of it.
    const QWidget *next = QApplication::focusWidget();
    if (!next || next == this || next->window() != window())
        return;
    emit left();
}

// ---------------------------------------------------------------------------------------------
// AutoSizeLabel

AutoSizeLabel::AutoSizeLabel(const QRect &anchor, bool centred, QWidget *parent)
    : QLabel(parent)
    , m_anchor(anchor)
    , m_centred(centred)
{
    setAlignment((centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop);
    // A changed text on a shown window reaches us as a layout request to the parent.
    if (parent)
        parent->installEventFilter(this);
}

void AutoSizeLabel::fitToText()
{
    const QSize size = sizeHint().expandedTo(QSize(0, 0));
    const int left = m_centred ? m_anchor.left() + (m_anchor.width() - size.width()) / 2
                               : m_anchor.left();
    setGeometry(left, m_anchor.top(), size.width(), size.height());
}

bool AutoSizeLabel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget() && event->type() == QEvent::LayoutRequest
        && size() != sizeHint())
        fitToText();
    return QLabel::eventFilter(watched, event);
}

void AutoSizeLabel::showEvent(QShowEvent *event)
{
    if (size() != sizeHint())
        fitToText();
    QLabel::showEvent(event);
}

// ---------------------------------------------------------------------------------------------
// CaptionFrame

CaptionFrame::CaptionFrame(const QString &caption, QWidget *parent)
    : QGroupBox(caption, parent)
{
}

void CaptionFrame::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QFontMetrics metrics(font());
    const QRect line = rect().adjusted(0, metrics.height() / 2, -2, -2);
    // An etched line: a shadow with a highlight beside it.
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(line);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawRect(line.translated(1, 1));
    const QRect caption(6, 0, metrics.horizontalAdvance(title()) + 4, metrics.height());
    painter.fillRect(caption, palette().color(backgroundRole()));
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                   QPalette::WindowText));
    painter.drawText(caption, Qt::AlignCenter, title());
}

// ---------------------------------------------------------------------------------------------
// The table of controls

namespace {

// Catalogue places are in twips; 15 twips make one pixel at 96 dots per inch.
int pixels(int twips)
{
    return qRound(twips / 15.0);
}

QRect pixelRect(int left, int top, int width, int height)
{
    return QRect(pixels(left), pixels(top), pixels(width), pixels(height));
}

enum class Kind { Panel, Label, Frame, List, Number, Spin, Button, Direction, Tabs };

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

struct ControlRow
{
    const char *name;
    Kind kind;
    const char *parent;  // empty: the client area
    const char *text;    // caption, field text, or list entries / tab captions joined by '|'
    qreal points;        // 0: the window's default size in the Gothic face
    unsigned flags;
    QRgb foreground;
    QRgb background;
    int left, top, width, height;  // twips
    int index;                     // array index, -1 outside arrays
};

constexpr QRgb kPaleGreen = qRgb(224, 255, 224);
constexpr QRgb kCyan = qRgb(128, 255, 255);
constexpr QRgb kBlue = qRgb(0, 0, 255);
constexpr QRgb kRed = qRgb(255, 0, 0);
constexpr QRgb kBlack = qRgb(0, 0, 0);
constexpr QRgb kN = kNoColour;

// Parent before child. Later rows lie on top of earlier ones, and Front rows on top of all.
const ControlRow kMainRows[] = {
    {"picTitle", Kind::Panel, "", "", 0, NoFlags, kN, kBlue, 360, 120, 6495, 615, -1},
    {"lblTitle", Kind::Label, "picTitle", "ZRT-４８２１０シリーズ　設定プログラム", 15.75,
     AutoSize | Centred | Bold, kCyan, kN, 0, 120, 6435, 315, -1},
    {"picUnitVer", Kind::Panel, "", "", 0, NoFlags, kN, kCyan, 7080, 120, 2655, 855, -1},
    {"lblUnitVer1", Kind::Label, "picUnitVer", "ユニット種類", 12, Centred, kBlue, kN,
     0, 120, 2625, 240, -1},
    {"lblUnitVer2", Kind::Label, "picUnitVer", "バージョン", 12, Centred, kBlue, kN,
     0, 480, 2625, 240, -1},
    {"picConnect", Kind::Panel, "", "", 0, Front, kN, kPaleGreen, 7080, 120, 2655, 855, -1},
    {"lblNoCon", Kind::Label, "picConnect", "未接続", 26.25, AutoSize | Centred, kRed, kN,
     525, 150, 1605, 525, -1},

    {"FrameFrq", Kind::Frame, "", "周波数設定", 14.25, NoFlags, kN, kN,
     480, 1080, 3855, 2015, -1},
    {"lblFRBD", Kind::Label, "FrameFrq", "バンド", 11.25, AutoSize, kN, kN,
     240, 480, 585, 225, -1},
    {"cmbFRBD", Kind::List, "FrameFrq", "０|１|２|３", 9.75, NoFlags, kN, kN,
     2760, 430, 855, 315, -1},
    {"lblFRCH", Kind::Label, "FrameFrq", "チャンネル", 11.25, AutoSize, kN, kN,
     240, 930, 1005, 225, -1},
    {"cmbFRCH", Kind::List, "FrameFrq", "０|１|２|３|４|５|６|７", 9.75, NoFlags, kN, kN,
     2760, 880, 855, 315, -1},
    {"picFrq", Kind::Panel, "FrameFrq", "", 0, NoFlags, kN, kPaleGreen,
     120, 1320, 1455, 495, -1},
    {"lblFrq", Kind::Label, "picFrq", "周波数", 0, AutoSize, kN, kN, 30, 30, 540, 180, -1},
    {"lblFrqNum", Kind::Label, "picFrq", "", 12, AutoSize | Bold, kN, kN,
     120, 195, 90, 240, -1},
    {"cmdFrqdef", Kind::Button, "FrameFrq", "ﾃﾞﾌｫﾙﾄ", 12, NoFlags, kN, kN,
     1800, 1400, 975, 375, -1},
    {"cmdFrqSet", Kind::Button, "FrameFrq", "設定", 12, NoFlags, kN, kN,
     2880, 1400, 735, 375, -1},

    {"tabAD", Kind::Tabs, "", "デジタルユニット|アナログユニット", 12, NoFlags, kN, kN,
     240, 3360, 4335, 3195, -1},

    {"FrameDunit", Kind::Frame, "tabADPage0", "ＺＲＴ－４８２１０設定", 12, NoFlags, kN, kN,
     120, 480, 4095, 2025, -1},
    {"lblPDIR", Kind::Label, "FrameDunit", "Ｉ／Ｏポート設定", 9.75, AutoSize, kN, kN,
     240, 540, 1275, 195, -1},
    {"lblIO1_0", Kind::Label, "FrameDunit", "I/O1", 8.25, Centred | Front, kN, kN,
     1920, 345, 465, 285, 0},
    {"lblIO1_1", Kind::Label, "FrameDunit", "I/O2", 8.25, Centred | Front, kN, kN,
     2400, 345, 465, 285, 1},
    {"lblIO1_2", Kind::Label, "FrameDunit", "I/O3", 8.25, Centred | Front, kN, kN,
     2880, 345, 465, 285, 2},
    {"lblIO1_3", Kind::Label, "FrameDunit", "I/O4", 8.25, Centred | Front, kN, kN,
     3360, 345, 465, 285, 3},
    {"cmdPDIR_0", Kind::Direction, "FrameDunit", "", 8.25, NoFlags, kN, kN,
     1920, 480, 495, 300, 0},
    {"cmdPDIR_1", Kind::Direction, "FrameDunit", "", 8.25, NoFlags, kN, kN,
     2400, 480, 495, 300, 1},
    {"cmdPDIR_2", Kind::Direction, "FrameDunit", "", 8.25, NoFlags, kN, kN,
     2880, 480, 495, 300, 2},
    {"cmdPDIR_3", Kind::Direction, "FrameDunit", "", 8.25, NoFlags, kN, kN,
     3360, 480, 495, 300, 3},
    {"lblLOGI", Kind::Label, "FrameDunit", "ポート出力論理", 9.75, AutoSize, kN, kN,
     240, 950, 1260, 195, -1},
    {"cmbLOGI", Kind::List, "FrameDunit", "正論理|負論理（反転出力）", 9.75, NoFlags, kN, kN,
     1920, 890, 1935, 315, -1},
    {"cmdDdef", Kind::Button, "FrameDunit", "ﾃﾞﾌｫﾙﾄ", 12, NoFlags, kN, kN,
     2040, 1410, 975, 375, -1},
    {"cmdDSet", Kind::Button, "FrameDunit", "設定", 12, NoFlags, kN, kN,
     3120, 1410, 735, 375, -1},

    {"FrameAunit", Kind::Frame, "tabADPage1", "ＺＲＴ－４８２２０，４８２２１設定", 12,
     NoFlags, kN, kN, 120, 480, 4095, 2475, -1},
    {"lblAUIO", Kind::Label, "FrameAunit", "Ｉ／Ｏポート設定", 9.75, AutoSize, kN, kN,
     240, 540, 1275, 195, -1},
    {"cmbAUIO", Kind::List, "FrameAunit", "使用|未使用", 9.75, NoFlags, kN, kN,
     1920, 480, 975, 315, -1},
    {"lblIO2_0", Kind::Label, "FrameAunit", "I/O1", 8.25, Centred | Front, kN, kN,
     2880, 345, 465, 285, 0},
    {"lblIO2_1", Kind::Label, "FrameAunit", "I/O2", 8.25, Centred | Front, kN, kN,
     3360, 345, 465, 285, 1},
    {"cmdAUIO_0", Kind::Direction, "FrameAunit", "", 8.25, NoFlags, kN, kN,
     2880, 480, 495, 300, 0},
    {"cmdAUIO_1", Kind::Direction, "FrameAunit", "", 8.25, NoFlags, kN, kN,
     3360, 480, 495, 300, 1},
    {"lblADSL", Kind::Label, "FrameAunit", "Ａ／Ｄコンバータ", 9.75, AutoSize, kN, kN,
     240, 950, 1320, 195, -1},
    {"cmbADSL", Kind::List, "FrameAunit", "１２ビット|１０ビット", 9.75, NoFlags, kN, kN,
     2400, 890, 1455, 315, -1},
    {"lblDASL", Kind::Label, "FrameAunit", "Ｄ／Ａコンバータ", 9.75, AutoSize, kN, kN,
     240, 1400, 1320, 195, -1},
    {"cmbDASL", Kind::List, "FrameAunit", "１２ビット|１０ビット", 9.75, NoFlags, kN, kN,
     2400, 1340, 1455, 315, -1},
    {"cmdAdef", Kind::Button, "FrameAunit", "ﾃﾞﾌｫﾙﾄ", 12, NoFlags, kN, kN,
     2040, 1860, 975, 375, -1},
    {"cmdASet", Kind::Button, "FrameAunit", "設定", 12, NoFlags, kN, kN,
     3120, 1860, 735, 375, -1},

    {"FrameTuu", Kind::Frame, "", "通信設定", 14.25, NoFlags, kN, kN,
     4920, 1080, 4935, 5615, -1},
    {"lblMODE", Kind::Label, "FrameTuu", "動作モード", 11.25, AutoSize, kN, kN,
     240, 480, 1020, 225, -1},
    {"cmbMODE", Kind::List, "FrameTuu",
     "１対１通信|１対Ｎ通信・ユニット分散|１対Ｎ通信・１チャンネル分散|"
     "１対Ｎ通信・２チャンネル分散|１対Ｎ通信・４チャンネル分散|１対Ｎ通信・データ収集",
     9.75, NoFlags, kN, kN, 1800, 430, 2895, 315, -1},
    {"lblTYPE", Kind::Label, "FrameTuu", "機種設定", 11.25, AutoSize, kN, kN,
     240, 930, 900, 225, -1},
    {"cmbTYPE", Kind::List, "FrameTuu", "スレーブ|マスター|リピーター", 9.75, NoFlags, kN, kN,
     3120, 880, 1575, 315, -1},
    {"lblMYID", Kind::Label, "FrameTuu", "自己ＩＤ [001～200]", 11.25, AutoSize, kN, kN,
     240, 1380, 1845, 225, -1},
    {"txtMYID", Kind::Number, "FrameTuu", "001", 11.25, NoFlags, kN, kN,
     3900, 1322, 545, 330, -1},
    {"udMYID", Kind::Spin, "FrameTuu", "", 0, NoFlags, kN, kN, 4425, 1330, 240, 315, -1},
    {"lblSNUM", Kind::Label, "FrameTuu", "子機台数 [001～200]", 11.25, AutoSize, kN, kN,
     240, 1830, 2070, 225, -1},
    {"txtSNUM", Kind::Number, "FrameTuu", "001", 11.25, NoFlags, kN, kN,
     3900, 1772, 545, 330, -1},
    {"udSNUM", Kind::Spin, "FrameTuu", "", 0, NoFlags, kN, kN, 4425, 1780, 240, 315, -1},
    {"lblREPT", Kind::Label, "FrameTuu", "中継機経由", 11.25, AutoSize, kN, kN,
     240, 2280, 1125, 225, -1},
    {"cmbREPT", Kind::List, "FrameTuu", "なし|あり", 9.75, NoFlags, kN, kN,
     3120, 2230, 1575, 315, -1},
    {"lblETIM", Kind::Label, "FrameTuu", "通信断時間 [001～255]", 11.25, AutoSize, kN, kN,
     240, 2730, 2295, 225, -1},
    {"txtETIM", Kind::Number, "FrameTuu", "005", 11.25, NoFlags, kN, kN,
     3900, 2672, 545, 330, -1},
    {"udETIM", Kind::Spin, "FrameTuu", "", 0, NoFlags, kN, kN, 4425, 2680, 240, 315, -1},
    {"lblDIVR", Kind::Label, "FrameTuu", "アンテナ", 11.25, AutoSize, kN, kN,
     240, 3180, 795, 225, -1},
    {"cmbDIVR", Kind::List, "FrameTuu", "シングル|ダイバーシティ", 9.75, NoFlags, kN, kN,
     3120, 3130, 1575, 315, -1},
    {"lblPTIM", Kind::Label, "FrameTuu", "ポーリング間隔 [000～100]", 11.25, AutoSize, kN, kN,
     240, 3630, 2610, 225, -1},
    {"txtPTIM", Kind::Number, "FrameTuu", "000", 11.25, NoFlags, kN, kN,
     3900, 3572, 545, 330, -1},
    {"udPTIM", Kind::Spin, "FrameTuu", "", 0, NoFlags, kN, kN, 4425, 3580, 240, 315, -1},
    {"lblHOLD", Kind::Label, "FrameTuu", "ポート出力状態", 11.25, AutoSize, kN, kN,
     240, 4080, 1470, 225, -1},
    {"cmbHOLD", Kind::List, "FrameTuu", "ポート出力ＯＦＦ|直前の出力状態を保持", 9.75,
     NoFlags, kN, kN, 2280, 4030, 2415, 315, -1},
    {"lblDOUT", Kind::Label, "FrameTuu", "受信データ出力", 11.25, AutoSize, kN, kN,
     240, 4530, 1485, 225, -1},
    {"cmbDOUT", Kind::List, "FrameTuu", "ＲＳ－２３２Ｃ出力しない|ＲＳ－２３２Ｃ出力する",
     9.75, NoFlags, kN, kN, 2280, 4480, 2415, 315, -1},
    {"cmdTuudef", Kind::Button, "FrameTuu", "ﾃﾞﾌｫﾙﾄ", 12, NoFlags, kN, kN,
     2880, 5000, 975, 375, -1},
    {"cmdTuuSet", Kind::Button, "FrameTuu", "設定", 12, NoFlags, kN, kN,
     3960, 5000, 735, 375, -1},

    {"cmdPort", Kind::Button, "", "接続", 14.25, NoFlags, kN, kN, 600, 6960, 1695, 495, -1},
    {"cmdDISP", Kind::Button, "", "設定値読込", 14.25, NoFlags, kN, kN,
     3000, 6960, 1695, 495, -1},
    {"cmdAllSet", Kind::Button, "", "一括設定", 14.25, NoFlags, kN, kN,
     5400, 6960, 1695, 495, -1},
    {"cmdEnd", Kind::Button, "", "終了", 14.25, NoFlags, kN, kN, 7800, 6960, 1695, 495, -1},
    {"picStat", Kind::Panel, "", "", 0, NoFlags, kN, kPaleGreen, 960, 7680, 8175, 375, -1},
    {"lblStat", Kind::Label, "picStat", "*** 待機中 ***", 14.25, Centred | Bold, kBlack, kN,
     0, 15, 8115, 285, -1},
};

struct SpinRow
{
    const char *name;
    const char *field;
    int minimum;
    int maximum;
};

// The only home of these bounds: the range check reads them back from the controls.
const SpinRow kSpinRows[] = {
    {"udMYID", "txtMYID", 1, 200},
    {"udSNUM", "txtSNUM", 1, 200},
    {"udETIM", "txtETIM", 1, 255},
    {"udPTIM", "txtPTIM", 0, 100},
};

const char *const kFocusOrder[] = {
    "cmbFRBD", "cmbFRCH", "cmdFrqdef", "cmdFrqSet", "tabAD",
    "cmdPDIR_0", "cmdPDIR_1", "cmdPDIR_2", "cmdPDIR_3", "cmbLOGI", "cmdDdef", "cmdDSet",
    "cmbAUIO", "cmdAUIO_0", "cmdAUIO_1", "cmbADSL", "cmbDASL", "cmdAdef", "cmdASet",
    "cmbMODE", "cmbTYPE", "txtMYID", "udMYID", "txtSNUM", "udSNUM", "cmbREPT",
    "txtETIM", "udETIM", "cmbDIVR", "txtPTIM", "udPTIM", "cmbHOLD", "cmbDOUT",
    "cmdTuudef", "cmdTuuSet", "cmdPort", "cmdDISP", "cmdAllSet", "cmdEnd",
};

// Tab height of the tab control, twips.
constexpr int kTabHeightTwips = 520;

// Where a control on a tab page belongs, in pixels relative to the tab control itself.
const char *const kTabPlaceProperty = "tabControlRect";

// Tabs of one row sharing the control's width evenly, at a fixed height, as the catalogue's
// tab control draws them; the captions never get elided or scrolled.
class EvenTabBar : public QTabBar
{
public:
    EvenTabBar(int rowWidth, int tabHeight)
        : m_rowWidth(rowWidth)
        , m_tabHeight(tabHeight)
    {
        setElideMode(Qt::ElideNone);
        setUsesScrollButtons(false);
        setExpanding(false);
    }

protected:
    QSize tabSizeHint(int) const override
    {
        return QSize(m_rowWidth / std::max(1, count()), m_tabHeight);
    }
    QSize minimumTabSizeHint(int index) const override { return tabSizeHint(index); }

private:
    int m_rowWidth;
    int m_tabHeight;
};

// Keeps the controls of each page where the catalogue puts them relative to the tab control's
// own top-left corner, whatever height the style gives the tab row and the pane border.
class TabControl : public QTabWidget
{
public:
    TabControl(const QRect &place, QWidget *parent)
        : QTabWidget(parent)
    {
        setGeometry(place);
        // Less the pane border, so that the row never runs past the control's right edge.
        setTabBar(new EvenTabBar(place.width() - 2, pixels(kTabHeightTwips)));
    }

    void placePages()
    {
        QStyleOptionTabWidgetFrame option;
        initStyleOption(&option);
        const QPoint pageOrigin =
            style()->subElementRect(QStyle::SE_TabWidgetTabContents, &option, this).topLeft();
        for (int i = 0; i < count(); ++i) {
            const auto children = widget(i)->findChildren<QWidget *>(
                QString(), Qt::FindDirectChildrenOnly);
            for (QWidget *child : children) {
                const QVariant wanted = child->property(kTabPlaceProperty);
                if (!wanted.isValid())
                    continue;
                QRect place = wanted.toRect().translated(-pageOrigin);
                // A style with a taller tab row pushes the panel down rather than cut its top.
                place.moveTopLeft(QPoint(std::max(0, place.left()), std::max(0, place.top())));
                child->setGeometry(place);
            }
        }
    }

protected:
    void resizeEvent(QResizeEvent *event) override
    {
        QTabWidget::resizeEvent(event);
        placePages();
    }
    void showEvent(QShowEvent *event) override
    {
        QTabWidget::showEvent(event);
        placePages();
    }
};

QPalette withColour(QPalette palette, QPalette::ColorRole role, QRgb colour)
{
    palette.setColor(role, QColor::fromRgb(colour));
    return palette;
}

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

QWidget *createControl(const ControlRow &row, QWidget *parent, const QRect &place)
{
    const QString text = QString::fromUtf8(row.text);
    switch (row.kind) {
    case Kind::Panel: {
        auto *panel = new QFrame(parent);
        panel->setFrameShape(QFrame::NoFrame);
        panel->setAutoFillBackground(true);
        panel->setPalette(withColour(panel->palette(), QPalette::Window, row.background));
        return panel;
    }
    case Kind::Label: {
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
    }
    case Kind::Frame:
        return new CaptionFrame(text, parent);
    case Kind::List: {
        auto *list = new QComboBox(parent);
        list->setEditable(false);
        list->addItems(text.split(u'|'));
        list->setCurrentIndex(-1);
        QPalette palette = list->palette();
        palette.setColor(QPalette::Base, Qt::white);
        palette.setColor(QPalette::Button, Qt::white);
        list->setPalette(palette);
        return list;
    }
    case Kind::Number: {
        auto *field = new NumberField(parent);
        field->setText(text);
        field->setPalette(withColour(field->palette(), QPalette::Base, qRgb(255, 255, 255)));
        return field;
    }
    case Kind::Spin:
        return new UpDown(parent);
    case Kind::Button:
        return new QPushButton(text, parent);
    case Kind::Direction: {
        auto *button = new DirectionButton(parent);
        button->setIndex(row.index);
        return button;
    }
    case Kind::Tabs: {
        auto *tabs = new TabControl(place, parent);
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
    return nullptr;
}

} // namespace

void buildMainWindowControls(QWidget *client)
{
    QHash<QString, QWidget *> byName;
    QList<QTabWidget *> tabControls;

    for (const ControlRow &row : kMainRows) {
        const QString parentName = QString::fromUtf8(row.parent);
        QWidget *parent = parentName.isEmpty() ? client : byName.value(parentName);
        Q_ASSERT_X(parent, "buildMainWindowControls", row.name);
        const QRect place = pixelRect(row.left, row.top, row.width, row.height);

        QWidget *control = createControl(row, parent, place);
        control->setObjectName(QString::fromUtf8(row.name));
        if (row.kind != Kind::Panel && row.kind != Kind::Spin)
            control->setFont(rowFont(row, client));
        if (row.foreground != kNoColour)
            control->setPalette(
                withColour(control->palette(), QPalette::WindowText, row.foreground));
        if (row.index >= 0)
            control->setProperty("index", row.index);
        if ((row.flags & Front) && row.kind == Kind::Label)
            control->setAttribute(Qt::WA_TransparentForMouseEvents);

        if (parent->parentWidget() && parent->parentWidget()->inherits("QStackedWidget")) {
            // On a tab page: the tab control places it once its page has a size.
            control->setProperty(kTabPlaceProperty, place);
            control->setGeometry(place);
        } else if (auto *label = qobject_cast<AutoSizeLabel *>(control)) {
            label->fitToText();
        } else if (row.kind == Kind::Label) {
            // A fixed label never cuts the foot of its own text.
            const int shortfall = control->fontMetrics().height() - place.height();
            control->setGeometry(place.adjusted(0, 0, 0, std::max(0, shortfall)));
        } else {
            control->setGeometry(place);
        }

        byName.insert(control->objectName(), control);
        if (auto *tabs = qobject_cast<QTabWidget *>(control)) {
            tabControls.append(tabs);
            for (int i = 0; i < tabs->count(); ++i)
                byName.insert(tabs->widget(i)->objectName(), tabs->widget(i));
        }
    }

    for (const SpinRow &row : kSpinRows) {
        auto *spin = static_cast<UpDown *>(byName.value(QString::fromUtf8(row.name)));
        auto *field = static_cast<QLineEdit *>(byName.value(QString::fromUtf8(row.field)));
        spin->setRange(row.minimum, row.maximum);
        spin->setValue(row.minimum);
        spin->setBuddy(field);
    }

    for (QTabWidget *tabs : tabControls)
        static_cast<TabControl *>(tabs)->placePages();

    for (const ControlRow &row : kMainRows) {
        if (row.flags & Front)
            byName.value(QString::fromUtf8(row.name))->raise();
    }

    QWidget *previous = nullptr;
    for (const char *name : kFocusOrder) {
        QWidget *current = byName.value(QString::fromUtf8(name));
        Q_ASSERT_X(current, "buildMainWindowControls", name);
        if (previous)
            QWidget::setTabOrder(previous, current);
        previous = current;
    }
}

void buildMainMenus(QMenuBar *bar)
{
    struct MenuRow
    {
        const char *menu;
        const char *menuCaption;
        const char *item;
        const char *itemCaption;
    };
    // In menu-bar order; rows of one menu follow each other.
    const MenuRow rows[] = {
        {"mnuFile", "ファイル", "mnuSave", "保存"},
        {"mnuFile", "ファイル", "mnuOpen", "読込"},
        {"mnuEdit", "設定", "mnuPort", "通信設定"},
        {"mnuProp", "情報", "mnuErr", "エラー情報"},
    };
    QMenu *menu = nullptr;
    for (const MenuRow &row : rows) {
        const QString menuName = QString::fromUtf8(row.menu);
        if (!menu || menu->objectName() != menuName) {
            menu = bar->addMenu(QString::fromUtf8(row.menuCaption));
            menu->setObjectName(menuName);
        }
        QAction *action = menu->addAction(QString::fromUtf8(row.itemCaption));
        action->setObjectName(QString::fromUtf8(row.item));
    }
}

#pragma once

#include <array>

class CaptionFrame;
class DirectionButton;
class NumberField;
class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;
class QWidget;
class TabControl;
class UpDown;

// Every control of the main window under its catalogue name. The window reaches its controls
// only through these handles, so a misspelt name does not compile. Control arrays are
// std::arrays; their widgets are named name_index and carry an int "index" property.
struct MainControls
{
    QFrame *picTitle = nullptr;
    QLabel *lblTitle = nullptr;
    QFrame *picUnitVer = nullptr;
    QLabel *lblUnitVer1 = nullptr;
    QLabel *lblUnitVer2 = nullptr;
    QFrame *picConnect = nullptr;
    QLabel *lblNoCon = nullptr;

    CaptionFrame *FrameFrq = nullptr;
    QLabel *lblFRBD = nullptr;
    QComboBox *cmbFRBD = nullptr;
    QLabel *lblFRCH = nullptr;
    QComboBox *cmbFRCH = nullptr;
    QFrame *picFrq = nullptr;
    QLabel *lblFrq = nullptr;
    QLabel *lblFrqNum = nullptr;
    QPushButton *cmdFrqdef = nullptr;
    QPushButton *cmdFrqSet = nullptr;

    TabControl *tabAD = nullptr;
    QWidget *tabADPage0 = nullptr;
    QWidget *tabADPage1 = nullptr;

    CaptionFrame *FrameDunit = nullptr;
    QLabel *lblPDIR = nullptr;
    std::array<QLabel *, 4> lblIO1{};
    std::array<DirectionButton *, 4> cmdPDIR{};
    QLabel *lblLOGI = nullptr;
    QComboBox *cmbLOGI = nullptr;
    QPushButton *cmdDdef = nullptr;
    QPushButton *cmdDSet = nullptr;

    CaptionFrame *FrameAunit = nullptr;
    QLabel *lblAUIO = nullptr;
    QComboBox *cmbAUIO = nullptr;
    std::array<QLabel *, 2> lblIO2{};
    std::array<DirectionButton *, 2> cmdAUIO{};
    QLabel *lblADSL = nullptr;
    QComboBox *cmbADSL = nullptr;
    QLabel *lblDASL = nullptr;
    QComboBox *cmbDASL = nullptr;
    QPushButton *cmdAdef = nullptr;
    QPushButton *cmdASet = nullptr;

    CaptionFrame *FrameTuu = nullptr;
    QLabel *lblMODE = nullptr;
    QComboBox *cmbMODE = nullptr;
    QLabel *lblTYPE = nullptr;
    QComboBox *cmbTYPE = nullptr;
    QLabel *lblMYID = nullptr;
    NumberField *txtMYID = nullptr;
    UpDown *udMYID = nullptr;
    QLabel *lblSNUM = nullptr;
    NumberField *txtSNUM = nullptr;
    UpDown *udSNUM = nullptr;
    QLabel *lblREPT = nullptr;
    QComboBox *cmbREPT = nullptr;
    QLabel *lblETIM = nullptr;
    NumberField *txtETIM = nullptr;
    UpDown *udETIM = nullptr;
    QLabel *lblDIVR = nullptr;
    QComboBox *cmbDIVR = nullptr;
    QLabel *lblPTIM = nullptr;
    NumberField *txtPTIM = nullptr;
    UpDown *udPTIM = nullptr;
    QLabel *lblHOLD = nullptr;
    QComboBox *cmbHOLD = nullptr;
    QLabel *lblDOUT = nullptr;
    QComboBox *cmbDOUT = nullptr;
    QPushButton *cmdTuudef = nullptr;
    QPushButton *cmdTuuSet = nullptr;

    QPushButton *cmdPort = nullptr;
    QPushButton *cmdDISP = nullptr;
    QPushButton *cmdAllSet = nullptr;
    QPushButton *cmdEnd = nullptr;
    QFrame *picStat = nullptr;
    QLabel *lblStat = nullptr;
};

// The menus ファイル (保存, 読込), 設定 (通信設定, then the checkable 書込後に照合) and 情報
// (エラー情報, then 通信ログ).
struct MainMenus
{
    QMenu *mnuFile = nullptr;
    QAction *mnuSave = nullptr;
    QAction *mnuOpen = nullptr;
    QAction *mnuReport = nullptr;  // after the catalogued items
    QMenu *mnuEdit = nullptr;
    QAction *mnuPort = nullptr;
    QAction *mnuVerify = nullptr;
    QMenu *mnuProp = nullptr;
    QAction *mnuErr = nullptr;
    QAction *mnuLog = nullptr;
};

// Creates every control of the main window inside `client` (673 x 550 pixels) from the control
// table, with its catalogue name, text, font, colours and place, and sets the focus order.
MainControls buildMainWindowControls(QWidget *client);
MainMenus buildMainMenus(QMenuBar *bar);

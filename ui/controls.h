#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRect>

class QFocusEvent;
class QKeyEvent;
class QMenuBar;
class QWidget;

// A three-character number field: only the digits 0..9 and control characters (code below 32,
// so editing keys and Ctrl shortcuts) get through as typed; the input method is off.
class NumberField : public QLineEdit
{
    Q_OBJECT

public:
    explicit NumberField(QWidget *parent = nullptr);

signals:
    // The focus moved from this field to another control of the same window. Not emitted when
    // the window loses activation (a message box or another window) or a menu pops up.
    void left();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
};

// A label that keeps the size of its text, as the auto-size labels of the window do. It fits
// itself when built, when shown (text set while the window was hidden), and after a text change
// on a visible window, once the parent handles the layout request that the change posts. Left
// and top stay put; a centred label keeps its horizontal centre on the anchor instead.
class AutoSizeLabel : public QLabel
{
    Q_OBJECT

public:
    AutoSizeLabel(const QRect &anchor, bool centred, QWidget *parent);

    void fitToText();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    QRect m_anchor;
    bool m_centred;
};

// A frame drawn as the tool's frames have always looked: the line runs through the middle of
// the caption, so that controls placed close under the caption stay clear of it.
class CaptionFrame : public QGroupBox
{
    Q_OBJECT

public:
    CaptionFrame(const QString &caption, QWidget *parent);

protected:
    void paintEvent(QPaintEvent *event) override;
};

// Creates every control of the main window inside client (673 x 550 pixels), each named as in
// the control catalogue; control arrays are named name_index and carry an int "index" property.
// Also sets the keyboard focus order.
void buildMainWindowControls(QWidget *client);

// The menus ファイル (保存, 読込), 設定 (通信設定) and 情報 (エラー情報).
void buildMainMenus(QMenuBar *bar);

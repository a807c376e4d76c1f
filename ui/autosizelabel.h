#pragma once

#include <QLabel>
#include <QRect>

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

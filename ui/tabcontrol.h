#pragma once

#include <QTabBar>
#include <QTabWidget>

// Tabs of one row sharing the control's width evenly, at a fixed height, as the catalogue's
// tab control draws them; the captions never get elided or scrolled.
class EvenTabBar : public QTabBar
{
    Q_OBJECT

public:
    EvenTabBar(int rowWidth, int tabHeight, QWidget *parent = nullptr);

protected:
    QSize tabSizeHint(int index) const override;
    QSize minimumTabSizeHint(int index) const override;

private:
    int m_rowWidth;
    int m_tabHeight;
};

// Keeps the controls of each page where the catalogue puts them relative to the tab control's
// own top-left corner, whatever height the style gives the tab row and the pane border.
class TabControl : public QTabWidget
{
    Q_OBJECT

public:
    TabControl(const QRect &place, int tabHeight, QWidget *parent);

    // Where a control on a page belongs, in pixels relative to the tab control itself.
    static void setPlaceOnControl(QWidget *pageChild, const QRect &place);
    void placePages();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
};

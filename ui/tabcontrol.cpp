#include "ui/tabcontrol.h"

#include <QStyle>
#include <QStyleOptionTabWidgetFrame>

#include <algorithm>

namespace {
const char *const PlaceProperty = "tabControlRect";
} // namespace

EvenTabBar::EvenTabBar(int rowWidth, int tabHeight, QWidget *parent)
    : QTabBar(parent)
    , m_rowWidth(rowWidth)
    , m_tabHeight(tabHeight)
{
    setElideMode(Qt::ElideNone);
    setUsesScrollButtons(false);
    setExpanding(false);
}

QSize EvenTabBar::tabSizeHint(int) const
{
    return QSize(m_rowWidth / std::max(1, count()), m_tabHeight);
}

QSize EvenTabBar::minimumTabSizeHint(int index) const
{
    return tabSizeHint(index);
}

TabControl::TabControl(const QRect &place, int tabHeight, QWidget *parent)
    : QTabWidget(parent)
{
    setGeometry(place);
    // Less the pane border, so that the row never runs past the control's right edge.
    setTabBar(new EvenTabBar(place.width() - 2, tabHeight));
}

void TabControl::setPlaceOnControl(QWidget *pageChild, const QRect &place)
{
    pageChild->setProperty(PlaceProperty, place);
    pageChild->setGeometry(place);
}

void TabControl::placePages()
{
    QStyleOptionTabWidgetFrame option;
    initStyleOption(&option);
    const QPoint pageOrigin =
        style()->subElementRect(QStyle::SE_TabWidgetTabContents, &option, this).topLeft();
    for (int i = 0; i < count(); ++i) {
        const auto children =
            widget(i)->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
        for (QWidget *child : children) {
            const QVariant wanted = child->property(PlaceProperty);
            if (!wanted.isValid())
                continue;
            QRect place = wanted.toRect().translated(-pageOrigin);
            // A style with a taller tab row pushes the panel down rather than cut its top.
            place.moveTopLeft(QPoint(std::max(0, place.left()), std::max(0, place.top())));
            child->setGeometry(place);
        }
    }
}

void TabControl::resizeEvent(QResizeEvent *event)
{
    QTabWidget::resizeEvent(event);
    placePages();
}

void TabControl::showEvent(QShowEvent *event)
{
    QTabWidget::showEvent(event);
    placePages();
}

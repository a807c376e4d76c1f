#include "ui/autosizelabel.h"

#include <QEvent>

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

#include "ui/updown.h"

#include "ui/texts.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

#include <algorithm>

namespace {
// Held-button repeat, close to the platform's own spin arrows.
constexpr int kRepeatDelayMs = 400;
constexpr int kRepeatIntervalMs = 60;
}

UpDown::UpDown(QWidget *parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(Texts::upDownName());
    setAccessibleDescription(Texts::upDownDescription());
    m_repeat.setSingleShot(false);
    connect(&m_repeat, &QTimer::timeout, this, &UpDown::repeatStep);
}

void UpDown::setRange(int min, int max)
{
    if (max < min)
        std::swap(min, max);
    m_min = min;
    m_max = max;
    m_value = std::clamp(m_value, m_min, m_max);
}

int UpDown::minimum() const
{
    return m_min;
}

int UpDown::maximum() const
{
    return m_max;
}

int UpDown::value() const
{
    return m_value;
}

void UpDown::setValue(int value)
{
    m_value = std::clamp(value, m_min, m_max);
}

void UpDown::setBuddy(QLineEdit *field)
{
    m_buddy = field;
}

QLineEdit *UpDown::buddy() const
{
    return m_buddy;
}

void UpDown::stepBy(int steps)
{
    if (!isEnabled())
        return;
    bool fieldIsNumber = false;
    const int shown = m_buddy ? m_buddy->text().toInt(&fieldIsNumber, 10) : 0;
    const int start = fieldIsNumber ? std::clamp(shown, m_min, m_max) : m_value;
    // Widened so that a step near INT_MAX cannot overflow before clamping.
    const qint64 wanted = qint64(start) + steps;
    const int result = int(std::clamp<qint64>(wanted, m_min, m_max));
    if (result == m_value && fieldIsNumber && shown == result)
        return;
    m_value = result;
    if (m_buddy)
        m_buddy->setText(QString::number(result));
    emit valueChanged(result);
}

QSize UpDown::sizeHint() const
{
    return QSize(16, 21);
}

QRect UpDown::halfRect(Half half) const
{
    const int upHeight = height() / 2;
    if (half == Half::Up)
        return QRect(0, 0, width(), upHeight);
    return QRect(0, upHeight, width(), height() - upHeight);
}

void UpDown::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    for (Half half : {Half::Up, Half::Down}) {
        QStyleOptionButton button;
        button.initFrom(this);
        button.rect = halfRect(half);
        button.state &= ~QStyle::State_HasFocus;
        if (m_pressed == half && isEnabled())
            button.state |= QStyle::State_Sunken;
        else
            button.state |= QStyle::State_Raised;
        style()->drawPrimitive(QStyle::PE_PanelButtonCommand, &button, &painter, this);

        QStyleOption arrow(button);
        arrow.rect = button.rect.adjusted(3, 2, -3, -2);
        if (m_pressed == half && isEnabled())
            arrow.rect.translate(1, 1);
        const auto element = half == Half::Up ? QStyle::PE_IndicatorArrowUp
                                              : QStyle::PE_IndicatorArrowDown;
        style()->drawPrimitive(element, &arrow, &painter, this);
    }
    if (hasFocus()) {
        // Both halves are one control: one focus mark round the whole of it.
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(1, 1, -1, -1);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

void UpDown::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !isEnabled()) {
        event->ignore();
        return;
    }
    m_pressed = event->position().y() < halfRect(Half::Up).bottom() + 1 ? Half::Up : Half::Down;
    update();
    stepBy(m_pressed == Half::Up ? 1 : -1);
    m_repeat.start(kRepeatDelayMs);
}

void UpDown::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        stopRepeat();
}

void UpDown::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Up:
        stepBy(1);
        break;
    case Qt::Key_Down:
        stepBy(-1);
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void UpDown::changeEvent(QEvent *event)
{
    // A control disabled while held must not keep stepping.
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        stopRepeat();
    QWidget::changeEvent(event);
}

void UpDown::repeatStep()
{
    if (m_pressed == Half::None) {
        m_repeat.stop();
        return;
    }
    m_repeat.setInterval(kRepeatIntervalMs);
    stepBy(m_pressed == Half::Up ? 1 : -1);
}

void UpDown::stopRepeat()
{
    m_repeat.stop();
    if (m_pressed != Half::None) {
        m_pressed = Half::None;
        update();
    }
}

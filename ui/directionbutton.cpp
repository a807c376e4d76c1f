#include "ui/directionbutton.h"

#include "ui/texts.h"

namespace {
const QString kOutputFlag = QStringLiteral("0");
const QString kInputFlag = QStringLiteral("1");
}

DirectionButton::DirectionButton(QWidget *parent)
    : QPushButton(parent)
{
    // Connected first, so every later click handler already sees the new flag.
    connect(this, &QPushButton::clicked, this, &DirectionButton::toggleDirection);
    setFlag(kOutputFlag);
}

QString DirectionButton::flag() const
{
    return m_flag;
}

void DirectionButton::setFlag(const QString &flag)
{
    m_flag = flag;
    setText(Texts::directionCaption(flag));
}

void DirectionButton::toggleDirection()
{
    setFlag(m_flag == kOutputFlag ? kInputFlag : kOutputFlag);
}

int DirectionButton::index() const
{
    return m_index;
}

void DirectionButton::setIndex(int index)
{
    m_index = index;
}

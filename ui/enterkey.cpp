#include "ui/enterkey.h"

#include <QKeyEvent>
#include <QPushButton>

void EnterPressesButton::installOnButtonsOf(QWidget *window)
{
    auto *filter = new EnterPressesButton(window);
    const auto buttons = window->findChildren<QPushButton *>();
    for (QPushButton *button : buttons)
        button->installEventFilter(filter);
}

bool EnterPressesButton::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (!enter || (key->modifiers() & ~Qt::KeypadModifier))
        return QObject::eventFilter(watched, event);
    auto *button = static_cast<QPushButton *>(watched);
    // Held down, the key repeats; one press is one click.
    if (!key->isAutoRepeat() && button->isEnabled())
        button->click();
    return true;
}

#include "ui/numberfield.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>

#include <algorithm>

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

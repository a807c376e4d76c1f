#pragma once

#include <QLineEdit>

class QFocusEvent;
class QKeyEvent;

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

#pragma once

#include <QObject>

class QWidget;

// Return and Enter press the focused push button, as they do on Windows, where the tool's users
// come from; outside dialogs Qt presses a button only with Space. Lists and number fields are
// left alone: the filter sits on the buttons only.
class EnterPressesButton : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // Installs one filter, owned by `window`, on every push button inside it.
    static void installOnButtonsOf(QWidget *window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>

class QLineEdit;

// A pair of arrow buttons bound to a text field: each step moves the number by one within a
// fixed range and writes it into the field. Not a spin box: the field stays a separate control.
class UpDown : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int minimum READ minimum)
    Q_PROPERTY(int maximum READ maximum)
    Q_PROPERTY(int value READ value WRITE setValue)

public:
    explicit UpDown(QWidget *parent = nullptr);

    // Swaps reversed bounds and pulls value() into the new range.
    void setRange(int min, int max);
    int minimum() const;
    int maximum() const;
    int value() const;
    // Clamped into the range; writes nothing into the field and emits nothing.
    void setValue(int value);

    void setBuddy(QLineEdit *field);
    QLineEdit *buddy() const;

    // Starts from the field's number when it is an integer, otherwise from value(); writes the
    // clamped result as a plain number into the field and emits valueChanged() when anything
    // changed. Does nothing while disabled.
    void stepBy(int steps);

    QSize sizeHint() const override;

signals:
    void valueChanged(int value);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    enum class Half { None, Up, Down };

    QRect halfRect(Half half) const;
    void repeatStep();
    void stopRepeat();

    int m_min = 0;
    int m_max = 100;
    int m_value = 0;
    QPointer<QLineEdit> m_buddy;
    Half m_pressed = Half::None;
    QTimer m_repeat;
};

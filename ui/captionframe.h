#pragma once

#include <QGroupBox>

// A frame drawn as the tool's frames have always looked: the line runs through the middle of
// the caption, so that controls placed close under the caption stay clear of it.
class CaptionFrame : public QGroupBox
{
    Q_OBJECT

public:
    CaptionFrame(const QString &caption, QWidget *parent);

protected:
    void paintEvent(QPaintEvent *event) override;
};

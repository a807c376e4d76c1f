#pragma once

#include <QProxyStyle>

// The platform's style, except that the menu bar's overflow button gets its icon when the
// icon is first drawn. Reading the icon's image as the menu bar is built makes Qt load every
// image-format plugin installed, to ask each whether it reads PNG before Qt's own reader does:
// a tenth of the window's start-up, for a button that a window of fixed width never shows.
class ApplicationStyle : public QProxyStyle
{
public:
    QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption *option = nullptr,
                       const QWidget *widget = nullptr) const override;
};

#pragma once

#include <QRect>
#include <QtMath>

// Places in both windows are given in twips (1/1440 inch); 15 twips make one pixel at 96 dots
// per inch.
inline int pixels(int twips)
{
    return qRound(twips / 15.0);
}

inline QRect pixelRect(int left, int top, int width, int height)
{
    return QRect(pixels(left), pixels(top), pixels(width), pixels(height));
}

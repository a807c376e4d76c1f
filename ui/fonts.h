#pragma once

#include <QFont>

// The Japanese Gothic faces of both windows. The Windows faces come first; the IPA and Noto
// faces stand in where they are missing. Sizes are in points; bold means weight 700.
QFont gothicFont(qreal points, bool bold = false);

// The fixed-pitch Gothic face, used only by the port dialog's OK button.
QFont fixedGothicFont(qreal points);

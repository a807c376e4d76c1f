#pragma once

#include <QFont>

// The Japanese Gothic faces of both windows. The Windows faces come first; the IPA and Noto
// faces stand in where they are missing. Sizes are in points; bold means weight 700.
QFont gothicFont(qreal points, bool bold = false);

// The fixed-pitch Gothic face, used only by the port dialog's OK button.
QFont fixedGothicFont(qreal points);

// The font naming the face it resolves to, in place of the generic family it may name ("Sans
// Serif"): Japanese in the generic family has fontconfig look the family up again for each
// script. The faces drawn stay the same, but for one thing: a space between Japanese words
// takes the width of the resolved face's space, not of the Japanese fallback face's.
QFont withResolvedFace(const QFont &font);

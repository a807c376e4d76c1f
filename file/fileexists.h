#pragma once

#include <QString>

// True when `path` names an existing ordinary file: not a directory, not hidden, not a
// device or socket. Any failure of the look-up gives false.
bool fileExists(const QString &path);

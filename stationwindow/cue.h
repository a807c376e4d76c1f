#pragma once

#include <QByteArray>

class QObject;

// What the bench hears: a short high tone on 完了, a low double tone on 失敗, so that the two
// are told apart without looking.
enum class StationCue { Done, Failed };

// The cue as a WAV file (16-bit mono PCM), made here so that no sound library is needed.
QByteArray cueWave(StationCue cue);
// Plays the cue through the desktop's sound player where one is installed (pw-play, paplay,
// aplay; on Windows the system's own); without one, the system beep: once for 完了, three
// times for 失敗 (on Windows, the system's OK and error sounds).
void playCue(StationCue cue, QObject *owner);

#include "stationwindow/cue.h"

#include <QApplication>
#include <QDataStream>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <numbers>

#ifdef Q_OS_WIN
#include <windows.h>
#include <mmsystem.h>
#endif

namespace {

constexpr int SampleRate = 22050;

struct Tone
{
    double hertz;  // 0: silence
    int ms;
};

QByteArray samples(std::initializer_list<Tone> tones)
{
    QByteArray pcm;
    QDataStream out(&pcm, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    for (const Tone &tone : tones) {
        const int n = SampleRate * tone.ms / 1000;
        for (int i = 0; i < n; ++i) {
            // A short fade at both ends keeps the tone from clicking.
            const double fade = std::min({1.0, i / 200.0, (n - i) / 200.0});
            const double wave = std::sin(2 * std::numbers::pi * tone.hertz * i / SampleRate);
            out << qint16(tone.hertz > 0 ? 12000 * fade * wave : 0);
        }
    }
    return pcm;
}

} // namespace

QByteArray cueWave(StationCue cue)
{
    const QByteArray pcm = cue == StationCue::Done
        ? samples({{1320, 150}})
        : samples({{330, 180}, {0, 80}, {262, 380}});
    QByteArray wave;
    QDataStream out(&wave, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + pcm.size());
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << quint32(SampleRate)
        << quint32(SampleRate * 2) << quint16(2) << quint16(16);
    out.writeRawData("data", 4);
    out << quint32(pcm.size());
    return wave + pcm;
}

#ifdef Q_OS_WIN
void playCue(StationCue cue, QObject *owner)
{
    Q_UNUSED(owner);
    // The system's own player takes the WAV from memory; it must outlive the asynchronous play.
    static const QByteArray done = cueWave(StationCue::Done);
    static const QByteArray failed = cueWave(StationCue::Failed);
    const QByteArray &wave = cue == StationCue::Done ? done : failed;
    if (PlaySoundW(reinterpret_cast<LPCWSTR>(wave.constData()), nullptr,
                   SND_MEMORY | SND_ASYNC | SND_NODEFAULT)) {
        return;
    }
    // No sound device: the system's own sounds, OK for 完了 and the error for 失敗.
    MessageBeep(cue == StationCue::Done ? MB_OK : MB_ICONHAND);
}
#else
void playCue(StationCue cue, QObject *owner)
{
    for (const char *name : {"pw-play", "paplay", "aplay"}) {
        const QString player = QStandardPaths::findExecutable(QLatin1String(name));
        if (player.isEmpty())
            continue;
        auto *process = new QProcess(owner);
        QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
        QObject::connect(process, &QProcess::errorOccurred, process, &QObject::deleteLater);
        // Each reads the WAV from its standard input.
        const QStringList arguments = QLatin1String(name) == QLatin1String("paplay")
            ? QStringList{}
            : QStringList{QStringLiteral("-")};
        process->start(player, arguments);
        process->write(cueWave(cue));
        process->closeWriteChannel();
        return;
    }
    QApplication::beep();
    if (cue == StationCue::Done)
        return;
    QTimer::singleShot(180, owner, [] { QApplication::beep(); });
    QTimer::singleShot(360, owner, [] { QApplication::beep(); });
}
#endif

#pragma once

#include "stationwindow/cue.h"
#include "stationwindow/stationoptions.h"
#include "station/station.h"

#include <QHash>
#include <QMainWindow>

#include <functional>

class QButtonGroup;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class Prompter;
class QSpinBox;
class TileWidget;

// The production station's one window: the job above (settings file, own-ID rule, operator,
// record, 開始 / 停止), the counters, and one tile per adapter below.
class StationWindow : public QMainWindow
{
    Q_OBJECT
public:
    // Every file dialog goes through `prompter`.
    StationWindow(const StationStart &start, Prompter *prompter, QWidget *parent = nullptr);

    Station *station() { return &m_station; }
    // What a tile shows, for tests and screenshots: by adapter path.
    TileWidget *tile(const QString &path) const;
    // Who sounds the cues (playCue unless set): for tests, and for a bench with its own signal.
    void setSoundHook(std::function<void(StationCue)> hook) { m_sound = std::move(hook); }

private:
    void chooseSettings();
    void chooseRecord();
    void showJob();
    void startWork();
    void stopWork();
    void saveReport();
    void scanLabel();
    void addTile(AdapterSlot *slot, int position);
    void removeTile(AdapterSlot *slot);
    void layoutTiles();
    void showCounters();
    void say(const QString &message, bool error);
    void setEditable(bool editable);

    Station m_station;
    Prompter *m_prompter;
    QLineEdit *m_settings;
    QLabel *m_job;
    QButtonGroup *m_rule;
    QSpinBox *m_from;
    QLineEdit *m_scan;
    QLineEdit *m_operator;
    QLineEdit *m_record;
    QLineEdit *m_jobName;
    QPushButton *m_start;
    QPushButton *m_stop;
    QPushButton *m_report;
    QLabel *m_counters;
    QLabel *m_message;
    QGridLayout *m_tiles;
    QList<TileWidget *> m_tileList;
    QList<QWidget *> m_jobControls;
    std::function<void(StationCue)> m_sound;
};

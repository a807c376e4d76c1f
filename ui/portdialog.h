#pragma once

#include "link/serialchannel.h"
#include "unit/unitfinder.h"

#include <QDialog>
#include <QTimer>

#include <functional>

class PortMap;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

// How the port dialog learns what stands behind each entry.
struct PortSurvey
{
    // The entries' devices; refreshed while the dialog is open, so that an adapter plugged in
    // or out shows up. Without one, no entry has a device.
    PortMap *ports = nullptr;
    // Opens a device for a moment to learn whether it can be used; without one, nothing is
    // opened and nothing is said about it.
    std::function<PortCheck(const QString &device)> check;
    // The device this program holds open: never opened by the check nor by 検索.
    QString heldDevice;
    // 検索 asks every other entry's device at these line settings who is there.
    PortSettings lineSettings;
    // What 検索 sends and receives, for the traffic log.
    std::function<void(const TrafficEvent &event)> traffic;
};

// The port dialog: picks one of COM1..COM9. Entry i stands for port number i + 1. Beside the
// list it shows the selected entry's device, or 未接続; below the buttons, for a USB adapter its
// maker, product and serial number, and whether the device can be opened now, or why not.
// 検索, below the catalogued controls, asks every entry's port at once who answers there, lists
// the answers and selects the first entry where a unit of ours answered.
class PortDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr int RefreshMs = 2000;

    PortDialog(int portNumber, PortSurvey survey, QWidget *parent);

    // The number given at construction until 設定 is pressed, then the chosen entry + 1
    // (0 when no entry is selected). Cancelling leaves it unchanged.
    int portNumber() const;

private:
    void refresh();
    void showDevice(int entry);
    void fitHeight();
    void confirm();
    void find();
    void showFound();

    int m_portNumber;
    PortSurvey m_survey;
    QTimer m_refresh;
    QGroupBox *m_frame = nullptr;
    QComboBox *m_list = nullptr;
    QLabel *m_device = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
    QLabel *m_info = nullptr;
    QPushButton *m_find = nullptr;
    QLabel *m_found = nullptr;
    UnitFinder m_finder;
    QStringList m_searched;  // each entry's device when 検索 began; empty for none
};

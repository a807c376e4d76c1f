#pragma once

#include "link/linkresult.h"
#include "link/linkstatus.h"
#include "settings/unitsettings.h"
#include "unit/unitjob.h"
#include "ui/commissioningsheet.h"
#include "ui/controls.h"
#include "ui/prompter.h"
#include "ui/texts.h"

#include <QHash>
#include <QMainWindow>
#include <QTimer>


class DirectionButton;
class Link;
class NumberField;
class PortMap;
class TrafficLog;
class TrafficWindow;
class UnitJob;
class Prompter;
class QAction;
class QComboBox;
class QLabel;
class QPushButton;
class QTabWidget;
class UpDown;

// frmMain: shows and edits every parameter, drives the link and shows what it reports. It owns
// the controls and thereby the values; the link, the port map and the prompter are lent to it.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    MainWindow(Prompter *prompter, PortMap *portMap, Link *link,
               const QString &programDirectory, QWidget *parent = nullptr);

    // What 情報 → 通信ログ shows; a failure of its --log file is reported once.
    void attachTrafficLog(TrafficLog *log);
    Link *link() const { return m_link; }
    void setStatusResetInterval(int ms) { m_statusReset.setInterval(ms); }
    int statusResetInterval() const { return m_statusReset.interval(); }
    bool inputLocked() const { return m_inputLocked; }

    // The controls are bound to the parameter values: settings() reads what they show, and
    // showSettings() shows new values, setting only the controls whose value changed, and the
    // panel rules that follow from the values (the own ID fixed by a role, the analog
    // directions in use, the frequency). Every change, by the user or by the program, goes
    // through the values' rules and then showSettings().
    UnitSettings settings() const;
    void showSettings(const UnitSettings &values);
    // A pick in a list, as the user makes one.
    void selectListIndex(ParameterKey key, int index);

    int selectedTab() const;
    void selectTab(int tab);

    // What the link reports, shown.
    void showLinkStatus(LinkStatus status);
    // The whole main window refuses input while a reply is awaited.
    void setWindowLocked(bool locked);
    // One parameter line of a read-back into the controls; false when the rules refuse it.
    bool applyParameterLine(const QString &line);
    void showConnectionState(bool connected);

    // The one writer of the status line.
    void showStatus(const QString &text, QRgb colour);
    bool confirmWrite();
    void saveSettings(const QString &path);
    void loadSettings(const QString &path);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void enableSelectedUnitPanel();
    DirectionButton *directionButton(DirectionGroup group, int index) const;
    int directionCount(DirectionGroup group) const;
    void connectControls();
    void resetPanel(Panel panel);
    void writeGroup(const QList<ParameterKey> &keys);
    void checkField(ParameterKey key);
    void selectFieldText(NumberField *field);
    void readBack();
    void requestUnitError();
    void togglePort();
    void choosePort();
    void saveSettingsFromMenu();
    void loadSettingsFromMenu();
    void onStatusReset();
    void showTrafficLog();
    void setVerifyAfterWrite(bool on);
    void showWriteResult(const UnitJob::Result &result);
    void showUnit(const QString &model, const QString &kind);
    void clearUnitLabels();
    void showUnitError(const QString &line);
    void saveReportFromMenu();

    Prompter *m_prompter;
    PortMap *m_portMap;
    QString m_programDirectory;
    Link *m_link;
    bool m_inputLocked = false;
    QTimer m_statusReset;  // the status line's return to its idle text
    TrafficLog *m_trafficLog = nullptr;
    TrafficWindow *m_trafficWindow = nullptr;
    UnitJob *m_job;  // the writes, and the read that verifies them

    MainControls m_controls;
    MainMenus m_menus;
    // The parameter controls by key.
    struct NumberControls
    {
        NumberField *field = nullptr;
        UpDown *upDown = nullptr;
    };
    QHash<ParameterKey, QComboBox *> m_lists;
    QHash<ParameterKey, NumberControls> m_fields;
    QList<QPushButton *> m_linkButtons;
    // For the commissioning sheet: what the window learnt of the unit beyond its labels.
    QString m_unitModel;
    QString m_errorCode;
    LastWriteState m_lastWrite = LastWriteState::None;
};

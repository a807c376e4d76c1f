#pragma once

#include "link/linkresult.h"
#include "link/linkstatus.h"
#include "settings/settingsform.h"
#include "settings/unitjob.h"
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
class MainWindow : public QMainWindow, public SettingsForm
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

    // Panel rules run on every change, by the user or by the program.
    void enableSelectedUnitPanel();
    void enableAnalogDirections();
    void showFrequency();
    void applyRoleRule();

    // SettingsForm
    int listIndex(ParameterKey key) const override;
    int listCount(ParameterKey key) const override;
    void selectListIndex(ParameterKey key, int index) override;
    QString fieldText(ParameterKey key) const override;
    void setFieldText(ParameterKey key, const QString &text) override;
    int fieldMinimum(ParameterKey key) const override;
    int fieldMaximum(ParameterKey key) const override;
    QString directionFlag(DirectionGroup group, int index) const override;
    void setDirectionFlag(DirectionGroup group, int index, const QString &flag) override;
    int selectedTab() const override;
    void selectTab(int tab) override;

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
    DirectionButton *directionButton(DirectionGroup group, int index) const;
    void connectControls();
    void runListHandling(ParameterKey key);
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

#include "ui/mainwindow.h"

#include "errors/uniterror.h"
#include "file/settingsfile.h"
#include "link/link.h"
#include "link/portmap.h"
#include "link/qtserialchannel.h"
#include "link/trafficlog.h"
#include "settings/commandset.h"
#include "link/unitmodels.h"
#include "ui/captionframe.h"
#include "ui/commissioningsheet.h"
#include "ui/directionbutton.h"
#include "ui/enterkey.h"
#include "ui/fonts.h"
#include "ui/numberfield.h"
#include "ui/portdialog.h"
#include "ui/preferences.h"
#include "ui/prompter.h"
#include "ui/saveaskingfirst.h"
#include "ui/tabcontrol.h"
#include "ui/texts.h"
#include "ui/trafficwindow.h"
#include "ui/updown.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>

#include <memory>

namespace {

constexpr int ClientWidth = 10095 / 15;
constexpr int ClientHeight = 8250 / 15;
constexpr int StatusResetMs = 5000;
const QString SettingsSuffix = QStringLiteral("txt");

bool isInputEvent(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
        return true;
    default:
        return false;
    }
}

} // namespace

MainWindow::MainWindow(Prompter *prompter, PortMap *portMap, Link *link,
                       const QString &programDirectory, QWidget *parent)
    : QMainWindow(parent)
    , m_prompter(prompter)
    , m_portMap(portMap)
    , m_programDirectory(programDirectory)
    , m_link(link)
{
    setObjectName(QStringLiteral("frmMain"));
    // The title the layout stores; start-up replaces it before the window is shown.
    setWindowTitle(QStringLiteral("メインメニュー"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                   | Qt::WindowCloseButtonHint);
    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("frmMainClient"));
    client->setFixedSize(ClientWidth, ClientHeight);
    setCentralWidget(client);
    m_controls = buildMainWindowControls(client);
    m_menus = buildMainMenus(menuBar());
    // Its titles hold no space between Japanese words, so they look the same (start-up).
    menuBar()->setFont(withResolvedFace(menuBar()->font()));
    m_menus.mnuVerify->setChecked(Preferences::verifyAfterWrite());
    // Fixed single border: the window cannot be resized.
    setFixedSize(ClientWidth, ClientHeight + menuBar()->sizeHint().height());

    const MainControls &c = m_controls;
    m_lists = {
        {ParameterKey::FRBD, c.cmbFRBD}, {ParameterKey::FRCH, c.cmbFRCH},
        {ParameterKey::LOGI, c.cmbLOGI}, {ParameterKey::AUIO, c.cmbAUIO},
        {ParameterKey::ADSL, c.cmbADSL}, {ParameterKey::DASL, c.cmbDASL},
        {ParameterKey::MODE, c.cmbMODE}, {ParameterKey::TYPE, c.cmbTYPE},
        {ParameterKey::REPT, c.cmbREPT}, {ParameterKey::DIVR, c.cmbDIVR},
        {ParameterKey::HOLD, c.cmbHOLD}, {ParameterKey::DOUT, c.cmbDOUT},
    };
    m_fields = {
        {ParameterKey::MYID, {c.txtMYID, c.udMYID}}, {ParameterKey::SNUM, {c.txtSNUM, c.udSNUM}},
        {ParameterKey::ETIM, {c.txtETIM, c.udETIM}}, {ParameterKey::PTIM, {c.txtPTIM, c.udPTIM}},
    };
    m_linkButtons = {c.cmdFrqSet, c.cmdDSet, c.cmdASet, c.cmdTuuSet, c.cmdDISP, c.cmdAllSet};

    m_statusReset.setSingleShot(true);
    m_statusReset.setInterval(StatusResetMs);
    connect(&m_statusReset, &QTimer::timeout, this, &MainWindow::onStatusReset);
    connectControls();
    EnterPressesButton::installOnButtonsOf(this);
    showSettings(UnitSettings());  // every panel at its defaults

    m_job = new UnitJob(link, this);
    // Until the read that checks a write goes out, no click may slip in between.
    connect(m_job, &UnitJob::stepStarted, this, [this](UnitJob::Step step) {
        if (step == UnitJob::Step::Verifying)
            setWindowLocked(true);
    });
    connect(m_job, &UnitJob::finished, this, &MainWindow::showWriteResult);
    connect(link, &Link::statusChanged, this, &MainWindow::showLinkStatus);
    connect(link, &Link::awaitingReplyChanged, this, &MainWindow::setWindowLocked);
    connect(link, &Link::identified, this, &MainWindow::showUnit);
    connect(link, &Link::unitForgotten, this, &MainWindow::clearUnitLabels);
    connect(link, &Link::versionReceived, m_controls.lblUnitVer2, &QLabel::setText);
    connect(link, &Link::connectionChanged, this, &MainWindow::showConnectionState);
    // The report is a modal box: opened after the dispatch that found the line has returned.
    // The link is held from inside that dispatch, so that no line goes out before the box
    // opens, and let go when it closes (or when the call is dropped unrun): the user reads the
    // unit's complaint before the batch that caused it goes on.
    connect(link, &Link::errorLineReceived, this, [this](const QString &line) {
        auto held = std::make_shared<LinkHold>(m_link);
        QMetaObject::invokeMethod(
            this,
            [this, line, held]() mutable {
                showUnitError(line);
                held.reset();
            },
            Qt::QueuedConnection);
    }, Qt::DirectConnection);
}

void MainWindow::attachTrafficLog(TrafficLog *log)
{
    m_trafficLog = log;
    // Queued: the failure is found while the link reports a line, where no box may open.
    connect(log, &TrafficLog::fileFailed, this,
            [this](const QString &reason) { m_prompter->show(Texts::trafficFileFailed(reason)); },
            Qt::QueuedConnection);
}

void MainWindow::connectControls()
{
    const MainControls &c = m_controls;
    connect(c.tabAD, &QTabWidget::currentChanged, this, &MainWindow::enableSelectedUnitPanel);
    // `activated` is the user's pick, also of the entry already shown: it runs the rules the
    // program's own selections run.
    for (auto it = m_lists.cbegin(); it != m_lists.cend(); ++it) {
        const ParameterKey key = it.key();
        connect(it.value(), &QComboBox::activated, this,
                [this, key](int index) { selectListIndex(key, index); });
    }
    for (auto it = m_fields.cbegin(); it != m_fields.cend(); ++it) {
        const ParameterKey key = it.key();
        NumberField *field = it.value().field;
        connect(field, &NumberField::left, this, [this, key] { checkField(key); });
        connect(it.value().upDown, &UpDown::valueChanged, this,
                [field] { field->setText(padWithZeros(field->text())); });
    }

    connect(c.cmdFrqdef, &QPushButton::clicked, this, [this] { resetPanel(Panel::Frequency); });
    connect(c.cmdDdef, &QPushButton::clicked, this, [this] { resetPanel(Panel::Digital); });
    connect(c.cmdAdef, &QPushButton::clicked, this, [this] { resetPanel(Panel::Analog); });
    connect(c.cmdTuudef, &QPushButton::clicked, this,
            [this] { resetPanel(Panel::Communication); });
    connect(c.cmdFrqSet, &QPushButton::clicked, this, [this] { writeGroup(frequencyGroup()); });
    connect(c.cmdDSet, &QPushButton::clicked, this,
            [this] { writeGroup(digitalGroup(selectedTab())); });
    connect(c.cmdASet, &QPushButton::clicked, this,
            [this] { writeGroup(analogGroup(selectedTab())); });
    connect(c.cmdTuuSet, &QPushButton::clicked, this,
            [this] { writeGroup(communicationGroup()); });
    connect(c.cmdAllSet, &QPushButton::clicked, this,
            [this] { writeGroup(allGroups(selectedTab())); });
    connect(c.cmdDISP, &QPushButton::clicked, this, &MainWindow::readBack);
    connect(c.cmdPort, &QPushButton::clicked, this, &MainWindow::togglePort);
    connect(c.cmdEnd, &QPushButton::clicked, this, &QWidget::close);

    connect(m_menus.mnuSave, &QAction::triggered, this, &MainWindow::saveSettingsFromMenu);
    connect(m_menus.mnuOpen, &QAction::triggered, this, &MainWindow::loadSettingsFromMenu);
    connect(m_menus.mnuReport, &QAction::triggered, this, &MainWindow::saveReportFromMenu);
    connect(m_menus.mnuPort, &QAction::triggered, this, &MainWindow::choosePort);
    connect(m_menus.mnuErr, &QAction::triggered, this, &MainWindow::requestUnitError);
    connect(m_menus.mnuVerify, &QAction::toggled, this, &MainWindow::setVerifyAfterWrite);
    connect(m_menus.mnuLog, &QAction::triggered, this, &MainWindow::showTrafficLog);
}

// ---- the parameter values ----

void MainWindow::enableSelectedUnitPanel()
{
    const bool digital = m_controls.tabAD->currentIndex() == DigitalTab;
    m_controls.FrameDunit->setEnabled(digital);
    m_controls.FrameAunit->setEnabled(!digital);
}

UnitSettings MainWindow::settings() const
{
    UnitSettings values;
    values.setTab(selectedTab());
    // Lists first: the role the list shows would otherwise overwrite the own ID the field shows.
    for (auto it = m_lists.cbegin(); it != m_lists.cend(); ++it)
        values.selectListIndex(it.key(), it.value()->currentIndex());
    for (auto it = m_fields.cbegin(); it != m_fields.cend(); ++it)
        values.setFieldText(it.key(), it.value().field->text());
    for (DirectionGroup group : {DirectionGroup::Digital, DirectionGroup::Analog}) {
        for (int i = 0; i < directionCount(group); ++i)
            values.setDirectionFlag(group, i, directionButton(group, i)->flag());
    }
    return values;
}

void MainWindow::showSettings(const UnitSettings &values)
{
    selectTab(values.tab());
    for (auto it = m_lists.cbegin(); it != m_lists.cend(); ++it) {
        if (it.value()->currentIndex() != values.listIndex(it.key()))
            it.value()->setCurrentIndex(values.listIndex(it.key()));
    }
    for (auto it = m_fields.cbegin(); it != m_fields.cend(); ++it) {
        if (it.value().field->text() != values.fieldText(it.key()))
            it.value().field->setText(values.fieldText(it.key()));
    }
    for (DirectionGroup group : {DirectionGroup::Digital, DirectionGroup::Analog}) {
        for (int i = 0; i < directionCount(group); ++i) {
            DirectionButton *button = directionButton(group, i);
            if (button->flag() != values.directionFlag(group, i))
                button->setFlag(values.directionFlag(group, i));
        }
    }
    m_controls.lblFrqNum->setText(values.frequency());
    const bool ownIdEditable = values.ownIdEditable();
    m_controls.txtMYID->setEnabled(ownIdEditable);
    m_controls.udMYID->setEnabled(ownIdEditable);
    for (DirectionButton *button : m_controls.cmdAUIO)
        button->setEnabled(values.analogDirectionsUsed());
}

void MainWindow::selectListIndex(ParameterKey key, int index)
{
    UnitSettings values = settings();
    values.selectListIndex(key, index);
    showSettings(values);
}

void MainWindow::resetPanel(Panel panel)
{
    UnitSettings values = settings();
    values.setDefaults(panel);
    showSettings(values);
}

bool MainWindow::applyParameterLine(const QString &line)
{
    UnitSettings values = settings();
    const bool applied = values.applyLine(line);
    showSettings(values);
    return applied;
}

DirectionButton *MainWindow::directionButton(DirectionGroup group, int index) const
{
    const auto at = static_cast<std::size_t>(index);
    return group == DirectionGroup::Digital ? m_controls.cmdPDIR.at(at)
                                            : m_controls.cmdAUIO.at(at);
}

int MainWindow::directionCount(DirectionGroup group) const
{
    return group == DirectionGroup::Digital ? int(m_controls.cmdPDIR.size())
                                            : int(m_controls.cmdAUIO.size());
}

int MainWindow::selectedTab() const
{
    return m_controls.tabAD->currentIndex();
}

void MainWindow::selectTab(int tab)
{
    m_controls.tabAD->setCurrentIndex(tab);
    enableSelectedUnitPanel();
}

// ---- what the link reports ----

void MainWindow::showLinkStatus(LinkStatus status)
{
    const Texts::StatusMessage message = Texts::status(status);
    showStatus(message.text, message.colour);
    // "切断しました" returns to the idle text after five seconds, unless a connect comes first.
    if (status == LinkStatus::Disconnected)
        m_statusReset.start();
    else if (status == LinkStatus::Connecting)
        m_statusReset.stop();
}

void MainWindow::showStatus(const QString &text, QRgb colour)
{
    QPalette palette = m_controls.lblStat->palette();
    palette.setColor(QPalette::WindowText, QColor::fromRgb(colour));
    m_controls.lblStat->setPalette(palette);
    m_controls.lblStat->setText(text);
}

void MainWindow::setWindowLocked(bool locked)
{
    if (locked == m_inputLocked)
        return;
    m_inputLocked = locked;
    // Input is refused without greying every control: an exchange lasts a few milliseconds
    // and the window must not flicker with each one.
    if (locked)
        qApp->installEventFilter(this);
    else
        qApp->removeEventFilter(this);
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (m_inputLocked && isInputEvent(event->type()) && watched->isWidgetType()) {
        auto *widget = static_cast<QWidget *>(watched);
        if (widget->window() == this)
            return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::showUnit(const QString &model, const QString &kind)
{
    Q_UNUSED(model)
    const std::optional<UnitModel> &unit = m_link->unit();
    if (kind.isEmpty() || !unit)
        return;  // a model of another family: the status line says so
    m_controls.lblUnitVer1->setText(unit->kind);
    m_unitModel = QStringLiteral("ZRT") + unit->model;
    selectTab(unit->tab);
}

void MainWindow::clearUnitLabels()
{
    m_controls.lblUnitVer1->clear();
    m_controls.lblUnitVer2->clear();
    m_unitModel.clear();
    m_errorCode.clear();
    m_lastWrite = LastWriteState::None;
}

void MainWindow::showUnitError(const QString &line)
{
    // The status line already says "読込成功".
    m_errorCode = unitErrorCode(line);
    m_prompter->show(Texts::unitError(unitErrorMessage(unitErrorCode(line))));
}

void MainWindow::showConnectionState(bool connected)
{
    m_controls.cmdPort->setText(Texts::portButton(connected));
    m_controls.picConnect->setVisible(!connected);
    m_menus.mnuPort->setEnabled(!connected);
    m_menus.mnuErr->setEnabled(connected);
    for (QPushButton *button : std::as_const(m_linkButtons))
        button->setEnabled(connected);
    m_controls.cmdPort->setToolTip(Texts::portButtonHint(connected));
}

void MainWindow::onStatusReset()
{
    if (!m_link->state().portOpen) {
        const Texts::StatusMessage idle = Texts::idleAgain();
        showStatus(idle.text, idle.colour);
    }
    m_statusReset.stop();
}

// ---- user actions ----

bool MainWindow::confirmWrite()
{
    return m_prompter->show(Texts::confirmWrite(), Prompter::Buttons::OkCancel) == Prompter::Answer::Ok;
}

void MainWindow::writeGroup(const QList<ParameterKey> &keys)
{
    if (!confirmWrite())
        return;
    const QStringList commands = groupCommands(settings(), keys);
    m_lastWrite = LastWriteState::NotVerified;
    UnitJob::Request request;
    request.work = UnitJob::Work::Write;
    request.connect = false;
    request.commands = [commands] { return commands; };
    request.verify = m_menus.mnuVerify->isChecked();
    m_job->start(request);
}

void MainWindow::setVerifyAfterWrite(bool on)
{
    if (!Preferences::setVerifyAfterWrite(on))
        m_prompter->show(Texts::preferenceNotStored());
}

void MainWindow::showWriteResult(const UnitJob::Result &result)
{
    // The write's own outcome is on the status line already; a verify that did not complete
    // its read ends without a word of its own.
    const bool compared = result.outcome == UnitJob::Outcome::Done
        || result.outcome == UnitJob::Outcome::Different;
    if (!result.read || !compared)
        return;
    const Texts::StatusMessage outcome = result.mismatches.isEmpty() ? Texts::verifyDone()
                                                                     : Texts::verifyFailed();
    showStatus(outcome.text, outcome.colour);
    m_lastWrite = result.mismatches.isEmpty() ? LastWriteState::Verified
                                              : LastWriteState::Different;
    if (!result.mismatches.isEmpty())
        m_prompter->show(Texts::verifyMismatch(result.mismatches));
}

void MainWindow::showTrafficLog()
{
    if (!m_trafficLog)
        return;
    if (!m_trafficWindow)
        m_trafficWindow = new TrafficWindow(m_trafficLog, m_prompter, m_programDirectory, this);
    m_trafficWindow->show();
    m_trafficWindow->raise();
    m_trafficWindow->activateWindow();
}

void MainWindow::readBack()
{
    m_link->readBack([this](const QString &line) { return applyParameterLine(line); });
}

void MainWindow::requestUnitError()
{
    m_link->readError();
}

void MainWindow::togglePort()
{
    if (m_link->state().portOpen)
        m_link->disconnectUnit();
    else
        m_link->connectUnit();
}

void MainWindow::choosePort()
{
    PortSurvey survey;
    survey.ports = m_portMap;
    // The menu item is usable with the port open (a unit of another model): that device is not
    // opened a second time.
    if (m_link->state().portOpen)
        survey.heldDevice = m_link->device();
    const PortSettings settings = m_link->portSettings();
    survey.check = [settings](const QString &device) {
        return QtSerialChannel::check(device, settings);
    };
    survey.lineSettings = settings;
    if (TrafficLog *log = m_trafficLog)
        survey.traffic = [log](const TrafficEvent &event) { log->record(event); };
    PortDialog dialog(m_link->state().portNumber, survey, this);
    if (dialog.exec() == QDialog::Accepted)
        m_link->setPortNumber(dialog.portNumber());
}

void MainWindow::checkField(ParameterKey key)
{
    NumberField *field = m_fields.value(key).field;
    // Pasted text bypasses the key filter, so the whole field rule is asked, digits included.
    const std::optional<QString> value = fieldValue(key, field->text());
    if (!value) {
        m_prompter->show(Texts::invalidInput());
        selectFieldText(field);
        return;
    }
    field->setText(*value);
}

void MainWindow::selectFieldText(NumberField *field)
{
    field->setFocus(Qt::OtherFocusReason);
    field->setSelection(0, static_cast<int>(field->text().size()));
}

void MainWindow::saveSettingsFromMenu()
{
    const auto path = m_prompter->saveFileName(
        {Texts::saveDialogTitle(), m_programDirectory, Texts::fileFilter(), SettingsSuffix});
    if (path)
        saveSettings(*path);
}

// A one-page sheet of the unit on the window, every parameter in words, for the site's file.
void MainWindow::saveReportFromMenu()
{
    const auto path = m_prompter->saveFileName(
        {sheetDialogTitle(), m_programDirectory, sheetFileFilter(), QStringLiteral("pdf")});
    if (!path)
        return;
    CommissioningSheet sheet;
    sheet.model = m_unitModel;
    sheet.kind = m_controls.lblUnitVer1->text();
    sheet.version = m_controls.lblUnitVer2->text();
    sheet.errorCode = m_errorCode;
    if (!m_errorCode.isEmpty())
        sheet.errorMessage = unitErrorMessage(m_errorCode).replace(QLatin1String("\r\n"), " ");
    sheet.date = QDateTime::currentDateTime();
    sheet.lastWrite = lastWriteText(m_lastWrite);
    auto text = [&](ParameterKey key) {
        if (valueKind(key) == ValueKind::List)
            return m_lists.value(key)->currentText();
        return m_fields.value(key).field->text();
    };
    auto directions = [](const QList<DirectionButton *> &buttons) {
        QStringList words;
        for (int i = 0; i < buttons.size(); ++i)
            words << QStringLiteral("%1:%2").arg(i + 1).arg(buttons.at(i)->text());
        return words.join(QLatin1String("  "));
    };
    const bool analog = selectedTab() == AnalogTab;
    sheet.parameters = {
        {sheetCaption(ParameterKey::FRBD), settings().frequency()},
        {sheetCaption(ParameterKey::PDIR),
         analog ? directions({m_controls.cmdAUIO.begin(), m_controls.cmdAUIO.end()})
                : directions({m_controls.cmdPDIR.begin(), m_controls.cmdPDIR.end()})},
    };
    for (ParameterKey key : {ParameterKey::TYPE, ParameterKey::MYID, ParameterKey::MODE,
                             ParameterKey::SNUM, ParameterKey::REPT, ParameterKey::ETIM,
                             ParameterKey::DIVR, ParameterKey::PTIM, ParameterKey::HOLD,
                             ParameterKey::DOUT, ParameterKey::LOGI, ParameterKey::AUIO,
                             ParameterKey::ADSL, ParameterKey::DASL}) {
        sheet.parameters << std::pair{sheetCaption(key), text(key)};
    }
    QString why;
    if (!writeCommissioningSheet(sheet, *path, &why))
        m_prompter->show(Texts::saveFailed());
}

void MainWindow::loadSettingsFromMenu()
{
    const auto path = m_prompter->openFileName(
        {Texts::loadDialogTitle(), m_programDirectory, Texts::fileFilter(), SettingsSuffix});
    if (path)
        loadSettings(*path);
}

void MainWindow::saveSettings(const QString &path)
{
    // The message says no more than it always has; the reason is not shown.
    saveAskingFirst(*m_prompter, path, buildSettingsFile(settings()),
                    [](const QString &) { return Texts::saveFailed(); });
}

void MainWindow::loadSettings(const QString &path)
{
    // The lines before a refused one stay applied.
    UnitSettings values = settings();
    const LoadOutcome outcome = loadSettingsFile(path, values);
    showSettings(values);
    if (outcome != LoadOutcome::Loaded)
        m_prompter->show(Texts::loadFailed(outcome));
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // No close in the middle of an exchange: the window refuses all input then.
    if (m_inputLocked
        || m_prompter->show(Texts::confirmExit(), Prompter::Buttons::OkCancel) != Prompter::Answer::Ok) {
        event->ignore();
        return;
    }
    m_link->quit();
    if (m_trafficWindow)
        m_trafficWindow->close();  // remembers its place
    event->accept();
}

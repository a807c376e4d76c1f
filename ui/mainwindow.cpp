#include "ui/mainwindow.h"

#include "errors/uniterror.h"
#include "file/settingsfile.h"
#include "settings/commandset.h"
#include "link/link.h"
#include "link/portmap.h"
#include "link/status.h"
#include "settings/panelvalues.h"
#include "ui/directionbutton.h"
#include "ui/enterkey.h"
#include "ui/controls.h"
#include "ui/portdialog.h"
#include "ui/prompter.h"
#include "ui/updown.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>

namespace {

constexpr int ClientWidth = 10095 / 15;
constexpr int ClientHeight = 8250 / 15;
constexpr int StatusResetMs = 5000;

const QString InvalidInput = QStringLiteral("入力値が正しくありません。");
const QString InvalidInputTitle = QStringLiteral("入力値エラー");
const QString ConfirmWriteText = QStringLiteral("設定を開始します。\r\nよろしいですか？");
const QString ConfirmWriteTitle = QStringLiteral("設定確認");

struct UnitModel
{
    const char *model;
    const char16_t *kind;
    int tab;
};

constexpr UnitModel Models[] = {
    {"48210", u"デジタルユニット", DigitalTab},
    {"48220", u"アナログ入力ユニット", AnalogTab},
    {"48221", u"アナログ出力ユニット", AnalogTab},
};

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

MainWindow::MainWindow(Prompter *prompter, const PortMap *portMap,
                       const QString &programDirectory, QWidget *parent)
    : QMainWindow(parent)
    , m_prompter(prompter)
    , m_portMap(portMap)
    , m_programDirectory(programDirectory)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("メインメニュー"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                   | Qt::WindowCloseButtonHint);
    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("frmMainClient"));
    client->setFixedSize(ClientWidth, ClientHeight);
    setCentralWidget(client);
    buildMainWindowControls(client);
    buildMainMenus(menuBar());
    // Fixed single border: the window cannot be resized.
    setFixedSize(ClientWidth, ClientHeight + menuBar()->sizeHint().height());

    for (ParameterKey key : AllParameterKeys) {
        const QString name = keyName(key);
        if (valueKind(key) == ValueKind::List)
            m_lists.insert(key, control<QComboBox>(QStringLiteral("cmb") + name));
        else if (valueKind(key) == ValueKind::Number) {
            m_fields.insert(key, control<NumberField>(QStringLiteral("txt") + name));
            m_upDowns.insert(key, control<UpDown>(QStringLiteral("ud") + name));
        }
    }
    for (int i = 0; i < 4; ++i)
        m_digitalButtons[i] = control<DirectionButton>(QStringLiteral("cmdPDIR_%1").arg(i));
    for (int i = 0; i < 2; ++i)
        m_analogButtons[i] = control<DirectionButton>(QStringLiteral("cmdAUIO_%1").arg(i));
    m_tab = control<QTabWidget>(QStringLiteral("tabAD"));
    m_status = control<QLabel>(QStringLiteral("lblStat"));
    m_unitKind = control<QLabel>(QStringLiteral("lblUnitVer1"));
    m_unitVersion = control<QLabel>(QStringLiteral("lblUnitVer2"));
    m_frequency = control<QLabel>(QStringLiteral("lblFrqNum"));
    m_portButton = control<QPushButton>(QStringLiteral("cmdPort"));
    m_notConnected = control<QWidget>(QStringLiteral("picConnect"));
    m_portAction = control<QAction>(QStringLiteral("mnuPort"));
    m_errorAction = control<QAction>(QStringLiteral("mnuErr"));
    for (const char *name : {"cmdFrqSet", "cmdDSet", "cmdASet", "cmdTuuSet", "cmdDISP",
                             "cmdAllSet"}) {
        m_linkButtons << control<QPushButton>(QString::fromLatin1(name));
    }

    m_statusReset.setSingleShot(true);
    m_statusReset.setInterval(StatusResetMs);
    connect(&m_statusReset, &QTimer::timeout, this, &MainWindow::onStatusReset);
    connectControls();
    EnterPressesButton::installOnButtonsOf(this);
}

template<typename T>
T *MainWindow::control(const QString &name) const
{
    T *found = findChild<T *>(name);
    Q_ASSERT_X(found, "MainWindow", qPrintable(name));
    return found;
}

void MainWindow::attachLink(Link *link)
{
    m_link = link;
}

void MainWindow::connectControls()
{
    connect(m_tab, &QTabWidget::currentChanged, this, &MainWindow::enableSelectedUnitPanel);
    // `activated` is the user's pick, also of the entry already shown; the program's own
    // selections run the same handling through selectListIndex.
    for (auto it = m_lists.cbegin(); it != m_lists.cend(); ++it) {
        const ParameterKey key = it.key();
        connect(it.value(), &QComboBox::activated, this, [this, key] { runListHandling(key); });
    }
    for (auto it = m_fields.cbegin(); it != m_fields.cend(); ++it) {
        const ParameterKey key = it.key();
        NumberField *field = it.value();
        connect(field, &NumberField::left, this, [this, key] { checkField(key); });
        connect(m_upDowns.value(key), &UpDown::valueChanged, this,
                [field] { field->setText(padWithZeros(field->text())); });
    }

    auto onClick = [this](const char *name, auto handler) {
        connect(control<QPushButton>(QString::fromLatin1(name)), &QPushButton::clicked, this,
                handler);
    };
    onClick("cmdFrqdef", [this] { setFrequencyDefaults(*this); });
    onClick("cmdDdef", [this] { setDigitalDefaults(*this); });
    onClick("cmdAdef", [this] { setAnalogDefaults(*this); });
    onClick("cmdTuudef", [this] { setCommunicationDefaults(*this); });
    onClick("cmdFrqSet", [this] { writeGroup(frequencyGroup()); });
    onClick("cmdDSet", [this] { writeGroup(digitalGroup(selectedTab())); });
    onClick("cmdASet", [this] { writeGroup(analogGroup(selectedTab())); });
    onClick("cmdTuuSet", [this] { writeGroup(communicationGroup()); });
    onClick("cmdAllSet", [this] { writeGroup(allGroups(selectedTab())); });
    onClick("cmdDISP", [this] { readBack(); });
    onClick("cmdPort", [this] { togglePort(); });
    onClick("cmdEnd", [this] { close(); });

    connect(control<QAction>(QStringLiteral("mnuSave")), &QAction::triggered, this,
            &MainWindow::saveSettingsFromMenu);
    connect(control<QAction>(QStringLiteral("mnuOpen")), &QAction::triggered, this,
            &MainWindow::loadSettingsFromMenu);
    connect(m_portAction, &QAction::triggered, this, &MainWindow::choosePort);
    connect(m_errorAction, &QAction::triggered, this, &MainWindow::requestUnitError);
}

// ---- panel rules ----

void MainWindow::enableSelectedUnitPanel()
{
    const bool digital = m_tab->currentIndex() == DigitalTab;
    control<QWidget>(QStringLiteral("FrameDunit"))->setEnabled(digital);
    control<QWidget>(QStringLiteral("FrameAunit"))->setEnabled(!digital);
}

void MainWindow::enableAnalogDirections()
{
    const bool used = m_lists.value(ParameterKey::AUIO)->currentIndex() == 0;
    for (DirectionButton *button : m_analogButtons)
        button->setEnabled(used);
}

void MainWindow::showFrequency()
{
    m_frequency->setText(frequencyText(listIndex(ParameterKey::FRBD),
                                       listIndex(ParameterKey::FRCH)));
}

void MainWindow::applyRoleRule()
{
    const RoleOwnId ownId = roleOwnId(listIndex(ParameterKey::TYPE));
    m_fields.value(ParameterKey::MYID)->setText(ownId.text);
    m_fields.value(ParameterKey::MYID)->setEnabled(ownId.editable);
    m_upDowns.value(ParameterKey::MYID)->setEnabled(ownId.editable);
}

void MainWindow::runListHandling(ParameterKey key)
{
    switch (key) {
    case ParameterKey::FRBD:
    case ParameterKey::FRCH:
        showFrequency();
        break;
    case ParameterKey::TYPE:
        applyRoleRule();
        break;
    case ParameterKey::AUIO:
        enableAnalogDirections();
        break;
    default:
        break;
    }
}

// ---- SettingsForm ----

int MainWindow::listIndex(ParameterKey key) const
{
    return m_lists.value(key)->currentIndex();
}

int MainWindow::listCount(ParameterKey key) const
{
    return m_lists.value(key)->count();
}

void MainWindow::selectListIndex(ParameterKey key, int index)
{
    m_lists.value(key)->setCurrentIndex(index);
    runListHandling(key);
}

QString MainWindow::fieldText(ParameterKey key) const
{
    return m_fields.value(key)->text();
}

void MainWindow::setFieldText(ParameterKey key, const QString &text)
{
    m_fields.value(key)->setText(text);
}

int MainWindow::fieldMinimum(ParameterKey key) const
{
    return m_upDowns.value(key)->minimum();
}

int MainWindow::fieldMaximum(ParameterKey key) const
{
    return m_upDowns.value(key)->maximum();
}

QString MainWindow::directionFlag(DirectionGroup group, int index) const
{
    return group == DirectionGroup::Digital ? m_digitalButtons.at(index)->flag()
                                            : m_analogButtons.at(index)->flag();
}

void MainWindow::setDirectionFlag(DirectionGroup group, int index, const QString &flag)
{
    DirectionButton *button = group == DirectionGroup::Digital ? m_digitalButtons.at(index)
                                                               : m_analogButtons.at(index);
    button->setFlag(flag);
}

int MainWindow::selectedTab() const
{
    return m_tab->currentIndex();
}

void MainWindow::selectTab(int tab)
{
    m_tab->setCurrentIndex(tab);
    enableSelectedUnitPanel();
}

// ---- LinkHost ----

void MainWindow::showStatus(const QString &text, quint32 colour)
{
    QPalette palette = m_status->palette();
    palette.setColor(QPalette::WindowText, QColor::fromRgb(colour));
    m_status->setPalette(palette);
    m_status->setText(text);
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

bool MainWindow::identifyUnit(const QString &line)
{
    const QStringView model = QStringView(line).mid(3);
    for (const UnitModel &unit : Models) {
        if (model == QLatin1String(unit.model)) {
            m_unitKind->setText(QString::fromUtf16(unit.kind));
            selectTab(unit.tab);
            return true;
        }
    }
    showStatus(StatusText::WrongUnit, StatusColour::LinkError);
    return false;
}

void MainWindow::showVersion(const QString &line)
{
    m_unitVersion->setText(line);
}

QString MainWindow::unitKind() const
{
    return m_unitKind->text();
}

void MainWindow::clearUnitLabels()
{
    m_unitKind->clear();
    m_unitVersion->clear();
}

int MainWindow::applyParameterLine(const QString &line)
{
    return ::applyParameterLine(*this, line);
}

void MainWindow::showUnitError(const QString &line)
{
    // The link has stopped the watchdog before handing the line over.
    showStatus(StatusText::ReadDone, StatusColour::Progress);
    m_prompter->message(unitErrorMessage(unitErrorCode(line)), UnitErrorTitle,
                        Prompter::Buttons::Ok);
}

void MainWindow::showConnectionState(bool connected)
{
    m_portButton->setText(connected ? QStringLiteral("切断") : QStringLiteral("接続"));
    m_notConnected->setVisible(!connected);
    m_portAction->setEnabled(!connected);
    m_errorAction->setEnabled(connected);
    for (QPushButton *button : std::as_const(m_linkButtons))
        button->setEnabled(connected);
    m_portButton->setToolTip(connected ? QStringLiteral("RS232C通信を終了します")
                                       : QStringLiteral("RS232C通信を開始します"));
}

void MainWindow::startStatusReset()
{
    m_statusReset.start();
}

void MainWindow::stopStatusReset()
{
    m_statusReset.stop();
}

void MainWindow::onStatusReset()
{
    if (!m_link || !m_link->state().portOpen)
        showStatus(StatusText::Waiting, StatusColour::Idle);
    m_statusReset.stop();
}

// ---- user actions ----

bool MainWindow::confirmWrite()
{
    if (m_prompter->message(ConfirmWriteText, ConfirmWriteTitle, Prompter::Buttons::OkCancel)
        != Prompter::Answer::Ok) {
        return false;
    }
    showStatus(StatusText::Writing, StatusColour::Progress);
    return true;
}

void MainWindow::writeGroup(const QList<ParameterKey> &keys)
{
    if (confirmWrite())
        queueGroup(*m_link, *this, keys);
}

void MainWindow::readBack()
{
    m_link->queueIdentify();
    m_link->queueReadAll();
    showStatus(StatusText::ReadingSettings, StatusColour::Progress);
    m_link->state().phase = ExchangePhase::Reading;
}

void MainWindow::requestUnitError()
{
    m_link->queueReadError();
    showStatus(StatusText::ReadingError, StatusColour::Progress);
    m_link->state().phase = ExchangePhase::Reading;
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
    PortDialog dialog(m_link->state().portNumber, m_portMap->devices(), this);
    if (dialog.exec() == QDialog::Accepted)
        m_link->state().portNumber = static_cast<quint8>(dialog.portNumber());
}

void MainWindow::checkField(ParameterKey key)
{
    NumberField *field = m_fields.value(key);
    const QString text = field->text();
    // Pasted text bypasses the key filter, so plain digits are checked here as well.
    if (!isPlainNumberText(text) || isOutOfRange(text, fieldMinimum(key), fieldMaximum(key))) {
        m_prompter->message(InvalidInput, InvalidInputTitle, Prompter::Buttons::Ok);
        selectFieldText(field);
        return;
    }
    field->setText(padWithZeros(text));
}

void MainWindow::selectFieldText(NumberField *field)
{
    field->setFocus(Qt::OtherFocusReason);
    field->setSelection(0, static_cast<int>(field->text().size()));
}

void MainWindow::saveSettingsFromMenu()
{
    const auto path = m_prompter->saveFileName({SettingsFileText::SaveTitle, m_programDirectory,
                                                SettingsFileText::Filter,
                                                SettingsFileText::DefaultSuffix});
    if (path)
        saveSettings(*path);
}

void MainWindow::loadSettingsFromMenu()
{
    const auto path = m_prompter->openFileName({SettingsFileText::LoadTitle, m_programDirectory,
                                                SettingsFileText::Filter,
                                                SettingsFileText::DefaultSuffix});
    if (path)
        loadSettings(*path);
}

void MainWindow::saveSettings(const QString &path)
{
    // Any file in the way is asked about, hidden ones too: replacing one unasked loses it.
    if (QFileInfo(path).isFile()
        && m_prompter->message(SettingsFileText::Overwrite, SettingsFileText::OverwriteTitle,
                               Prompter::Buttons::OkCancel) != Prompter::Answer::Ok) {
        return;
    }
    if (!writeSettingsFile(path, buildSettingsFile(*this)).ok) {
        m_prompter->message(SettingsFileText::SaveFailed, SettingsFileText::SaveFailedTitle,
                            Prompter::Buttons::Ok);
    }
}

void MainWindow::loadSettings(const QString &path)
{
    const LoadOutcome outcome = loadSettingsFile(path, *this);
    if (outcome != LoadOutcome::Loaded) {
        m_prompter->message(loadOutcomeMessage(outcome), SettingsFileText::LoadFailedTitle,
                            Prompter::Buttons::Ok);
    }
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // No close in the middle of an exchange: the window refuses all input then.
    if (m_inputLocked) {
        event->ignore();
        return;
    }
    const auto answer = m_prompter->message(
        QStringLiteral("プログラムを終了します。\r\nよろしいですか？"),
        QStringLiteral("終了確認"), Prompter::Buttons::OkCancel);
    if (answer != Prompter::Answer::Ok) {
        event->ignore();
        return;
    }
    if (m_link)
        m_link->state().quitRequested = true;
    event->accept();
}

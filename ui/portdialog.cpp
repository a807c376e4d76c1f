#include "ui/portdialog.h"

#include "link/portmap.h"
#include "link/unitmodels.h"
#include "ui/captionframe.h"
#include "ui/fonts.h"
#include "ui/texts.h"
#include "ui/twips.h"

#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include <algorithm>
#include <utility>

namespace {

constexpr int kEntries = 9;
// The catalogued client area; the lines below the buttons may only add to its height.
const QSize kCatalogueSize = pixelRect(0, 0, 3405, 2295).size();
constexpr int kMargin = 6;

QString deviceText(const QString &device)
{
    return device.isEmpty() ? Texts::noDeviceFound() : device;
}

// A label below the buttons for lines of plain text the user may select and copy.
QLabel *linesLabel(const QString &name, int width, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    label->setFont(gothicFont(9));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setFixedWidth(width);
    return label;
}

} // namespace

PortDialog::PortDialog(int portNumber, PortSurvey survey, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
    , m_portNumber(portNumber)
    , m_survey(std::move(survey))
    , m_finder([](const QString &line) { return unitModelOf(line).has_value(); })
{
    setObjectName(QStringLiteral("frmCom"));
    setWindowTitle(Texts::portDialogTitle());
    setFixedSize(kCatalogueSize);

    m_frame = new CaptionFrame(Texts::portFrameCaption(), this);
    m_frame->setObjectName(QStringLiteral("Frame1"));
    m_frame->setFont(gothicFont(14.25));
    m_frame->setGeometry(pixelRect(240, 240, 2895, 1215));

    m_list = new QComboBox(m_frame);
    m_list->setObjectName(QStringLiteral("cmbCom"));
    m_list->setFont(gothicFont(12));
    m_list->setEditable(false);
    m_list->setGeometry(pixelRect(840, 480, 1215, 360));
    const QStringList entries = Texts::portEntries();
    for (int i = 0; i < kEntries; ++i)
        m_list->addItem(entries.value(i));

    // Which system device the chosen COM number opens, so the user can tell the ports apart.
    m_device = new QLabel(m_frame);
    m_device->setObjectName(QStringLiteral("lblDevice"));
    m_device->setFont(gothicFont(8.25));
    m_device->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_device->setTextFormat(Qt::PlainText);
    const QRect frameInside = m_frame->rect().adjusted(6, 0, -6, 0);
    const int deviceTop = m_list->geometry().bottom() + 3;
    m_device->setGeometry(frameInside.left(), deviceTop, frameInside.width(),
                          m_device->fontMetrics().height());

    m_ok = new QPushButton(Texts::portOk(), this);
    m_ok->setObjectName(QStringLiteral("cmdOK"));
    m_ok->setFont(fixedGothicFont(14.25));
    m_ok->setGeometry(pixelRect(600, 1680, 1095, 495));
    m_ok->setDefault(true);

    m_cancel = new QPushButton(Texts::portCancel(), this);
    m_cancel->setObjectName(QStringLiteral("cmdCancel"));
    m_cancel->setFont(gothicFont(14.25));
    m_cancel->setGeometry(pixelRect(2040, 1680, 1095, 495));

    // Below everything catalogued: 検索, the selected adapter's details and whether it can be
    // opened, then what 検索 found on each entry.
    m_find = new QPushButton(Texts::portFind(), this);
    m_find->setObjectName(QStringLiteral("cmdFind"));
    m_find->setFont(gothicFont(9));
    m_find->setGeometry(m_frame->x(), kCatalogueSize.height() - kMargin / 2, m_ok->width(), 24);

    m_found = linesLabel(QStringLiteral("lblFind"), m_frame->width(), this);
    m_info = linesLabel(QStringLiteral("lblPortInfo"), m_frame->width(), this);

    QWidget::setTabOrder(m_list, m_ok);
    QWidget::setTabOrder(m_ok, m_cancel);
    QWidget::setTabOrder(m_cancel, m_find);

    const bool known = portNumber >= 1 && portNumber <= kEntries;
    m_list->setCurrentIndex(known ? portNumber - 1 : -1);
    refresh();

    connect(m_list, &QComboBox::currentIndexChanged, this, &PortDialog::showDevice);
    connect(m_ok, &QPushButton::clicked, this, &PortDialog::confirm);
    // Escape reaches reject() through QDialog itself.
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_find, &QPushButton::clicked, this, &PortDialog::find);
    connect(&m_finder, &UnitFinder::finished, this, &PortDialog::showFound);
    connect(&m_finder, &UnitFinder::traffic, this, [this](const TrafficEvent &event) {
        if (m_survey.traffic)
            m_survey.traffic(event);
    });
    m_list->setFocus();

    // Adapters come and go while the dialog is open.
    m_refresh.setInterval(RefreshMs);
    connect(&m_refresh, &QTimer::timeout, this, &PortDialog::refresh);
    m_refresh.start();

    // Centred on the screen of the window that opened it.
    const QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen)
        move(screen->availableGeometry().center() - rect().center());
}

int PortDialog::portNumber() const
{
    return m_portNumber;
}

void PortDialog::refresh()
{
    if (m_survey.ports)
        m_survey.ports->refresh();
    for (int i = 0; i < kEntries; ++i) {
        const QString device = m_survey.ports ? m_survey.ports->device(i + 1) : QString();
        m_list->setItemData(i, deviceText(device), Qt::ToolTipRole);
    }
    showDevice(m_list->currentIndex());
}

void PortDialog::showDevice(int entry)
{
    const SystemPort port = (entry >= 0 && m_survey.ports) ? m_survey.ports->port(entry + 1)
                                                           : SystemPort{};
    QString deviceLine = entry < 0 ? QString() : Texts::noDeviceFound();
    QStringList info;
    if (!port.device.isEmpty()) {
        const bool held = port.device == m_survey.heldDevice;
        // While 検索 has the ports open, a check would find them in use by this program.
        const bool check = m_survey.check && !m_finder.isRunning();
        PortCheck state;
        if (!held && check)
            state = m_survey.check(port.device);
        if (state.failure != PortFailure::NoDevice) {
            deviceLine = port.device;
            info << Texts::portDetails(port);
            if (held || check)
                info << Texts::portState(state, held);
        }
    }
    info.removeAll(QString());
    m_device->setText(
        m_device->fontMetrics().elidedText(deviceLine, Qt::ElideMiddle, m_device->width()));
    m_device->setToolTip(deviceLine);
    m_info->setText(info.join(u'\n'));
    fitHeight();
}

void PortDialog::fitHeight()
{
    int top = m_find->geometry().bottom() + 1 + kMargin;
    for (QLabel *label : {m_info, m_found}) {
        label->setVisible(!label->text().isEmpty());
        if (label->text().isEmpty())
            continue;
        label->move(m_frame->x(), top);
        label->setFixedHeight(label->heightForWidth(label->width()));
        top = label->geometry().bottom() + 1 + kMargin;
    }
    setFixedSize(kCatalogueSize.width(), top);
}

void PortDialog::confirm()
{
    m_portNumber = m_list->currentIndex() + 1;
    accept();
}

void PortDialog::find()
{
    if (m_finder.isRunning())
        return;
    // The devices as they stand now; the list is not looked at again until the answers are in.
    m_refresh.stop();
    if (m_survey.ports)
        m_survey.ports->refresh();
    m_searched.clear();
    for (int i = 0; i < kEntries; ++i)
        m_searched << (m_survey.ports ? m_survey.ports->device(i + 1) : QString());
    QStringList devices = m_searched;
    devices.removeAll(QString());
    m_find->setEnabled(false);
    m_found->setText(Texts::portFinding());
    m_finder.start(devices, m_survey.lineSettings, m_survey.heldDevice);
    showDevice(m_list->currentIndex());
}

void PortDialog::showFound()
{
    const QList<FoundUnit> found = m_finder.results();
    const QStringList entries = Texts::portEntries();
    QStringList lines;
    int firstUnit = -1;
    qsizetype next = 0;
    for (int i = 0; i < kEntries; ++i) {
        QString text = Texts::noDeviceFound();
        if (!m_searched.value(i).isEmpty() && next < found.size()) {
            const FoundUnit &answer = found.at(next++);
            text = Texts::foundUnit(answer);
            if (firstUnit < 0 && answer.outcome == FoundUnit::Outcome::Unit)
                firstUnit = i;
        }
        lines << entries.value(i) + QStringLiteral("　") + text;
    }
    m_found->setText(lines.join(u'\n'));
    m_find->setEnabled(true);
    if (firstUnit >= 0)
        m_list->setCurrentIndex(firstUnit);
    refresh();
    m_refresh.start();
}

#include "ui/portdialog.h"

#include "link/portmap.h"
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

} // namespace

PortDialog::PortDialog(int portNumber, PortSurvey survey, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
    , m_portNumber(portNumber)
    , m_survey(std::move(survey))
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

    // The adapter's details and whether it can be opened, below everything catalogued.
    m_info = new QLabel(this);
    m_info->setObjectName(QStringLiteral("lblPortInfo"));
    m_info->setFont(gothicFont(9));
    m_info->setTextFormat(Qt::PlainText);
    m_info->setWordWrap(true);
    m_info->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_info->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_info->move(m_frame->x(), kCatalogueSize.height() - kMargin / 2);
    m_info->setFixedWidth(m_frame->width());

    QWidget::setTabOrder(m_list, m_ok);
    QWidget::setTabOrder(m_ok, m_cancel);

    const bool known = portNumber >= 1 && portNumber <= kEntries;
    m_list->setCurrentIndex(known ? portNumber - 1 : -1);
    refresh();

    connect(m_list, &QComboBox::currentIndexChanged, this, &PortDialog::showDevice);
    connect(m_ok, &QPushButton::clicked, this, &PortDialog::confirm);
    // Escape reaches reject() through QDialog itself.
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
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
        PortCheck check;
        if (!held && m_survey.check)
            check = m_survey.check(port.device);
        if (check.failure != PortFailure::NoDevice) {
            deviceLine = port.device;
            info << Texts::portDetails(port);
            if (held || m_survey.check)
                info << Texts::portState(check, held);
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
    int height = kCatalogueSize.height();
    if (!m_info->text().isEmpty()) {
        m_info->setFixedHeight(m_info->heightForWidth(m_info->width()));
        height = std::max(height, m_info->geometry().bottom() + 1 + kMargin);
    }
    m_info->setVisible(!m_info->text().isEmpty());
    setFixedSize(kCatalogueSize.width(), height);
}

void PortDialog::confirm()
{
    m_portNumber = m_list->currentIndex() + 1;
    accept();
}

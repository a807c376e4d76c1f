#include "ui/portdialog.h"

#include "ui/fonts.h"
#include "ui/texts.h"
#include "ui/captionframe.h"
#include "ui/twips.h"

#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include <utility>

namespace {

constexpr int kEntries = 9;

QString deviceText(const QString &device)
{
    return device.isEmpty() ? Texts::noDeviceFound() : device;
}

} // namespace

PortDialog::PortDialog(int portNumber, QStringList deviceNames, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
    , m_portNumber(portNumber)
    , m_deviceNames(std::move(deviceNames))
{
    setObjectName(QStringLiteral("frmCom"));
    setWindowTitle(Texts::portDialogTitle());
    setFixedSize(pixelRect(0, 0, 3405, 2295).size());

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
    for (int i = 0; i < kEntries; ++i) {
        m_list->addItem(entries.value(i));
        m_list->setItemData(i, deviceText(m_deviceNames.value(i)), Qt::ToolTipRole);
    }

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

    QWidget::setTabOrder(m_list, m_ok);
    QWidget::setTabOrder(m_ok, m_cancel);

    connect(m_list, &QComboBox::currentIndexChanged, this, &PortDialog::showDevice);
    connect(m_ok, &QPushButton::clicked, this, &PortDialog::confirm);
    // Escape reaches reject() through QDialog itself.
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    const bool known = portNumber >= 1 && portNumber <= kEntries;
    m_list->setCurrentIndex(known ? portNumber - 1 : -1);
    showDevice(m_list->currentIndex());
    m_list->setFocus();

    // Centred on the screen of the window that opened it.
    const QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen)
        move(screen->availableGeometry().center() - rect().center());
}

int PortDialog::portNumber() const
{
    return m_portNumber;
}

void PortDialog::showDevice(int entry)
{
    if (entry < 0) {
        m_device->clear();
        m_device->setToolTip(QString());
        return;
    }
    const QString text = deviceText(m_deviceNames.value(entry));
    m_device->setText(
        m_device->fontMetrics().elidedText(text, Qt::ElideMiddle, m_device->width()));
    m_device->setToolTip(text);
}

void PortDialog::confirm()
{
    m_portNumber = m_list->currentIndex() + 1;
    accept();
}

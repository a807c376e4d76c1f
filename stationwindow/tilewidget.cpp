#include "stationwindow/tilewidget.h"

#include "station/adapterslot.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

TileWidget::TileWidget(AdapterSlot *slot, QWidget *parent)
    : QFrame(parent)
    , m_slot(slot)
    , m_adapter(new QLabel(this))
    , m_state(new QLabel(this))
    , m_ownId(new QLabel(this))
    , m_model(new QLabel(this))
    , m_progress(new QProgressBar(this))
    , m_message(new QLabel(this))
    , m_removed(new QLabel(tr("取り外し済み"), this))
    , m_reuse(new QPushButton(tr("この自己IDを再使用"), this))
{
    setObjectName(QStringLiteral("tile"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    setMinimumSize(230, 210);
    auto *layout = new QVBoxLayout(this);
    const Adapter &adapter = slot->adapter();
    m_adapter->setText(adapter.serialNumber.isEmpty()
                           ? adapter.label
                           : tr("%1\nシリアル番号 %2").arg(adapter.label, adapter.serialNumber));
    m_adapter->setWordWrap(true);
    m_adapter->setObjectName(QStringLiteral("tileAdapter"));
    QFont big = font();
    big.setPointSize(big.pointSize() + 4);
    big.setBold(true);
    m_state->setFont(big);
    m_state->setObjectName(QStringLiteral("tileState"));
    QFont huge = font();
    huge.setPointSize(huge.pointSize() * 3);
    huge.setBold(true);
    m_ownId->setFont(huge);
    m_ownId->setAlignment(Qt::AlignCenter);
    m_ownId->setObjectName(QStringLiteral("tileOwnId"));
    m_progress->setTextVisible(true);
    m_message->setWordWrap(true);
    m_message->setObjectName(QStringLiteral("tileMessage"));
    m_reuse->setObjectName(QStringLiteral("tileReuse"));
    m_removed->setObjectName(QStringLiteral("tileRemoved"));
    layout->addWidget(m_adapter);
    layout->addWidget(m_state);
    layout->addWidget(m_removed);
    layout->addWidget(m_model);
    layout->addWidget(m_ownId, 1);
    layout->addWidget(m_progress);
    layout->addWidget(m_message);
    layout->addWidget(m_reuse);
    connect(m_reuse, &QPushButton::clicked, this, [this] { emit reuseRequested(m_slot); });
    connect(slot, &AdapterSlot::changed, this, &TileWidget::refresh);
    refresh();
}

void TileWidget::refresh()
{
    using State = SlotView::State;
    const SlotView &view = m_slot->view();
    QString symbol;
    QString word;
    QColor colour;
    switch (view.state) {
    case State::Off:
        symbol = QStringLiteral("■");
        word = tr("停止中");
        colour = QColor(0xe0, 0xe0, 0xe0);
        break;
    case State::Waiting:
        symbol = QStringLiteral("○");
        word = tr("待機中");
        colour = QColor(0xf4, 0xf4, 0xf4);
        break;
    case State::InUse:
        symbol = QStringLiteral("⊘");
        word = tr("使用できません");
        colour = QColor(0xd8, 0xd8, 0xd8);
        break;
    case State::NeedsId:
        symbol = QStringLiteral("？");
        word = tr("自己ID待ち");
        colour = QColor(0xff, 0xf3, 0xb0);
        break;
    case State::Writing:
        symbol = QStringLiteral("▶");
        word = tr("書込中 %1/%2").arg(view.step).arg(view.steps);
        colour = QColor(0xcc, 0xe4, 0xff);
        break;
    case State::Verifying:
        symbol = QStringLiteral("▶");
        word = tr("照合中");
        colour = QColor(0xcc, 0xe4, 0xff);
        break;
    case State::Done:
        symbol = QStringLiteral("✔");
        word = tr("完了");
        colour = QColor(0x9c, 0xe0, 0x9c);
        break;
    case State::Failed:
        symbol = QStringLiteral("✖");
        word = tr("失敗");
        colour = QColor(0xf4, 0x9c, 0x9c);
        break;
    case State::Interrupted:
        symbol = QStringLiteral("⚠");
        word = tr("中断");
        colour = QColor(0xf8, 0xc0, 0x80);
        break;
    case State::Unreadable:
        symbol = QStringLiteral("⚠");
        word = tr("応答を読み取れません");
        colour = QColor(0xd8, 0xc4, 0xf0);
        break;
    }
    // A result whose unit has gone stays, dimmed, until the next unit answers.
    if (view.removed) {
        colour = colour.lighter(115);
        colour.setHsv(colour.hsvHue(), colour.hsvSaturation() / 2, colour.value());
    }
    m_state->setText(symbol + QLatin1Char(' ') + word);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, colour);
    palette.setColor(QPalette::WindowText, view.removed ? QColor(0x60, 0x60, 0x60) : Qt::black);
    setPalette(palette);
    const bool working = view.state == State::Writing || view.state == State::Verifying;
    m_progress->setVisible(working);
    m_progress->setRange(0, view.steps > 0 ? view.steps : 17);
    m_progress->setValue(view.step);
    m_removed->setVisible(view.removed);
    const bool showsUnit = view.state != State::Off && view.state != State::Waiting
        && view.state != State::InUse && view.state != State::Unreadable;
    m_ownId->setText(showsUnit ? view.ownId : QString());
    m_model->setText(showsUnit ? view.model : QString());
    m_message->setText(view.message);
    m_reuse->setVisible(view.ownIdReusable && view.state == State::Interrupted);
    setAccessibleName(m_adapter->text() + QLatin1Char(' ') + m_state->text()
                      + (view.removed ? QLatin1Char(' ') + m_removed->text() : QString()));
}

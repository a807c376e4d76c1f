#pragma once

#include <QFrame>

class AdapterSlot;
class QLabel;
class QProgressBar;
class QPushButton;

// One adapter's tile: its path and serial number, the step in progress, then 完了 in green with
// the own ID in large type, or 失敗 / 中断 in red and orange with the reason in words. Each
// state has its symbol as well as its colour, for colour-blind users.
class TileWidget : public QFrame
{
    Q_OBJECT
public:
    explicit TileWidget(AdapterSlot *slot, QWidget *parent = nullptr);

    AdapterSlot *adapterSlot() const { return m_slot; }
    void refresh();

signals:
    void reuseRequested(AdapterSlot *slot);

private:
    AdapterSlot *m_slot;
    QLabel *m_adapter;
    QLabel *m_state;
    QLabel *m_ownId;
    QLabel *m_model;
    QProgressBar *m_progress;
    QLabel *m_message;
    QLabel *m_removed;
    QPushButton *m_reuse;
};

#pragma once

#include "link/trafficlog.h"

#include <QAbstractTableModel>
#include <QWidget>

class Prompter;
class QPushButton;
class QTreeView;

// The rows of a TrafficLog as a table (time, port, direction, text). It keeps no copy: it
// follows the log as rows are added, dropped at the bound and cleared.
class TrafficModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { Time, Port, Direction, Text, ColumnCount };

    explicit TrafficModel(const TrafficLog *log, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    const TrafficRow &row(int index) const { return m_log->rows().at(index); }

private:
    void addRow();
    void dropRows(qsizetype count);
    void clearRows();

    const TrafficLog *m_log;
    int m_count = 0;  // rows the views have been told about
};

// 情報 → 通信ログ: a window of its own beside the main window, usable while the main window
// waits for the unit. It follows the newest row unless the user has scrolled up; its buttons
// copy the selected rows, save the whole log as a text file and clear it.
class TrafficWindow : public QWidget
{
    Q_OBJECT
public:
    TrafficWindow(TrafficLog *log, Prompter *prompter, const QString &directory,
                  QWidget *parent);
    ~TrafficWindow() override;

    bool followsNewest() const { return m_follow; }
    void copySelection();
    void save();

protected:
    void hideEvent(QHideEvent *event) override;

private:
    void placeBeside(const QWidget *owner);

    TrafficLog *m_log;
    Prompter *m_prompter;
    QString m_directory;
    TrafficModel *m_model = nullptr;
    QTreeView *m_view = nullptr;
    QPushButton *m_copy = nullptr;
    bool m_follow = true;
    bool m_geometryWarned = false;
};

#include "ui/trafficwindow.h"

#include "file/filewriter.h"
#include "ui/fonts.h"
#include "ui/preferences.h"
#include "ui/prompter.h"
#include "ui/texts.h"

#include <QAction>
#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

TrafficModel::TrafficModel(const TrafficLog *log, QObject *parent)
    : QAbstractTableModel(parent)
    , m_log(log)
    , m_count(static_cast<int>(log->rows().size()))
{
    connect(log, &TrafficLog::rowAdded, this, &TrafficModel::addRow);
    connect(log, &TrafficLog::rowsDropped, this, &TrafficModel::dropRows);
    connect(log, &TrafficLog::cleared, this, &TrafficModel::clearRows);
}

int TrafficModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_count;
}

int TrafficModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TrafficModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_count)
        return {};
    const TrafficRow &shown = row(index.row());
    switch (index.column()) {
    case Time:
        return shown.time.toString(QStringLiteral("HH:mm:ss.zzz"));
    case Port:
        return shown.port;
    case Direction:
        return TrafficLog::directionName(shown.direction);
    case Text:
        return shown.text;
    default:
        return {};
    }
}

QVariant TrafficModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return Texts::trafficColumns().value(section);
}

// The log appends first and then reports, so the new row is always the last one it holds.
void TrafficModel::addRow()
{
    beginInsertRows({}, m_count, m_count);
    ++m_count;
    endInsertRows();
}

void TrafficModel::dropRows(qsizetype count)
{
    const int dropped = static_cast<int>(std::min<qsizetype>(count, m_count));
    if (dropped <= 0)
        return;
    beginRemoveRows({}, 0, dropped - 1);
    m_count -= dropped;
    endRemoveRows();
}

void TrafficModel::clearRows()
{
    beginResetModel();
    m_count = 0;
    endResetModel();
}

TrafficWindow::TrafficWindow(TrafficLog *log, Prompter *prompter, const QString &directory,
                             QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_log(log)
    , m_prompter(prompter)
    , m_directory(directory)
{
    setObjectName(QStringLiteral("frmLog"));
    setWindowTitle(Texts::trafficTitle());
    setFont(gothicFont(9.75));

    m_model = new TrafficModel(log, this);
    m_view = new QTreeView(this);
    m_view->setObjectName(QStringLiteral("lstLog"));
    m_view->setModel(m_model);
    m_view->setFont(fixedGothicFont(9.75));
    m_view->header()->setFont(font());
    m_view->setRootIsDecorated(false);
    m_view->setItemsExpandable(false);
    m_view->setUniformRowHeights(true);  // keeps 10 000 rows cheap to lay out
    m_view->setAllColumnsShowFocus(true);
    m_view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    const QFontMetrics metrics(m_view->font());
    m_view->setColumnWidth(TrafficModel::Time, metrics.horizontalAdvance(u'0') * 14);
    m_view->setColumnWidth(TrafficModel::Port, metrics.horizontalAdvance(u'0') * 14);
    m_view->setColumnWidth(TrafficModel::Direction, metrics.horizontalAdvance(u'0') * 6);

    auto *copyAction = new QAction(m_view);
    copyAction->setShortcut(QKeySequence::Copy);
    copyAction->setShortcutContext(Qt::WidgetShortcut);
    m_view->addAction(copyAction);
    connect(copyAction, &QAction::triggered, this, &TrafficWindow::copySelection);

    m_copy = new QPushButton(Texts::trafficCopy(), this);
    m_copy->setObjectName(QStringLiteral("cmdLogCopy"));
    m_copy->setEnabled(false);
    auto *save = new QPushButton(Texts::trafficSave(), this);
    save->setObjectName(QStringLiteral("cmdLogSave"));
    auto *clear = new QPushButton(Texts::trafficClear(), this);
    clear->setObjectName(QStringLiteral("cmdLogClear"));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_copy);
    buttons->addWidget(save);
    buttons->addWidget(clear);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_view);
    layout->addLayout(buttons);

    connect(m_copy, &QPushButton::clicked, this, &TrafficWindow::copySelection);
    connect(save, &QPushButton::clicked, this, &TrafficWindow::save);
    connect(clear, &QPushButton::clicked, m_log, &TrafficLog::clear);
    connect(m_view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { m_copy->setEnabled(m_view->selectionModel()->hasSelection()); });
    connect(m_model, &QAbstractItemModel::modelReset, this,
            [this] { m_copy->setEnabled(false); });

    // At the bottom the view follows new rows; scrolled up, it stays where the user put it.
    QScrollBar *bar = m_view->verticalScrollBar();
    connect(bar, &QScrollBar::valueChanged, this,
            [this, bar](int value) { m_follow = value >= bar->maximum(); });
    connect(m_model, &QAbstractItemModel::rowsInserted, this, &TrafficWindow::rowsArrived);

    if (!restoreGeometry(Preferences::trafficWindowGeometry()))
        resize(720, 400);
}

void TrafficWindow::rowsArrived()
{
    // Once per turn of the event loop, however many rows a burst brought.
    if (!m_follow || m_scrollPending)
        return;
    m_scrollPending = true;
    QTimer::singleShot(0, this, [this] {
        m_scrollPending = false;
        if (m_follow)
            m_view->scrollToBottom();
    });
}

void TrafficWindow::copySelection()
{
    QModelIndexList selected = m_view->selectionModel()->selectedRows();
    if (selected.isEmpty())
        return;
    std::sort(selected.begin(), selected.end());
    QStringList lines;
    for (const QModelIndex &index : std::as_const(selected))
        lines << TrafficLog::formatRow(m_model->row(index.row()));
    QGuiApplication::clipboard()->setText(lines.join(u'\n') + u'\n');
}

void TrafficWindow::save()
{
    const auto path = m_prompter->saveFileName({Texts::trafficSaveTitle(), m_directory,
                                                Texts::trafficFileFilter(),
                                                QStringLiteral("txt")});
    if (!path)
        return;
    if (QFileInfo(*path).isFile()) {
        const Texts::Box overwrite = Texts::overwrite();
        if (m_prompter->message(overwrite.text, overwrite.title, Prompter::Buttons::OkCancel)
            != Prompter::Answer::Ok) {
            return;
        }
    }
    QByteArray content;
    for (const TrafficRow &row : m_log->rows())
        content += TrafficLog::formatRow(row).toUtf8() + '\n';
    const FileWriteResult written = replaceFile(*path, content);
    if (!written.ok) {
        const Texts::Box failed = Texts::trafficSaveFailed(written.reason);
        m_prompter->message(failed.text, failed.title, Prompter::Buttons::Ok);
    }
}

void TrafficWindow::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (event->spontaneous())
        return;  // minimised, not closed
    if (Preferences::setTrafficWindowGeometry(saveGeometry()) || m_geometryWarned)
        return;
    m_geometryWarned = true;
    const Texts::Box failed = Texts::preferenceNotStored();
    m_prompter->message(failed.text, failed.title, Prompter::Buttons::Ok);
}

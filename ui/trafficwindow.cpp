#include "ui/trafficwindow.h"

#include "ui/fonts.h"
#include "ui/preferences.h"
#include "ui/prompter.h"
#include "ui/saveaskingfirst.h"
#include "ui/texts.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
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
    m_view->setFont(fixedGothicFont(9.75));
    m_view->header()->setFont(font());
    m_view->setRootIsDecorated(false);
    m_view->setItemsExpandable(false);
    m_view->setUniformRowHeights(true);  // keeps 10 000 rows cheap to lay out
    m_view->setAllColumnsShowFocus(true);
    m_view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    // Rows dropped at the bound leave from the top. A current row among them would hand its
    // place to the next one and drag the view up there. Connected before the view's own
    // handler, which makes that hand-over.
    connect(m_model, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex &, int, int last) {
                if (m_view->currentIndex().row() <= last)
                    m_view->selectionModel()->clearCurrentIndex();
            });
    m_view->setModel(m_model);
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

    // At the bottom the view follows new rows (and a resize); scrolled up, it stays where the
    // user put it. The range changes once per layout, however many rows a burst brought.
    QScrollBar *bar = m_view->verticalScrollBar();
    connect(bar, &QScrollBar::valueChanged, this,
            [this, bar](int value) { m_follow = value >= bar->maximum(); });
    connect(bar, &QScrollBar::rangeChanged, this, [this, bar](int, int maximum) {
        if (m_follow)
            bar->setValue(maximum);
    });
    // A user who scrolled up keeps the same rows in sight while old ones leave from the top.
    connect(m_model, &QAbstractItemModel::rowsRemoved, this,
            [this, bar](const QModelIndex &, int first, int last) {
                if (!m_follow)
                    bar->setValue(bar->value() - (last - first + 1));
            });

    if (!restoreGeometry(Preferences::trafficWindowGeometry()))
        placeBeside(parent);
}

TrafficWindow::~TrafficWindow()
{
    // The view and the model are children, destroyed when this is a plain QWidget already:
    // whatever they say on their way out must not reach this window.
    disconnect(m_view->verticalScrollBar(), nullptr, this, nullptr);
    disconnect(m_view->selectionModel(), nullptr, this, nullptr);
    disconnect(m_model, nullptr, this, nullptr);
}

void TrafficWindow::placeBeside(const QWidget *owner)
{
    resize(720, 400);
    if (!owner || !owner->screen())
        return;
    // To the right of the main window, as far as the screen allows, its menus left clear.
    const QRect screen = owner->screen()->availableGeometry();
    const QRect ownerFrame = owner->frameGeometry();
    const int left = std::max(screen.left(), std::min(ownerFrame.right() + 8,
                                                      screen.right() - width()));
    move(left, ownerFrame.top() + ownerFrame.height() / 4);
}

void TrafficWindow::copySelection()
{
    QModelIndexList selected = m_view->selectionModel()->selectedRows();
    if (selected.isEmpty())
        return;
    std::sort(selected.begin(), selected.end());
    QList<TrafficRow> rows;
    for (const QModelIndex &index : std::as_const(selected))
        rows << m_model->row(index.row());
    QGuiApplication::clipboard()->setText(TrafficLog::formatRows(rows));
}

void TrafficWindow::save()
{
    const auto path = m_prompter->saveFileName({Texts::trafficSaveTitle(), m_directory,
                                                Texts::trafficFileFilter(),
                                                QStringLiteral("txt")});
    if (!path)
        return;
    saveAskingFirst(*m_prompter, *path, TrafficLog::formatRows(m_log->rows()).toUtf8(),
                    &Texts::trafficSaveFailed);
}

void TrafficWindow::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (event->spontaneous())
        return;  // minimised, not closed
    if (Preferences::setTrafficWindowGeometry(saveGeometry()) || m_geometryWarned)
        return;
    m_geometryWarned = true;
    m_prompter->show(Texts::preferenceNotStored());
}

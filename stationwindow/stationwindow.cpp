#include "stationwindow/stationwindow.h"

#include "stationwindow/stationreport.h"
#include "stationwindow/tilewidget.h"
#include "settings/parameters.h"
#include "ui/prompter.h"

#include <QApplication>
#include <QButtonGroup>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int TileColumns = 4;

QString roleName(int role)
{
    switch (role) {
    case 1: return QCoreApplication::translate("StationWindow", "親機");
    case 2: return QCoreApplication::translate("StationWindow", "中継機");
    default: return QCoreApplication::translate("StationWindow", "子機");
    }
}

} // namespace

StationWindow::StationWindow(const StationStart &start, Prompter *prompter, QWidget *parent)
    : QMainWindow(parent)
    , m_station(start.patterns)
    , m_prompter(prompter)
    , m_settings(new QLineEdit(start.settingsPath))
    , m_job(new QLabel)
    , m_rule(new QButtonGroup(this))
    , m_from(new QSpinBox)
    , m_scan(new QLineEdit)
    , m_operator(new QLineEdit(start.operatorName))
    , m_record(new QLineEdit(start.recordPath))
    , m_jobName(new QLineEdit(start.jobName))
    , m_start(new QPushButton(tr("開始")))
    , m_stop(new QPushButton(tr("停止")))
    , m_report(new QPushButton(tr("報告書を保存")))
    , m_counters(new QLabel)
    , m_message(new QLabel)
    , m_tiles(new QGridLayout)
    , m_sound([this](StationCue cue) { playCue(cue, this); })
{
    setWindowTitle(tr("ZRT48210 生産ステーション"));
    auto *central = new QWidget;
    auto *outer = new QVBoxLayout(central);

    auto *jobBox = new QGroupBox(tr("作業"));
    auto *form = new QFormLayout(jobBox);
    auto *settingsRow = new QHBoxLayout;
    auto *chooseSettings = new QPushButton(tr("選択..."));
    settingsRow->addWidget(m_settings, 1);
    settingsRow->addWidget(chooseSettings);
    form->addRow(tr("設定ファイル"), settingsRow);
    m_job->setWordWrap(true);
    form->addRow(QString(), m_job);

    auto *ruleRow = new QHBoxLayout;
    auto *fromFile = new QRadioButton(tr("ファイルのまま"));
    auto *sequence = new QRadioButton(tr("連番"));
    auto *perUnit = new QRadioButton(tr("ユニットごとに入力・スキャン"));
    m_rule->addButton(fromFile, int(OwnIdRule::FromFile));
    m_rule->addButton(sequence, int(OwnIdRule::Sequence));
    m_rule->addButton(perUnit, int(OwnIdRule::PerUnit));
    const FieldBounds ownIds = fieldBounds(ParameterKey::MYID);
    m_from->setRange(ownIds.minimum, ownIds.maximum);
    m_from->setValue(start.sequenceFrom.value_or(1));
    (start.sequenceFrom ? sequence : fromFile)->setChecked(true);
    ruleRow->addWidget(fromFile);
    ruleRow->addWidget(sequence);
    ruleRow->addWidget(new QLabel(tr("開始番号")));
    ruleRow->addWidget(m_from);
    ruleRow->addWidget(perUnit);
    ruleRow->addStretch();
    form->addRow(tr("自己ID"), ruleRow);
    m_scan->setPlaceholderText(tr("自己IDを入力またはスキャンして Enter"));
    m_scan->setObjectName(QStringLiteral("scan"));
    form->addRow(tr("次のユニットの自己ID"), m_scan);
    form->addRow(tr("作業者"), m_operator);
    auto *recordRow = new QHBoxLayout;
    auto *chooseRecord = new QPushButton(tr("選択..."));
    recordRow->addWidget(m_record, 1);
    recordRow->addWidget(chooseRecord);
    form->addRow(tr("記録ファイル"), recordRow);
    m_jobName->setObjectName(QStringLiteral("jobName"));
    m_jobName->setPlaceholderText(tr("データベースの記録で複数のステーションが共有する作業の名前"
                                     "（空なら設定ファイル名）"));
    form->addRow(tr("作業名"), m_jobName);
    outer->addWidget(jobBox);

    auto *buttons = new QHBoxLayout;
    m_start->setObjectName(QStringLiteral("start"));
    m_stop->setObjectName(QStringLiteral("stop"));
    m_report->setObjectName(QStringLiteral("report"));
    m_stop->setEnabled(false);
    buttons->addWidget(m_start);
    buttons->addWidget(m_stop);
    buttons->addWidget(m_report);
    buttons->addStretch();
    m_counters->setObjectName(QStringLiteral("counters"));
    buttons->addWidget(m_counters);
    outer->addLayout(buttons);
    m_message->setObjectName(QStringLiteral("message"));
    m_message->setWordWrap(true);
    outer->addWidget(m_message);

    auto *tilesHolder = new QWidget;
    auto *tilesOuter = new QVBoxLayout(tilesHolder);
    tilesOuter->addLayout(m_tiles);
    tilesOuter->addStretch();
    auto *scroll = new QScrollArea;
    scroll->setWidgetResizable(true);
    scroll->setWidget(tilesHolder);
    outer->addWidget(scroll, 1);
    setCentralWidget(central);
    resize(1000, 720);

    m_jobControls = {m_settings, chooseSettings, fromFile, sequence, perUnit, m_from,
                     m_operator, m_record, chooseRecord, m_jobName};
    connect(chooseSettings, &QPushButton::clicked, this, &StationWindow::chooseSettings);
    connect(chooseRecord, &QPushButton::clicked, this, &StationWindow::chooseRecord);
    connect(m_settings, &QLineEdit::editingFinished, this, &StationWindow::showJob);
    connect(m_start, &QPushButton::clicked, this, &StationWindow::startWork);
    connect(m_stop, &QPushButton::clicked, this, &StationWindow::stopWork);
    connect(m_report, &QPushButton::clicked, this, &StationWindow::saveReport);
    connect(m_scan, &QLineEdit::returnPressed, this, &StationWindow::scanLabel);
    connect(&m_station, &Station::slotAdded, this, &StationWindow::addTile);
    connect(&m_station, &Station::slotRemoved, this, &StationWindow::removeTile);
    connect(&m_station, &Station::countersChanged, this, &StationWindow::showCounters);
    connect(&m_station, &Station::activeChanged, this, [this](bool active) {
        m_start->setEnabled(!active);
        m_stop->setEnabled(active);
        setEditable(!active);
    });
    connect(&m_station, &Station::halted, this, [this](const QString &why) {
        say(why, true);
        m_sound(StationCue::Failed);
    });
    connect(&m_station, &Station::recorded, this, [this](AdapterSlot *, const RecordRow &row) {
        m_sound(row.result == QLatin1String("done") ? StationCue::Done : StationCue::Failed);
    });
    showJob();
    showCounters();
    m_station.watchAdapters();
    if (start.startAtOnce)
        QTimer::singleShot(0, this, &StationWindow::startWork);
}

TileWidget *StationWindow::tile(const QString &path) const
{
    for (TileWidget *tile : m_tileList) {
        if (tile->adapterSlot()->adapter().path == path)
            return tile;
    }
    return nullptr;
}

void StationWindow::chooseSettings()
{
    const auto path = m_prompter->openFileName(
        {tr("設定ファイル"), QFileInfo(m_settings->text()).path(),
         tr("テキストファイル（*.txt）|*.txt|すべてのファイル（*.*）|*"), QStringLiteral("txt")});
    if (!path)
        return;
    m_settings->setText(*path);
    showJob();
}

void StationWindow::chooseRecord()
{
    // An existing record is appended to, never replaced.
    const auto path = m_prompter->saveFileName(
        {tr("記録ファイル"), QFileInfo(m_record->text()).path(), tr("CSVファイル（*.csv）|*.csv"),
         QStringLiteral("csv")});
    if (path)
        m_record->setText(*path);
}

// The file's kind, role, frequency and own-ID rule in plain words.
void StationWindow::showJob()
{
    if (m_settings->text().isEmpty()) {
        m_job->setText(tr("設定ファイルを選んでください"));
        return;
    }
    const JobSettings job = loadJobSettings(m_settings->text());
    if (!job.error.isEmpty()) {
        m_job->setText(tr("この設定ファイルは使えません: %1").arg(job.error));
        return;
    }
    const QString kind = job.analog ? tr("アナログユニット（48220・48221）")
                                    : tr("デジタルユニット（48210）");
    const QString ownId = job.fixedOwnId.isEmpty()
        ? tr("子機の自己IDは下の選択で決まります（ファイルでは %1）").arg(job.fileOwnId)
        : tr("%1の自己IDは常に %2").arg(roleName(job.role), job.fixedOwnId);
    m_job->setText(tr("%1・%2・周波数 %3・%4")
                       .arg(kind, roleName(job.role), job.frequency, ownId));
}

void StationWindow::startWork()
{
    StationSetup setup;
    setup.settingsPath = m_settings->text();
    setup.recordPath = m_record->text();
    setup.jobName = m_jobName->text();
    setup.operatorName = m_operator->text().trimmed();
    setup.rule = static_cast<OwnIdRule>(m_rule->checkedId());
    setup.sequenceFrom = m_from->value();
    showJob();
    QString why;
    if (!m_station.prepare(setup, &why)) {
        say(why, true);
        return;
    }
    say(tr("作業中: ユニットをつなぐと設定されます"), false);
    m_station.start();
}

void StationWindow::stopWork()
{
    m_station.stop();
    say(tr("停止しました: 作業中のユニットは今の行で終わります"), false);
}

void StationWindow::saveReport()
{
    if (m_record->text().isEmpty()) {
        say(tr("記録ファイルを選んでください"), true);
        return;
    }
    const auto path = m_prompter->saveFileName(
        {tr("報告書を保存"), QFileInfo(m_record->text()).path(), tr("PDFファイル（*.pdf）|*.pdf"),
         QStringLiteral("pdf")});
    if (!path)
        return;
    QString why;
    StationSetup shown;
    shown.settingsPath = m_settings->text();
    shown.jobName = m_jobName->text();
    if (writeStationReport(m_record->text(), Station::jobNameOf(shown), *path, &why))
        say(tr("報告書を保存しました: %1").arg(*path), false);
    else
        say(why, true);
}

void StationWindow::scanLabel()
{
    QString why;
    if (m_station.queueLabel(m_scan->text(), &why)) {
        say(tr("次のユニットの自己ID: %1").arg(m_scan->text().trimmed()), false);
        m_scan->clear();
    } else {
        say(why, true);
        m_scan->selectAll();
    }
}

void StationWindow::addTile(AdapterSlot *slot, int position)
{
    auto *tile = new TileWidget(slot);
    connect(tile, &TileWidget::reuseRequested, this,
            [this](AdapterSlot *s) { m_station.reuseOwnId(s); });
    m_tileList.insert(position, tile);
    layoutTiles();
}

void StationWindow::removeTile(AdapterSlot *slot)
{
    for (TileWidget *tile : QList<TileWidget *>(m_tileList)) {
        if (tile->adapterSlot() == slot) {
            // Later: the tile's own button may be what removed it.
            m_tileList.removeAll(tile);
            m_tiles->removeWidget(tile);
            tile->hide();
            tile->deleteLater();
        }
    }
    layoutTiles();
}

void StationWindow::layoutTiles()
{
    for (int i = 0; i < m_tileList.size(); ++i)
        m_tiles->addWidget(m_tileList.at(i), i / TileColumns, i % TileColumns);
}

void StationWindow::showCounters()
{
    const StationCounters c = m_station.counters();
    const QString next = c.nextOwnId ? ownIdText(*c.nextOwnId) : QStringLiteral("-");
    const QString text = tr("今回: 完了 %1  失敗 %2 ｜ 記録: 完了 %3  失敗 %4 ｜ 次の自己ID %5")
                             .arg(c.sessionDone).arg(c.sessionFailed)
                             .arg(c.recordDone).arg(c.recordFailed).arg(next);
    // A plant's job counts every station's units.
    m_counters->setText(c.sharedJob.isEmpty()
                            ? text
                            : tr("作業「%1」（全ステーション）｜ %2").arg(c.sharedJob, text));
}

void StationWindow::say(const QString &message, bool error)
{
    m_message->setText(message);
    QPalette palette = m_message->palette();
    palette.setColor(QPalette::WindowText, error ? QColor(0xc0, 0, 0) : Qt::black);
    m_message->setPalette(palette);
}

void StationWindow::setEditable(bool editable)
{
    for (QWidget *control : std::as_const(m_jobControls))
        control->setEnabled(editable);
}

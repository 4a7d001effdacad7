#include "ui/bench_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "fleet/bench.h"
#include "session/port_choices.h"
#include "ui/folder_picker.h"

namespace {

// Where handsets appear on this system when plugged in: the stable names of USB serial ports.
constexpr const char* defaultWatchFolder = "/dev/serial/by-id";
constexpr int redrawMs = 100;  // at most ten redraws a second

QString Text(const std::string& text) { return QString::fromStdString(text); }

QWidget* FieldWithButton(QLineEdit* field, QPushButton* button)
{
    auto* box = new QWidget;
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(field, 1);
    row->addWidget(button);
    return box;
}

}  // namespace

CBenchWindow::CBenchWindow(QWidget* parent, const LinkTiming& timing, std::function<std::string()> heldPort)
    : QWidget(parent, Qt::Window),
      bench_(std::make_unique<CBench>(timing)),
      heldPort_(std::move(heldPort))
{
    setObjectName(QStringLiteral("benchWindow"));
    setWindowTitle(QStringLiteral("Bench - VANT Ferrant"));

    ports_ = new QLineEdit(this);
    ports_->setObjectName(QStringLiteral("ports"));
    ports_->setPlaceholderText(QStringLiteral("COM3,COM4 or SIM,SIM"));
    choices_ = new QListWidget(this);
    choices_->setObjectName(QStringLiteral("portChoices"));
    choices_->setMaximumHeight(72);
    action_ = new QComboBox(this);
    action_->setObjectName(QStringLiteral("action"));
    for (const CBenchActionName& entry : BenchActions())
        action_->addItem(QString::fromUtf8(entry.text), static_cast<int>(entry.action));
    folder_ = new QLineEdit(this);
    folder_->setObjectName(QStringLiteral("folder"));
    folderBrowse_ = new QPushButton(QStringLiteral("Browse..."), this);
    moduleName_ = new QLineEdit(this);
    moduleName_->setObjectName(QStringLiteral("moduleName"));
    moduleName_->setMaxLength(60);
    name_ = new QLineEdit(this);
    name_->setObjectName(QStringLiteral("name"));
    name_->setMaxLength(60);
    file_ = new QLineEdit(this);
    file_->setObjectName(QStringLiteral("file"));
    fileBrowse_ = new QPushButton(QStringLiteral("Browse..."), this);
    watch_ = new QCheckBox(QStringLiteral("&Watch for new handsets in"), this);
    watch_->setObjectName(QStringLiteral("watch"));
    watchFolder_ = new QLineEdit(QString::fromLatin1(defaultWatchFolder), this);
    watchFolder_->setObjectName(QStringLiteral("watchFolder"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Ports:"), ports_);
    form->addRow(QString(), choices_);
    form->addRow(QStringLiteral("&Action:"), action_);
    form->addRow(QStringLiteral("&Folder:"), FieldWithButton(folder_, folderBrowse_));
    form->addRow(QStringLiteral("&Module name:"), moduleName_);
    form->addRow(QStringLiteral("&Name:"), name_);
    form->addRow(QStringLiteral("F&ile:"), FieldWithButton(file_, fileBrowse_));
    auto* watchRow = new QHBoxLayout;
    watchRow->addWidget(watch_);
    watchRow->addWidget(watchFolder_, 1);
    form->addRow(watchRow);

    start_ = new QPushButton(QStringLiteral("&Start"), this);
    start_->setObjectName(QStringLiteral("start"));
    stop_ = new QPushButton(QStringLiteral("S&top"), this);
    stop_->setObjectName(QStringLiteral("stop"));
    retry_ = new QPushButton(QStringLiteral("&Retry failed"), this);
    retry_->setObjectName(QStringLiteral("retry"));
    save_ = new QPushButton(QStringLiteral("Save s&ummary..."), this);
    save_->setObjectName(QStringLiteral("saveSummary"));
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {start_, stop_, retry_, save_})
        buttons->addWidget(button);
    buttons->addStretch(1);

    table_ = new QTableWidget(0, benchColumnCount, this);
    table_->setObjectName(QStringLiteral("rows"));
    table_->setHorizontalHeaderLabels({QStringLiteral("Port"), QStringLiteral("Model"), QStringLiteral("Phase"),
                                       QStringLiteral("Progress"), QStringLiteral("Bytes/s"),
                                       QStringLiteral("Result")});
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 10);
    table_->setWordWrap(false);
    table_->horizontalHeader()->setStretchLastSection(true);
    const std::pair<int, int> widths[] = {{benchColumnPort, 120}, {benchColumnModel, 90}, {benchColumnPhase, 120},
                                          {benchColumnProgress, 110}, {benchColumnRate, 80}};
    for (const auto& [column, width] : widths)
        table_->setColumnWidth(column, width);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("status"));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    layout->addWidget(table_, 1);
    layout->addWidget(status_);

    // Keyboard first: Ports, Action, Folder, Module name, Start, then the rest.
    QWidget* order[] = {ports_, action_, folder_, moduleName_, start_, stop_, retry_, save_,
                        name_, file_, watch_, watchFolder_, choices_, folderBrowse_, fileBrowse_, table_};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    for (QKeySequence key : {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)})
        connect(new QShortcut(key, this), &QShortcut::activated, this, &CBenchWindow::OnStart);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &CBenchWindow::OnStop);

    connect(start_, &QPushButton::clicked, this, &CBenchWindow::OnStart);
    connect(stop_, &QPushButton::clicked, this, &CBenchWindow::OnStop);
    connect(retry_, &QPushButton::clicked, this, &CBenchWindow::OnRetryFailed);
    connect(save_, &QPushButton::clicked, this, &CBenchWindow::OnSaveSummary);
    connect(action_, &QComboBox::currentIndexChanged, this, &CBenchWindow::OnActionChanged);
    connect(watch_, &QCheckBox::toggled, this, &CBenchWindow::OnWatchToggled);
    connect(folderBrowse_, &QPushButton::clicked, this,
            [this] { PickFolderInto(this, QString::fromLatin1(moduleFolderTitle), folder_); });
    connect(fileBrowse_, &QPushButton::clicked, this, [this] {
        const QString chosen = QFileDialog::getOpenFileName(this, QStringLiteral("Select File"), file_->text());
        if (!chosen.isEmpty())
            file_->setText(chosen);
    });

    timer_ = new QTimer(this);
    connect(timer_, &QTimer::timeout, this, &CBenchWindow::Redraw);
    timer_->start(redrawMs);
    RefreshPortChoices();
    OnActionChanged();
    Redraw();
    resize(920, 560);
}

CBenchWindow::~CBenchWindow() = default;

void CBenchWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    RefreshPortChoices();
    ports_->setFocus();
}

void CBenchWindow::RefreshPortChoices()
{
    const std::string held = heldPort_ ? heldPort_() : std::string();
    choices_->clear();
    for (const std::string& port : PortDialogChoices()) {
        if (port.empty())
            continue;
        const bool busy = !held.empty() && BenchPorts(port, {}, held).ports.empty();
        auto* item = new QListWidgetItem(Text(port) + (busy ? QStringLiteral(" (busy)") : QString()), choices_);
        item->setData(Qt::UserRole, Text(port));
        item->setFlags(busy ? Qt::ItemIsSelectable : Qt::ItemIsUserCheckable | Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        if (!busy)
            item->setCheckState(Qt::Unchecked);
    }
}

void CBenchWindow::OnActionChanged()
{
    const CBenchFields fields = BenchFieldsFor(static_cast<BenchAction>(action_->currentData().toInt()));
    folder_->setEnabled(fields.folder);
    folderBrowse_->setEnabled(fields.folder);
    moduleName_->setEnabled(fields.moduleName);
    name_->setEnabled(fields.name);
    file_->setEnabled(fields.file);
    fileBrowse_->setEnabled(fields.file);
}

void CBenchWindow::OnWatchToggled(bool on)
{
    // Unticked while watching: the watch ends; handsets it started finish their work.
    if (!on && bench_->Watching())
        bench_->EndWatch();
    Redraw();
}

void CBenchWindow::ShowRefusal(const QString& text)
{
    status_->setText(text);
}

void CBenchWindow::OnStart()
{
    if (bench_->Running())
        return;
    std::vector<std::string> ticked;
    for (int i = 0; i < choices_->count(); ++i)
        if (choices_->item(i)->checkState() == Qt::Checked)
            ticked.push_back(choices_->item(i)->data(Qt::UserRole).toString().toStdString());
    const std::string held = heldPort_ ? heldPort_() : std::string();
    const CPortList ports = BenchPorts(ports_->text().toStdString(), ticked, held);
    if (!ports.refusal.empty())
        return ShowRefusal(Text(ports.refusal));
    CBenchRequest request;
    request.action = static_cast<BenchAction>(action_->currentData().toInt());
    request.folder = folder_->text().toStdString();
    request.moduleName = moduleName_->text().toStdString();
    request.name = name_->text().toStdString();
    request.file = file_->text().toStdString();
    const std::string watchFolder = watch_->isChecked() ? watchFolder_->text().toStdString() : std::string();
    const std::string refusal = bench_->Start(request, ports.ports, watchFolder);
    ShowRefusal(Text(refusal));
    Redraw();
}

void CBenchWindow::OnStop()
{
    if (!bench_->Running())
        return;
    bench_->Stop();
    watch_->setChecked(false);
    status_->setText(QStringLiteral("Stopping: every handset rolls back"));
    Redraw();
}

void CBenchWindow::OnRetryFailed()
{
    if (bench_->RetryFailed())
        status_->clear();
    Redraw();
}

bool CBenchWindow::SaveSummary(const QString& path)
{
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const std::string csv = BenchSummaryCsv(bench_->Rows());
    return out.write(csv.data(), static_cast<qint64>(csv.size())) == static_cast<qint64>(csv.size()) &&
           out.flush();
}

void CBenchWindow::OnSaveSummary()
{
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save Summary"),
                                                      QStringLiteral("bench-summary.csv"),
                                                      QStringLiteral("CSV files (*.csv)"));
    if (!path.isEmpty() && !SaveSummary(path))
        status_->setText(QStringLiteral("Error - Cannot write ") + path);
}

void CBenchWindow::Redraw()
{
    const bool running = bench_->Running();
    start_->setEnabled(!running);
    stop_->setEnabled(running);
    retry_->setEnabled(!running && bench_->AnyFailed());
    const unsigned changes = bench_->Changes();
    if (changes == shownChanges_)
        return;
    shownChanges_ = changes;
    const std::vector<CBenchRow> rows = bench_->Rows();
    save_->setEnabled(!rows.empty());
    table_->setRowCount(static_cast<int>(rows.size()));
    for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
        const CFleetRow& row = rows[static_cast<size_t>(i)].row;
        auto cell = [this, i](int column, const QString& text) {
            QTableWidgetItem* item = table_->item(i, column);
            if (item == nullptr)
                table_->setItem(i, column, item = new QTableWidgetItem);
            if (item->text() != text)
                item->setText(text);
        };
        cell(benchColumnPort, Text(row.port.shown));
        cell(benchColumnModel, Text(row.model));
        cell(benchColumnPhase, Text(row.phase));
        cell(benchColumnRate, row.bytesPerSecond > 0 ? QString::number(row.bytesPerSecond, 'f', 0) : QString());
        cell(benchColumnResult, Text(BenchResultText(rows[static_cast<size_t>(i)])));
        auto* bar = qobject_cast<QProgressBar*>(table_->cellWidget(i, benchColumnProgress));
        if (bar == nullptr) {
            bar = new QProgressBar;
            bar->setRange(0, 100);
            table_->setCellWidget(i, benchColumnProgress, bar);
        }
        const int percent = row.total > 0 ? static_cast<int>(row.done * 100 / row.total)
                            : row.finished && row.succeeded ? 100 : 0;
        bar->setValue(percent);
    }
}

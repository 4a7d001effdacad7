// The bench window: one operation on many handsets, beside the main window, which keeps its own
// connection. The bench (fleet/bench.h) runs every handset on its own thread; this window only
// turns the user's fields into a request and shows the bench's rows, redrawn at most ten times a
// second, so both windows take input throughout. A handset's failure shows on its row alone.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>

#include "link/link_timing.h"

class CBench;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableWidget;
class QTimer;

enum BenchColumn : int {
    benchColumnPort = 0,
    benchColumnModel,
    benchColumnPhase,
    benchColumnProgress,
    benchColumnRate,
    benchColumnResult,
    benchColumnCount
};

class CBenchWindow : public QWidget {
    Q_OBJECT
public:
    // heldPort names the port the main window holds (empty for none), asked at every start.
    explicit CBenchWindow(QWidget* parent = nullptr, const LinkTiming& timing = LinkTiming(),
                          std::function<std::string()> heldPort = {});
    ~CBenchWindow() override;

    QLineEdit* PortsField() const { return ports_; }
    QListWidget* PortChoices() const { return choices_; }
    QComboBox* ActionBox() const { return action_; }
    QLineEdit* FolderField() const { return folder_; }
    QLineEdit* ModuleNameField() const { return moduleName_; }
    QLineEdit* NameField() const { return name_; }
    QLineEdit* FileField() const { return file_; }
    QCheckBox* WatchBox() const { return watch_; }
    QLineEdit* WatchFolderField() const { return watchFolder_; }
    QPushButton* StartButton() const { return start_; }
    QPushButton* StopButton() const { return stop_; }
    QPushButton* RetryButton() const { return retry_; }
    QPushButton* SaveButton() const { return save_; }
    QTableWidget* Table() const { return table_; }
    const CBench& Bench() const { return *bench_; }

    // Lists the port choices again, the main window's port shown busy.
    void RefreshPortChoices();
    // Writes the summary CSV to path; false when it cannot be written.
    bool SaveSummary(const QString& path);

public slots:
    void OnStart();
    void OnStop();
    void OnRetryFailed();
    void OnSaveSummary();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OnActionChanged();
    void OnWatchToggled(bool on);
    void Redraw();
    void ShowRefusal(const QString& text);

    std::unique_ptr<CBench> bench_;
    std::function<std::string()> heldPort_;
    QLineEdit* ports_;
    QListWidget* choices_;
    QComboBox* action_;
    QLineEdit* folder_;
    QLineEdit* moduleName_;
    QLineEdit* name_;
    QLineEdit* file_;
    QPushButton* folderBrowse_;
    QPushButton* fileBrowse_;
    QCheckBox* watch_;
    QLineEdit* watchFolder_;
    QPushButton* start_;
    QPushButton* stop_;
    QPushButton* retry_;
    QPushButton* save_;
    QTableWidget* table_;
    class QLabel* status_;
    QTimer* timer_;
    unsigned shownChanges_ = ~0u;
};

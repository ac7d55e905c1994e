#pragma once

#include <rs485/ErrorCounts.h>
#include <velora_decoding/DeviceTracker.h>
#include <velora_report/ConfigComparison.h>
#include <velora_report/HandOver.h>

#include <QDockWidget>
#include <QStringList>

#include <optional>
#include <vector>

class ChangeModel;
class DeviceMap;
class DeviceModel;
class QAction;
class QLabel;
class QSortFilterProxyModel;
class QTableView;
class QTimer;

// The dock "Устройства": the device tracker fed with every frame of the line, shown as a
// map of the addresses with its legend beside a sortable table, refreshed every second.
// Changes of presence, alarm and fault go to the status bar and to the list of changes,
// and stay marked until acknowledged.
class DeviceDock : public QDockWidget {
    Q_OBJECT
public:
    static constexpr int kRefreshMs = 1000;

    explicit DeviceDock(QWidget* parent = nullptr);
    ~DeviceDock() override;

    const velora_decoding::DeviceTracker& tracker() const { return deviceTracker; }
    const DeviceModel& model() const { return *deviceModel; }
    const velora_report::ConfigComparison& configuration() const { return comparison; }
    ChangeModel* changes() const { return changeModel; }
    QAction* compareAction() const { return compare; }
    QAction* reportAction() const { return report; }
    QAction* reportWithChangesAction() const { return reportWithChanges; }

    // Without dialogs, for the actions and for tests; errors go to the returned text.
    QString loadConfiguration(const QString& path);
    // The converter's newest error counts, for the report; forgotten by clear().
    void setErrorCounts(const rs485::ErrorCounts& counts) { converter = counts; }
    // With every state change in an appendix when `allChanges`; a hand-over when given.
    QString writeReport(const QString& path, bool allChanges = false,
                        const velora_report::HandOver* handOver = nullptr);
    // The dock's height that shows `rows` devices in the table.
    int heightForRows(int rows) const;

public slots:
    void addFrames(const std::vector<velora_protocol::Frame>& frames);
    // Forgets the line, as before the first frame; the configuration stays.
    void clear();
    void refresh();
    void acknowledge();
    void onCompare();
    void onReport(bool allChanges);

signals:
    // The user asked to see this address alone in the log.
    void addressActivated(int address);
    void statusMessage(const QString& text);
    // A new state of a loop, line or tamper contact, as the tracker reports it.
    void pointChanged(const velora_decoding::PointChange& change);
    void configurationChanged();
    // The line was forgotten by clear().
    void cleared();

private:
    void setupTable();
    void showComparisonColumns(bool shown);
    void showError(const QString& text);

    velora_decoding::DeviceTracker deviceTracker;
    velora_report::ConfigComparison comparison;
    std::optional<rs485::ErrorCounts> converter;
    DeviceModel* deviceModel;
    ChangeModel* changeModel;
    QSortFilterProxyModel* sorted;
    QTableView* table;
    DeviceMap* map;
    QLabel* summary;
    QLabel* legend;
    QTimer* timer;
    QAction* compare;
    QAction* report;
    QAction* reportWithChanges;
    QStringList changeMessages;
    bool dirty = false;
    // The rows the columns were last sized for.
    int sizedRows = -1;
};

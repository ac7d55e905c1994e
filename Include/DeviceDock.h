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
class DiagnosisModel;
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
// and stay marked until acknowledged; what is wrong with the line goes to the status bar as
// it is found and to the list of diagnoses.
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
    DiagnosisModel* diagnoses() const { return diagnosisModel; }
    QAction* compareAction() const { return compare; }
    QAction* reportAction() const { return report; }
    QAction* reportWithChangesAction() const { return reportWithChanges; }

    // Without dialogs, for the actions and for tests; errors go to the returned text.
    QString loadConfiguration(const QString& path);
    // The converter's newest error counts, for the report and the diagnoses; forgotten by
    // clear().
    void setErrorCounts(const rs485::ErrorCounts& counts);
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
    // While listening to a live line the tracker hears the clock every second, so that it
    // finds silence; a pause is no silence of the line.
    void startListening();
    void stopListening();
    // The end of the line: a capture read to its end, or Disconnect.
    void finish();
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
    void tellRaised();

    velora_decoding::DeviceTracker deviceTracker;
    velora_report::ConfigComparison comparison;
    std::optional<rs485::ErrorCounts> converter;
    DeviceModel* deviceModel;
    ChangeModel* changeModel;
    DiagnosisModel* diagnosisModel;
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
    // Raised since the last refresh, told then with the figures of that moment.
    std::vector<velora_decoding::Diagnosis> raised;
    bool dirty = false;
    bool listening = false;
    // The rows the columns were last sized for.
    int sizedRows = -1;
    bool statesChanged = false; // a device changed since the last refresh
};

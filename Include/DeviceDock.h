#pragma once

#include <velora_decoding/DeviceTracker.h>
#include <velora_report/ConfigComparison.h>

#include <QDockWidget>
#include <QStringList>

#include <vector>

class DeviceMap;
class DeviceModel;
class QAction;
class QLabel;
class QSortFilterProxyModel;
class QTableView;
class QTimer;

// The dock "Устройства": the device tracker fed with every frame of the line, shown as a
// sortable table and a map of the addresses, refreshed a few times a second. Changes of
// presence, alarm and fault go to the status bar and stay marked until acknowledged.
class DeviceDock : public QDockWidget {
    Q_OBJECT
public:
    static constexpr int kRefreshMs = 1000;

    explicit DeviceDock(QWidget* parent = nullptr);
    ~DeviceDock() override;

    const velora_decoding::DeviceTracker& tracker() const { return deviceTracker; }
    const DeviceModel& model() const { return *deviceModel; }
    QAction* compareAction() const { return compare; }
    QAction* reportAction() const { return report; }

    // Without dialogs, for the actions and for tests; errors go to the returned text.
    QString loadConfiguration(const QString& path);
    QString writeReport(const QString& path);

public slots:
    void addFrames(const std::vector<velora_protocol::Frame>& frames);
    // Forgets the line, as before the first frame; the configuration stays.
    void clear();
    void refresh();
    void acknowledge();
    void onCompare();
    void onReport();

signals:
    // The user asked to see this address alone in the log.
    void addressActivated(int address);
    void statusMessage(const QString& text);

private:
    void showError(const QString& text);

    velora_decoding::DeviceTracker deviceTracker;
    velora_report::ConfigComparison comparison;
    DeviceModel* deviceModel;
    QSortFilterProxyModel* sorted;
    QTableView* table;
    DeviceMap* map;
    QLabel* summary;
    QTimer* timer;
    QAction* compare;
    QAction* report;
    QStringList changeMessages;
    bool dirty = false;
    // The rows the columns were last sized for.
    int sizedRows = -1;
};

#pragma once

#include <WalkMarks.h>

#include <velora_decoding/WalkTest.h>

#include <QDockWidget>

#include <map>
#include <vector>

class AcceptanceView;
class CaptureFiles;
class DeviceDock;
class QAction;
class QCheckBox;
class QLabel;
class QMainWindow;
class QMenu;
class QStackedWidget;
class QTableView;
class QTimer;
class WalkTestModel;

// The dock "Проверка шлейфов": the walk test of the configured devices, fed with the point
// changes of the device dock's tracker. A checklist of every loop, line and tamper contact
// with its alarm and return to normal, "проверено N из M", the newest event in large type
// for an engineer a few metres away, the alarms of unconfigured addresses, and the
// acceptance of the line against its limits beside it. Without a configuration it asks for
// one. Its actions write the hand-over and the walk test as CSV.
class WalkTestDock : public QDockWidget {
    Q_OBJECT
public:
    static constexpr int kRefreshMs = 500;

    explicit WalkTestDock(DeviceDock& devices, QWidget* parent = nullptr);
    ~WalkTestDock() override;

    // The dock in `window`, hidden behind the devices' until asked for, its actions in the
    // devices' menu, its marks kept beside the captures `files` saves and opens.
    static WalkTestDock* addTo(QMainWindow* window, DeviceDock& devices, QMenu* menu,
                               CaptureFiles* files);

    const velora_decoding::WalkTest& walk() const { return walkTest; }
    const WalkTestModel& model() const { return *checks; }
    const WalkMarks& marks() const { return notUsed; }
    // Shows the dock; asks for the configuration when there is none.
    QAction* walkAction() const { return openWalk; }
    QAction* handOverAction() const { return handOver; }

    // Marks from a capture's marks file; the ones of another configuration wait for it.
    void setMarks(const WalkMarks& marks);
    // The marks beside a capture: written after it is saved, read before it is opened.
    void saveMarks(const QString& capturePath);
    void readMarks(const QString& capturePath);
    // Writes the walk test as CSV; errors go to the returned text.
    QString writeCsv(const QString& path) const;

public slots:
    void refresh();
    void rebuild();
    void clear();

signals:
    void statusMessage(const QString& text);

private:
    QWidget* createChecklist();
    void seen(const velora_decoding::PointChange& change);
    // "Прибор 3 Котельная, Шлейф 1: тревога".
    QString eventText(const velora_decoding::PointChange& change) const;
    void refreshAcceptance();
    void onWalk();
    void onLimits();
    void onExportCsv();
    void onHandOver();

    DeviceDock& devices;
    velora_decoding::WalkTest walkTest;
    WalkMarks notUsed;
    // The session's changes, replayed when the configuration changes.
    std::vector<velora_decoding::PointChange> changes;
    // The last state of each check, to tell a return to normal from a first report.
    std::map<std::pair<int, velora_decoding::WalkCheck>, velora_protocol::PointState> states;
    WalkTestModel* checks;
    QStackedWidget* pages;
    QLabel* newest;
    QLabel* progress;
    QLabel* strays;
    QCheckBox* sound;
    QTableView* table;
    AcceptanceView* acceptance;
    QTimer* timer;
    QAction* openWalk;
    QAction* handOver;
    // Events since the last refresh that happened now, for the sound.
    int events = 0;
    bool dirty = false;
};

#pragma once

#include <QDockWidget>

#include <cstdint>
#include <vector>

class DiagnosisModel;
class QTableView;

// The dock "Диагностика": what is wrong with the line, most severe first, each finding with
// its address, how often and when it was seen and how many records of evidence it keeps.
// Choosing a finding asks the log to show its evidence.
class DiagnosisDock : public QDockWidget {
    Q_OBJECT
public:
    DiagnosisDock(DiagnosisModel* diagnoses, QWidget* parent = nullptr);

signals:
    // The evidence of the finding `title`: frames numbered as the device tracker numbers them.
    void evidenceChosen(const std::vector<std::uint64_t>& frames, const QString& title);

private:
    void choose(int row);
    void fitRows();

    DiagnosisModel* model;
    QTableView* table;
};

#pragma once

#include <velora_decoding/Acceptance.h>

#include <QWidget>

class QLabel;
class QTableWidget;

namespace velora_report {
class ConfigComparison;
}

// The acceptance of the line against its limits: the line's result with its figures above
// a table of the configured devices, each passed or not with what decided it.
class AcceptanceView : public QWidget {
    Q_OBJECT
public:
    explicit AcceptanceView(QWidget* parent = nullptr);

    void showAcceptance(const velora_decoding::LineAcceptance& line,
                        const velora_report::ConfigComparison& comparison,
                        const velora_decoding::AcceptanceLimits& limits);
    QString lineText() const;

private:
    QLabel* line;
    QTableWidget* table;
};

#pragma once

#include <velora_decoding/DeviceTracker.h>

#include <QColor>
#include <QWidget>

#include <vector>

class DeviceModel;

// A compact map of the addresses 1..126, each a small square in the colour of its
// presence and state; marked addresses are framed. A double click reports the address.
class DeviceMap : public QWidget {
    Q_OBJECT
public:
    static constexpr int kColumns = 14;
    static constexpr int kCell = 20;

    DeviceMap(const velora_decoding::DeviceTracker& tracker, const DeviceModel& model,
              QWidget* parent = nullptr);

    QSize sizeHint() const override;
    // Repaints the cells whose colour or frame changed since the last call.
    void refresh();
    // The address under a point of the widget, or 0.
    int addressAt(const QPoint& point) const;

signals:
    void addressActivated(int address);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

private:
    struct Cell {
        QColor color;
        bool marked = false;
        bool operator!=(const Cell& other) const {
            return color != other.color || marked != other.marked;
        }
    };
    QRect cellRect(int address) const;
    Cell cell(int address) const;

    const velora_decoding::DeviceTracker& tracker;
    const DeviceModel& model;
    std::vector<Cell> painted; // by address - first address
};

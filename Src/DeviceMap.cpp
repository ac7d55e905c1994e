#include <DeviceMap.h>
#include <DeviceModel.h>

#include <velora_report/DeviceTexts.h>

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QToolTip>

using velora_decoding::DeviceTracker;

namespace {

constexpr int kRows =
    (DeviceTracker::kLastAddress - DeviceTracker::kFirstAddress + DeviceMap::kColumns) /
    DeviceMap::kColumns;

} // namespace

DeviceMap::DeviceMap(const DeviceTracker& tracker, const DeviceModel& model, QWidget* parent)
    : QWidget(parent)
    , tracker(tracker)
    , model(model) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    for (int a = DeviceTracker::kFirstAddress; a <= DeviceTracker::kLastAddress; ++a) {
        painted.push_back(cell(a));
    }
}

DeviceMap::Cell DeviceMap::cell(int address) const {
    return {velora_report::stateColor(tracker.device(address)), model.isMarked(address)};
}

void DeviceMap::refresh() {
    for (int a = DeviceTracker::kFirstAddress; a <= DeviceTracker::kLastAddress; ++a) {
        Cell& shown = painted[std::size_t(a - DeviceTracker::kFirstAddress)];
        const Cell now = cell(a);
        if (now != shown) {
            shown = now;
            update(cellRect(a));
        }
    }
}

QSize DeviceMap::sizeHint() const {
    return {kColumns * kCell + 1, kRows * kCell + 1};
}

QRect DeviceMap::cellRect(int address) const {
    const int i = address - DeviceTracker::kFirstAddress;
    return {(i % kColumns) * kCell, (i / kColumns) * kCell, kCell, kCell};
}

int DeviceMap::addressAt(const QPoint& point) const {
    if (point.x() < 0 || point.y() < 0) {
        return 0;
    }
    const int address =
        DeviceTracker::kFirstAddress + point.y() / kCell * kColumns + point.x() / kCell;
    return point.x() < kColumns * kCell && address <= DeviceTracker::kLastAddress ? address : 0;
}

void DeviceMap::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    QFont font = painter.font();
    font.setPixelSize(kCell / 2);
    painter.setFont(font);
    for (int a = DeviceTracker::kFirstAddress; a <= DeviceTracker::kLastAddress; ++a) {
        const QRect rect = cellRect(a);
        if (!event->region().intersects(rect)) {
            continue;
        }
        const Cell& shown = painted[std::size_t(a - DeviceTracker::kFirstAddress)];
        painter.fillRect(rect, shown.color);
        painter.setPen(shown.marked ? QPen(Qt::black, 2) : QPen(Qt::gray));
        painter.drawRect(rect.adjusted(0, 0, -1, -1));
        painter.setPen(Qt::black);
        painter.drawText(rect, Qt::AlignCenter, QString::number(a));
    }
}

void DeviceMap::mouseDoubleClickEvent(QMouseEvent* event) {
    const int address = addressAt(event->pos());
    if (address != 0) {
        emit addressActivated(address);
    }
}

bool DeviceMap::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int address = addressAt(help->pos());
        if (address != 0) {
            QToolTip::showText(help->globalPos(), tr("Адрес %1: %2")
                                                      .arg(address)
                                                      .arg(velora_report::stateText(
                                                          tracker.device(address),
                                                          model.currentComparison(), address)));
        }
        return true;
    }
    return QWidget::event(event);
}

#pragma once

#include <QHash>
#include <QStaticText>
#include <QStyledItemDelegate>

#include <vector>

// Paints the cells of a table that a busy line repaints every second or faster (the log, the
// devices): the grid lines, the cell's background (or the selection's), the text laid out once
// and kept, elided to the cell, and the focus frame. The style's own item painting lays every
// text out three times on each paint, and the table's own grid is stroked line by line; the
// table is set to show no grid of its own.
class CellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit CellDelegate(QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    struct Laid {
        QStaticText text;
        int width = -1; // of the cell it was elided to
        QFont font;     // it was elided in
    };
    // The text as laid out for a cell of `width` in `column`.
    const QStaticText& laidOut(int column, const QString& text, const QStyleOptionViewItem& option,
                               int width) const;

    mutable std::vector<QHash<QString, Laid>> cache;
};

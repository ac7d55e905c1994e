#pragma once

#include <QHash>
#include <QStaticText>
#include <QStyledItemDelegate>

#include <vector>

// Paints the log's cells: the grid lines, the row's background (or the selection's), the
// text laid out once and kept, elided to the cell, and the focus frame. A table of a busy line
// repaints every visible cell several times a second, and the style's own item painting lays every
// text out three times on each paint.
class LogRowDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit LogRowDelegate(QObject* parent = nullptr);

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

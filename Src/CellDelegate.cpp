#include <CellDelegate.h>

#include <QApplication>
#include <QPainter>

namespace {

// Texts kept per column; beyond this the column starts afresh (times are new every row).
constexpr int kCachedTexts = 4096;

// The grid's lines along the cell's bottom and right edge, where the table would stroke
// them: filled as two rectangles, which the raster engine does many times faster.
void paintGridEdges(QPainter* painter, const QStyleOptionViewItem& option, const QStyle* style) {
    const QColor grid = QColor::fromRgba(static_cast<QRgb>(
        style->styleHint(QStyle::SH_Table_GridLineColor, &option, option.widget)));
    const QRect& cell = option.rect;
    painter->fillRect(QRect(cell.left(), cell.bottom(), cell.width(), 1), grid);
    painter->fillRect(QRect(cell.right(), cell.top(), 1, cell.height() - 1), grid);
}

} // namespace

CellDelegate::CellDelegate(QObject* parent)
    : QStyledItemDelegate(parent) {}

const QStaticText& CellDelegate::laidOut(int column, const QString& text,
                                         const QStyleOptionViewItem& option, int width) const {
    if (column >= int(cache.size())) {
        cache.resize(std::size_t(column) + 1);
    }
    QHash<QString, Laid>& texts = cache[std::size_t(column)];
    if (texts.size() >= kCachedTexts) {
        texts.clear();
    }
    Laid& laid = texts[text];
    if (laid.width != width || laid.font != option.font) {
        laid.width = width;
        laid.font = option.font;
        laid.text.setTextFormat(Qt::PlainText);
        laid.text.setText(text);
        laid.text.prepare(QTransform(), option.font);
        // Most texts fit: laid out once, elided only when they do not.
        if (laid.text.size().width() > width) {
            laid.text.setText(option.fontMetrics.elidedText(text, Qt::ElideRight, width));
            laid.text.prepare(QTransform(), option.font);
        }
    }
    return laid.text;
}

void CellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& styleOption,
                         const QModelIndex& index) const {
    QStyleOptionViewItem option = styleOption;
    const QStyle* style = option.widget ? option.widget->style() : QApplication::style();
    paintGridEdges(painter, option, style);
    // The cell within its grid lines.
    option.rect.adjust(0, 0, -1, -1);
    const QVariant font = index.data(Qt::FontRole);
    if (font.isValid()) {
        option.font = qvariant_cast<QFont>(font).resolve(option.font);
        option.fontMetrics = QFontMetrics(option.font);
    }
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette::ColorGroup group =
        option.state & QStyle::State_Active ? QPalette::Active : QPalette::Inactive;
    if (selected) {
        painter->fillRect(option.rect, option.palette.brush(group, QPalette::Highlight));
    } else {
        const QVariant background = index.data(Qt::BackgroundRole);
        if (background.isValid()) {
            painter->fillRect(option.rect, qvariant_cast<QBrush>(background));
        }
    }

    const QString text = index.data(Qt::DisplayRole).toString();
    if (!text.isEmpty()) {
        const int margin =
            style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, option.widget) + 1;
        const QRect box = option.rect.adjusted(margin, 0, -margin, 0);
        const QStaticText& laid = laidOut(index.column(), text, option, box.width());
        const QSizeF size = laid.size();
        const int alignment = index.data(Qt::TextAlignmentRole).toInt();
        const qreal x = alignment & Qt::AlignHCenter ? box.left() + (box.width() - size.width()) / 2
                                                     : box.left();
        const qreal y = box.top() + (box.height() - size.height()) / 2;
        painter->save();
        painter->setFont(option.font);
        painter->setPen(
            option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
        painter->drawStaticText(QPointF(x, y), laid);
        painter->restore();
    }
    if (option.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(option);
        focus.backgroundColor =
            option.palette.color(group, selected ? QPalette::Highlight : QPalette::Window);
        style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, option.widget);
    }
}

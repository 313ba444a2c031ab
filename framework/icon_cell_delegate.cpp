#include "framework/icon_cell_delegate.h"

#include <QListView>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <algorithm>

#include "framework/wnd.h"

namespace zentrix::framework {
namespace {

/// Where an icon-view cell puts its caption's lines: this far in from the cell's sides (Qt's own
/// text margin), so that neighbouring captions never touch.
int captionMargin() {
    return ScaleX(3);
}

}  // namespace

QStringList wrapCaption(const QFontMetrics& metrics, const QString& text, int width) {
    if (text.isEmpty() || metrics.horizontalAdvance(text) <= width)
        return {text};
    int breakAt = -1;
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char(' ') &&
            metrics.horizontalAdvance(text.left(i).trimmed()) <= width) {
            breakAt = i;
        }
    }
    QString first;
    QString rest;
    if (breakAt > 0 && !text.left(breakAt).trimmed().isEmpty()) {
        first = text.left(breakAt).trimmed();
        rest = text.mid(breakAt).trimmed();
    } else {
        int fits = 1;
        while (fits < text.size() && metrics.horizontalAdvance(text.left(fits + 1)) <= width)
            ++fits;
        first = text.left(fits);
        rest = text.mid(fits).trimmed();
    }
    if (rest.isEmpty())
        return {first};
    return {first, metrics.elidedText(rest, Qt::ElideRight, width)};
}

QSize IconCellDelegate::sizeHint(const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    const auto* list = qobject_cast<const QListView*>(option.widget);
    if (list && list->gridSize().isValid())
        return list->gridSize();
    return QStyledItemDelegate::sizeHint(option, index);
}

QStringList IconCellDelegate::lines(const QFontMetrics& metrics, const QString& text,
                                    int cellWidth) const {
    return wrapCaption(metrics, text, cellWidth - 2 * captionMargin());
}

void IconCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    QStyleOptionViewItem opt(option);
    initStyleOption(&opt, index);
    const auto* list = qobject_cast<const QListView*>(opt.widget);
    const QSize iconSize = list ? list->iconSize() : opt.decorationSize;
    const QRect cell = opt.rect;
    painter->save();
    const QRect iconRect(cell.left() + (cell.width() - iconSize.width()) / 2,
                         cell.top() + ScaleY(4), iconSize.width(), iconSize.height());
    const bool selected = (opt.state & QStyle::State_Selected) != 0;
    if (!opt.icon.isNull()) {
        const QIcon::Mode mode = !(opt.state & QStyle::State_Enabled) ? QIcon::Disabled
                                 : selected                           ? QIcon::Selected
                                                                      : QIcon::Normal;
        opt.icon.paint(painter, iconRect, Qt::AlignCenter, mode, QIcon::Off);
    }
    const QFontMetrics metrics(opt.font);
    const QStringList captionLines = lines(metrics, opt.text, cell.width());
    int widest = 0;
    for (const QString& line : captionLines)
        widest = std::max(widest, metrics.horizontalAdvance(line));
    const int top = iconRect.bottom() + 1 + ScaleY(2);
    const QRect textBox(cell.left() + (cell.width() - widest) / 2 - captionMargin(), top,
                        widest + 2 * captionMargin(),
                        metrics.height() * static_cast<int>(captionLines.size()));
    const QPalette::ColorGroup group =
        (opt.state & QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
    if (selected)
        painter->fillRect(textBox, opt.palette.brush(group, QPalette::Highlight));
    painter->setFont(opt.font);
    painter->setPen(
        opt.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    int y = top;
    for (const QString& line : captionLines) {
        painter->drawText(QRect(cell.left(), y, cell.width(), metrics.height()),
                          Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, line);
        y += metrics.height();
    }
    if ((opt.state & QStyle::State_HasFocus) && list && list->hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(opt);
        focus.rect = textBox;
        focus.backgroundColor =
            opt.palette.color(group, selected ? QPalette::Highlight : QPalette::Base);
        list->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, list);
    }
    painter->restore();
}

}  // namespace zentrix::framework

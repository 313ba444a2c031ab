// Internal: how an icon view draws its cells (the main menu's icons and their captions).
#pragma once

#include <QFontMetrics>
#include <QStringList>
#include <QStyledItemDelegate>

namespace zentrix::framework {

/// `text` on at most two lines of `width`: broken after the last word that fits on the first
/// (inside a word only when not even the first word fits), the rest on the second, elided when it
/// is still too long.
QStringList wrapCaption(const QFontMetrics& metrics, const QString& text, int width);

// Draws an icon view's cells: the icon at the top centre, the caption wrapped under it onto two
// lines (Qt would either cut it with an ellipsis on one line or wrap it to the icon's width).
// Every cell is the whole grid cell, so a tap anywhere on it hits the item.
class IconCellDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    /// The caption's lines in a cell `cellWidth` wide.
    QStringList lines(const QFontMetrics& metrics, const QString& text, int cellWidth) const;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};

}  // namespace zentrix::framework

// Internal: the rows and columns of a list control, as the Qt views show them.
#pragma once

#include <QAbstractTableModel>
#include <QImage>
#include <QString>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>
#include <vector>

#include "framework/image_list.h"
#include "framework/list_ctrl.h"
#include "framework/qt_drawing.h"
#include "framework/qt_window.h"

namespace zentrix::framework::listctrl {

inline QString qs(WideStringView text) {
    return QString::fromStdU16String(WideString(text));
}

inline Qt::Alignment alignmentOf(int format) {
    switch (format & HDF_JUSTIFYMASK) {
        case LVCFMT_RIGHT:
            return Qt::AlignRight | Qt::AlignVCenter;
        case LVCFMT_CENTER:
            return Qt::AlignHCenter | Qt::AlignVCenter;
        default:
            return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

struct ListRow {
    std::vector<QString> texts;
    int image = -1;
    DWORD_PTR data = 0;
};

struct ListColumn {
    QString heading;
    int format = LVCFMT_LEFT;
    LPARAM param = 0;
};

class ListModel : public QAbstractTableModel {
  public:
    std::vector<ListRow> rows;
    std::vector<ListColumn> columns;
    // Kept alive here: a page may hand over an image list that goes before the control.
    std::shared_ptr<CImageList::Impl> normalImages;
    std::shared_ptr<CImageList::Impl> smallImages;
    bool iconView = false;
    /// The view that shows the rows, for its pixel ratio.
    const QWidget* view = nullptr;

    /// An image list's image as the view shows it: `logical` (the list's size) enlarged by the
    /// screen's scale, in the view's device pixels. An image drawn at that resolution (a list of
    /// pixel ratio 2 on a screen of ratio 2) is shown as it is; a coarser one is enlarged pixel
    /// for pixel where the factor is whole, smoothly where it is not.
    QImage shownImage(QImage image, QSize logical) const {
        const qreal ratio = view ? view->devicePixelRatioF() : 1.0;
        const QSize shown(static_cast<int>(std::lround(logical.width() * screenScale())),
                          static_cast<int>(std::lround(logical.height() * screenScale())));
        const QSize device(static_cast<int>(std::lround(shown.width() * ratio)),
                           static_cast<int>(std::lround(shown.height() * ratio)));
        if (image.size() != device) {
            const bool whole =
                device.width() % image.width() == 0 && device.height() % image.height() == 0;
            image = image.scaled(device, Qt::IgnoreAspectRatio,
                                 whole ? Qt::FastTransformation : Qt::SmoothTransformation);
        }
        image.setDevicePixelRatio(ratio);
        return image;
    }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(rows.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : std::max<int>(1, static_cast<int>(columns.size()));
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= rowCount())
            return {};
        const ListRow& row = rows[static_cast<size_t>(index.row())];
        const auto column = static_cast<size_t>(index.column());
        if (role == Qt::DisplayRole) {
            return column < row.texts.size() ? row.texts[column] : QString();
        }
        if (role == Qt::DecorationRole && column == 0 && row.image >= 0) {
            const auto& list = iconView ? normalImages : smallImages;
            if (!list)
                return {};
            QImage image = imageListImage(*list, row.image);
            if (!image.isNull())
                return shownImage(image, QSize(list->cx, list->cy));
        }
        if (role == Qt::TextAlignmentRole && column < columns.size()) {
            return static_cast<int>(alignmentOf(columns[column].format));
        }
        return {};
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || section < 0 ||
            section >= static_cast<int>(columns.size())) {
            return {};
        }
        if (role == Qt::DisplayRole)
            return columns[static_cast<size_t>(section)].heading;
        if (role == Qt::TextAlignmentRole) {
            return static_cast<int>(alignmentOf(columns[static_cast<size_t>(section)].format));
        }
        return {};
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        return index.isValid() ? (Qt::ItemIsEnabled | Qt::ItemIsSelectable) : Qt::NoItemFlags;
    }

    void insertRow(int at, ListRow row) {
        beginInsertRows({}, at, at);
        rows.insert(rows.begin() + at, std::move(row));
        endInsertRows();
    }
    void removeRowAt(int at) {
        beginRemoveRows({}, at, at);
        rows.erase(rows.begin() + at);
        endRemoveRows();
    }
    void clearRows() {
        beginResetModel();
        rows.clear();
        endResetModel();
    }
    void insertColumnAt(int column, ListColumn value) {
        // The view always shows at least one column, so the first real one replaces it.
        const bool first = columns.empty();
        if (!first)
            beginInsertColumns({}, column, column);
        columns.insert(columns.begin() + column, std::move(value));
        for (auto& row : rows) {
            if (static_cast<size_t>(column) <= row.texts.size() && !first) {
                row.texts.insert(row.texts.begin() + column, QString());
            }
        }
        if (!first)
            endInsertColumns();
        emit headerDataChanged(Qt::Horizontal, 0, static_cast<int>(columns.size()) - 1);
    }
    void removeColumnAt(int column) {
        const bool last = columns.size() == 1;
        if (!last)
            beginRemoveColumns({}, column, column);
        columns.erase(columns.begin() + column);
        for (auto& row : rows) {
            if (static_cast<size_t>(column) < row.texts.size() && !(last && column == 0)) {
                row.texts.erase(row.texts.begin() + column);
            }
        }
        if (!last)
            endRemoveColumns();
        emit headerDataChanged(Qt::Horizontal, 0,
                               std::max<int>(0, static_cast<int>(columns.size()) - 1));
    }
    void changedRow(int at) { emit dataChanged(index(at, 0), index(at, columnCount() - 1)); }

    void reorder(const std::vector<int>& order) {
        emit layoutAboutToBeChanged();
        std::vector<int> newPosition(order.size());
        std::vector<ListRow> sorted;
        sorted.reserve(rows.size());
        for (size_t i = 0; i < order.size(); ++i) {
            newPosition[static_cast<size_t>(order[i])] = static_cast<int>(i);
            sorted.push_back(std::move(rows[static_cast<size_t>(order[i])]));
        }
        rows = std::move(sorted);
        const QModelIndexList before = persistentIndexList();
        QModelIndexList after;
        for (const QModelIndex& index : before) {
            after.push_back(
                this->index(newPosition[static_cast<size_t>(index.row())], index.column()));
        }
        changePersistentIndexList(before, after);
        emit layoutChanged();
    }
};

// A header whose owner-drawn items the header's CWnd paints.

}  // namespace zentrix::framework::listctrl

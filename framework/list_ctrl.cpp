#include "framework/list_ctrl.h"

#include <QAbstractTableModel>
#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QListView>
#include <QMouseEvent>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <memory>
#include <numeric>
#include <utility>

#include "framework/icon_cell_delegate.h"
#include "framework/image_list.h"
#include "framework/list_model.h"
#include "framework/qt_drawing.h"
#include "framework/qt_window.h"

namespace zentrix::framework {
namespace {

using listctrl::alignmentOf;
using listctrl::ListColumn;
using listctrl::ListModel;
using listctrl::ListRow;
using listctrl::qs;

class HeaderView : public QHeaderView {
  public:
    HeaderView(ListModel* model, QWidget* parent)
        : QHeaderView(Qt::Horizontal, parent), model_(model) {}

  protected:
    void paintSection(QPainter* painter, const QRect& rect, int section) const override {
        const bool ownerDrawn =
            section >= 0 && section < static_cast<int>(model_->columns.size()) &&
            (model_->columns[static_cast<size_t>(section)].format & HDF_OWNERDRAW);
        auto* header = dynamic_cast<CHeaderCtrl*>(CWnd::fromWidget(this));
        if (!ownerDrawn || !header || !painter->device()) {
            QHeaderView::paintSection(painter, rect, section);
            return;
        }
        CDC dc;
        attachPainter(dc, *painter, *painter->device());
        DRAWITEMSTRUCT item;
        item.CtlType = ODT_HEADER;
        item.itemID = static_cast<UINT>(section);
        item.itemState = section == pressed_ ? ODS_SELECTED : 0;
        item.pDC = &dc;
        item.rcItem =
            CRect(rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height());
        const DispatchScope scope;
        header->DrawItem(&item);
        detachPainter(dc);
    }
    void mousePressEvent(QMouseEvent* event) override {
        pressed_ = logicalIndexAt(event->position().toPoint());
        viewport()->update();
        QHeaderView::mousePressEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        pressed_ = -1;
        viewport()->update();
        QHeaderView::mouseReleaseEvent(event);
    }

  private:
    ListModel* model_;
    int pressed_ = -1;
};

class ListWidget : public QWidget {
  public:
    ListWidget(DWORD style, QWidget* parent) : QWidget(parent) {
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        model.iconView = (style & LVS_TYPEMASK) != LVS_REPORT;
        if (model.iconView) {
            auto* list = new QListView(this);
            list->setViewMode(QListView::IconMode);
            list->setMovement(QListView::Static);
            list->setResizeMode(QListView::Adjust);
            list->setWrapping(true);
            list->setSpacing(0);
            list->setItemDelegate(new IconCellDelegate(list));
            list->setModel(&model);
            view = list;
        } else {
            table = new QTableView(this);
            header = new HeaderView(&model, table);
            table->setHorizontalHeader(header);
            table->setModel(&model);
            table->verticalHeader()->hide();
            table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
            table->verticalHeader()->setMinimumSectionSize(1);
            table->setShowGrid(false);
            table->setWordWrap(false);
            table->setSelectionBehavior(QAbstractItemView::SelectRows);
            table->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
            header->setHighlightSections(false);
            header->setSectionsClickable(!(style & LVS_NOSORTHEADER));
            header->setVisible(!(style & LVS_NOCOLUMNHEADER));
            header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            WindowData& data = windowData(header);
            data.defaultWrapper = std::make_unique<CHeaderCtrl>();
            data.defaultWrapper->attachWidget(header, false);
            QObject::connect(header, &QHeaderView::sectionClicked, this, [this](int section) {
                NotifyInfo info;
                info.code = LVN_COLUMNCLICK;
                info.iSubItem = section;
                notifyFromWidget(this, info);
            });
            view = table;
            updateRowHeight();
        }
        model.view = view;
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->setSelectionMode((style & LVS_SINGLESEL) ? QAbstractItemView::SingleSelection
                                                       : QAbstractItemView::ExtendedSelection);
        view->setFrameShape((style & WS_BORDER) ? QFrame::StyledPanel : QFrame::NoFrame);
        layout->addWidget(view);
        setFocusProxy(view);
        view->viewport()->installEventFilter(this);
        view->installEventFilter(this);
        auto* selection = view->selectionModel();
        QObject::connect(selection, &QItemSelectionModel::selectionChanged, this,
                         [this](const QItemSelection& selected, const QItemSelection& deselected) {
                             notifyRows(deselected, LVIS_SELECTED, 0);
                             notifyRows(selected, 0, LVIS_SELECTED);
                         });
        // Every handler may destroy the list's window (a page that removes itself): after each
        // notification the list checks that its window still exists before it reads anything.
        QObject::connect(selection, &QItemSelectionModel::currentRowChanged, this,
                         [this](const QModelIndex& current, const QModelIndex& previous) {
                             if (previous.isValid())
                                 notifyState(previous.row(), LVIS_FOCUSED, 0);
                             if (current.isValid())
                                 notifyState(current.row(), 0, LVIS_FOCUSED);
                         });
        // A report row activates on a double tap; an icon (a menu entry) on a single tap, which
        // is what a finger expects (the release handler below).
        if (!model.iconView) {
            QObject::connect(view, &QAbstractItemView::doubleClicked, this,
                             [this](const QModelIndex& i) { activate(i.row(), i.column()); });
        }
    }

    void activate(int row, int column) {
        NotifyInfo info;
        info.code = LVN_ITEMACTIVATE;
        info.iItem = row;
        info.iSubItem = column;
        notifyFromWidget(this, info);
    }

    bool alive() const { return isLiveWindow(this); }

    void notifyState(int row, UINT oldState, UINT newState) {
        if (muted || !alive())
            return;
        NotifyInfo info;
        info.code = LVN_ITEMCHANGED;
        info.iItem = row;
        info.uChanged = LVIF_STATE;
        const bool focused = view->selectionModel()->currentIndex().row() == row;
        const bool selected = view->selectionModel()->isRowSelected(row, {});
        const UINT others = (focused ? LVIS_FOCUSED : 0) | (selected ? LVIS_SELECTED : 0);
        const UINT changed = oldState | newState;
        info.uOldState = (others & ~changed) | oldState;
        info.uNewState = (others & ~changed) | newState;
        notifyFromWidget(this, info);
    }

    void notifyRows(const QItemSelection& rows, UINT oldState, UINT newState) {
        std::vector<int> seen;
        for (const QModelIndex& index : rows.indexes()) {
            if (std::find(seen.begin(), seen.end(), index.row()) != seen.end())
                continue;
            seen.push_back(index.row());
        }
        std::sort(seen.begin(), seen.end());
        for (int row : seen) notifyState(row, oldState, newState);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == view->viewport() && (event->type() == QEvent::MouseButtonRelease ||
                                            event->type() == QEvent::MouseButtonDblClick)) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton) {
                QModelIndex index = view->indexAt(mouse->position().toPoint());
                NotifyInfo info;
                info.code = event->type() == QEvent::MouseButtonRelease ? NM_CLICK : NM_DBLCLK;
                info.iItem = index.isValid() ? index.row() : -1;
                info.iSubItem = index.isValid() ? index.column() : 0;
                notifyFromWidget(this, info);
                if (alive() && model.iconView && index.isValid() && info.code == NM_CLICK) {
                    activate(index.row(), index.column());
                }
            }
        } else if (watched == view && event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                NotifyInfo info;
                info.code = NM_RETURN;
                notifyFromWidget(this, info);
                const QModelIndex current =
                    alive() ? view->selectionModel()->currentIndex() : QModelIndex();
                if (current.isValid())
                    activate(current.row(), current.column());
                // The list keeps its Return: it is not the dialog's OK.
                return true;
            }
        }
        return false;
    }

    void updateRowHeight() {
        if (!table)
            return;
        int height = table->fontMetrics().height() + 2;
        if (model.smallImages) {
            const CSize size(model.smallImages->cx, model.smallImages->cy);
            height = std::max(height, ScaleY(size.cy));
            table->setIconSize(QSize(ScaleX(size.cx), ScaleY(size.cy)));
        }
        table->verticalHeader()->setDefaultSectionSize(height);
    }

    void changeEvent(QEvent* event) override {
        QWidget::changeEvent(event);
        if (event->type() == QEvent::FontChange)
            updateRowHeight();
    }

    bool validRow(int row) const { return row >= 0 && row < model.rowCount(); }

    ListModel model;
    QAbstractItemView* view = nullptr;
    QTableView* table = nullptr;
    HeaderView* header = nullptr;
    DWORD extendedStyle = 0;
    bool muted = false;
    /// Objects handed back for image lists whose program object is gone.
    std::vector<std::unique_ptr<CImageList>> imageListStandIns;
};

}  // namespace

QWidget* createListWidget(DWORD style, QWidget* parent) {
    return new ListWidget(style, parent);
}

std::vector<WideString> iconCaptionLines(QWidget* widget, int row) {
    auto* list = dynamic_cast<ListWidget*>(widget);
    auto* view = list ? qobject_cast<QListView*>(list->view) : nullptr;
    auto* delegate = view ? dynamic_cast<IconCellDelegate*>(view->itemDelegate()) : nullptr;
    if (!delegate || !list->validRow(row))
        return {};
    view->doItemsLayout();
    const QModelIndex index = list->model.index(row, 0);
    const QString text = list->model.data(index, Qt::DisplayRole).toString();
    std::vector<WideString> result;
    for (const QString& line :
         delegate->lines(view->fontMetrics(), text, view->visualRect(index).width()))
        result.push_back(line.toStdU16String());
    return result;
}

// ---- CHeaderCtrl ----

namespace {

ListModel* headerModel(const CHeaderCtrl* header) {
    auto* view = qobject_cast<QHeaderView*>(header->widget());
    auto* list = view ? dynamic_cast<ListWidget*>(
                            view->parentWidget() ? view->parentWidget()->parentWidget() : nullptr)
                      : nullptr;
    return list ? &list->model : nullptr;
}

}  // namespace

int CHeaderCtrl::GetItemCount() const {
    ListModel* model = headerModel(this);
    return model ? static_cast<int>(model->columns.size()) : 0;
}

bool CHeaderCtrl::GetItem(int index, HDITEM* item) const {
    ListModel* model = headerModel(this);
    auto* view = qobject_cast<QHeaderView*>(widget());
    if (!model || !view || index < 0 || index >= GetItemCount())
        return false;
    const ListColumn& column = model->columns[static_cast<size_t>(index)];
    if (item->mask & HDI_TEXT)
        item->pszText = column.heading.toStdU16String();
    if (item->mask & HDI_FORMAT)
        item->fmt = column.format | HDF_STRING;
    if (item->mask & HDI_WIDTH)
        item->cxy = view->sectionSize(index);
    if (item->mask & HDI_LPARAM)
        item->lParam = column.param;
    return true;
}

bool CHeaderCtrl::SetItem(int index, const HDITEM* item) {
    ListModel* model = headerModel(this);
    auto* view = qobject_cast<QHeaderView*>(widget());
    if (!model || !view || index < 0 || index >= GetItemCount())
        return false;
    ListColumn& column = model->columns[static_cast<size_t>(index)];
    if (item->mask & HDI_TEXT)
        column.heading = qs(item->pszText);
    if (item->mask & HDI_FORMAT)
        column.format = item->fmt & ~HDF_STRING;
    if (item->mask & HDI_WIDTH)
        view->resizeSection(index, item->cxy);
    if (item->mask & HDI_LPARAM)
        column.param = item->lParam;
    emit model->headerDataChanged(Qt::Horizontal, index, index);
    view->viewport()->update();
    return true;
}

bool CHeaderCtrl::GetItemRect(int index, CRect* rect) const {
    auto* view = qobject_cast<QHeaderView*>(widget());
    if (!view || index < 0 || index >= GetItemCount())
        return false;
    const int left = view->sectionViewportPosition(index);
    *rect = CRect(left, 0, left + view->sectionSize(index), view->height());
    return true;
}

void CHeaderCtrl::DrawItem(DRAWITEMSTRUCT*) {}

// ---- CListCtrl ----

namespace {

ListWidget* listOf(const CListCtrl* list) {
    return dynamic_cast<ListWidget*>(list->widget());
}

}  // namespace

bool CListCtrl::Create(DWORD style, const CRect& rect, CWnd* parent, UINT id) {
    if (IsWindow() || !parent || !parent->widget())
        return false;
    QWidget* w = createListWidget(style, parent->widget());
    WindowData& data = windowData(w);
    data.id = id;
    data.style = style;
    w->setGeometry(rect.left, rect.top, rect.Width(), rect.Height());
    attachWidget(w, true);
    PreSubclassWindow();
    w->setVisible(style & WS_VISIBLE);
    return true;
}

int CListCtrl::InsertColumn(int column, WideStringView heading, int format, int width, int) {
    ListWidget* list = listOf(this);
    if (!list || column < 0)
        return -1;
    column = std::min<int>(column, static_cast<int>(list->model.columns.size()));
    list->model.insertColumnAt(column, ListColumn{qs(heading), format, 0});
    if (list->table && width >= 0)
        list->table->setColumnWidth(column, width);
    return column;
}

bool CListCtrl::DeleteColumn(int column) {
    ListWidget* list = listOf(this);
    if (!list || column < 0 || column >= static_cast<int>(list->model.columns.size())) {
        return false;
    }
    list->model.removeColumnAt(column);
    return true;
}

int CListCtrl::GetColumnWidth(int column) const {
    ListWidget* list = listOf(this);
    return list && list->table ? list->table->columnWidth(column) : 0;
}

bool CListCtrl::SetColumnWidth(int column, int width) {
    ListWidget* list = listOf(this);
    if (!list || !list->table)
        return false;
    if (width < 0) {
        list->table->resizeColumnToContents(column);
    } else {
        list->table->setColumnWidth(column, width);
    }
    return true;
}

CHeaderCtrl* CListCtrl::GetHeaderCtrl() const {
    ListWidget* list = listOf(this);
    return list && list->header ? dynamic_cast<CHeaderCtrl*>(CWnd::fromWidget(list->header))
                                : nullptr;
}

int CListCtrl::InsertItem(int item, WideStringView text, int image) {
    return InsertItem(LVIF_TEXT | LVIF_IMAGE, item, text, 0, 0, image, 0);
}

int CListCtrl::InsertItem(UINT mask, int item, WideStringView text, UINT state, UINT stateMask,
                          int image, LPARAM param) {
    ListWidget* list = listOf(this);
    if (!list || item < 0)
        return -1;
    item = std::min(item, list->model.rowCount());
    ListRow row;
    row.texts.assign(std::max<size_t>(1, list->model.columns.size()), QString());
    if (mask & LVIF_TEXT)
        row.texts[0] = qs(text);
    if (mask & LVIF_IMAGE)
        row.image = image;
    if (mask & LVIF_PARAM)
        row.data = static_cast<DWORD_PTR>(param);
    list->model.insertRow(item, std::move(row));
    if ((mask & LVIF_STATE) && stateMask)
        SetItemState(item, state, stateMask);
    return item;
}

bool CListCtrl::SetItemText(int item, int subItem, WideStringView text) {
    ListWidget* list = listOf(this);
    if (!list || !list->validRow(item) || subItem < 0 ||
        subItem >= std::max<int>(1, static_cast<int>(list->model.columns.size()))) {
        return false;
    }
    auto& texts = list->model.rows[static_cast<size_t>(item)].texts;
    if (texts.size() <= static_cast<size_t>(subItem))
        texts.resize(static_cast<size_t>(subItem) + 1);
    texts[static_cast<size_t>(subItem)] = qs(text);
    list->model.changedRow(item);
    return true;
}

WideString CListCtrl::GetItemText(int item, int subItem) const {
    ListWidget* list = listOf(this);
    if (!list || !list->validRow(item) || subItem < 0)
        return {};
    const auto& texts = list->model.rows[static_cast<size_t>(item)].texts;
    return static_cast<size_t>(subItem) < texts.size()
               ? texts[static_cast<size_t>(subItem)].toStdU16String()
               : WideString();
}

bool CListCtrl::SetItemData(int item, DWORD_PTR data) {
    ListWidget* list = listOf(this);
    if (!list || !list->validRow(item))
        return false;
    list->model.rows[static_cast<size_t>(item)].data = data;
    return true;
}

DWORD_PTR CListCtrl::GetItemData(int item) const {
    ListWidget* list = listOf(this);
    return list && list->validRow(item) ? list->model.rows[static_cast<size_t>(item)].data : 0;
}

bool CListCtrl::SetItemImage(int item, int image) {
    ListWidget* list = listOf(this);
    if (!list || !list->validRow(item))
        return false;
    list->model.rows[static_cast<size_t>(item)].image = image;
    list->model.changedRow(item);
    return true;
}

int CListCtrl::GetItemImage(int item) const {
    ListWidget* list = listOf(this);
    return list && list->validRow(item) ? list->model.rows[static_cast<size_t>(item)].image : -1;
}

int CListCtrl::GetItemCount() const {
    ListWidget* list = listOf(this);
    return list ? list->model.rowCount() : 0;
}

bool CListCtrl::DeleteItem(int item) {
    ListWidget* list = listOf(this);
    if (!list || !list->validRow(item))
        return false;
    list->model.removeRowAt(item);
    return true;
}

bool CListCtrl::DeleteAllItems() {
    ListWidget* list = listOf(this);
    if (!list)
        return false;
    list->model.clearRows();
    return true;
}

bool CListCtrl::SetItemState(int item, UINT state, UINT mask) {
    ListWidget* list = listOf(this);
    if (!list)
        return false;
    if (item == -1) {
        for (int row = 0; row < list->model.rowCount(); ++row) SetItemState(row, state, mask);
        return true;
    }
    if (!list->validRow(item))
        return false;
    auto* selection = list->view->selectionModel();
    const QModelIndex index = list->model.index(item, 0);
    if (mask & LVIS_SELECTED) {
        const bool single = list->view->selectionMode() == QAbstractItemView::SingleSelection;
        if (state & LVIS_SELECTED) {
            selection->select(index, (single ? QItemSelectionModel::ClearAndSelect
                                             : QItemSelectionModel::Select) |
                                         QItemSelectionModel::Rows);
        } else {
            selection->select(index, QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
        }
    }
    if (mask & LVIS_FOCUSED) {
        if (state & LVIS_FOCUSED) {
            selection->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
        } else if (selection->currentIndex().row() == item) {
            selection->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        }
    }
    return true;
}

UINT CListCtrl::GetItemState(int item, UINT mask) const {
    ListWidget* list = listOf(this);
    if (!list || !list->validRow(item))
        return 0;
    auto* selection = list->view->selectionModel();
    UINT state = 0;
    if (selection->isRowSelected(item, {}))
        state |= LVIS_SELECTED;
    if (selection->currentIndex().isValid() && selection->currentIndex().row() == item) {
        state |= LVIS_FOCUSED;
    }
    return state & mask;
}

int CListCtrl::GetNextItem(int start, UINT flags) const {
    const int count = GetItemCount();
    const UINT wanted = flags & (LVNI_SELECTED | LVNI_FOCUSED);
    for (int row = std::max(0, start + 1); row < count; ++row) {
        UINT state = GetItemState(row, LVIS_SELECTED | LVIS_FOCUSED);
        if ((state & wanted) == wanted)
            return row;
    }
    return -1;
}

UINT CListCtrl::GetSelectedCount() const {
    ListWidget* list = listOf(this);
    return list ? static_cast<UINT>(list->view->selectionModel()->selectedRows().size()) : 0;
}

int CListCtrl::GetSelectionMark() const {
    ListWidget* list = listOf(this);
    if (!list)
        return -1;
    QModelIndex current = list->view->selectionModel()->currentIndex();
    return current.isValid() ? current.row() : GetNextItem(-1, LVNI_SELECTED);
}

POSITION CListCtrl::GetFirstSelectedItemPosition() const {
    const int first = GetNextItem(-1, LVNI_SELECTED);
    return first < 0 ? nullptr : reinterpret_cast<POSITION>(static_cast<std::uintptr_t>(first) + 1);
}

int CListCtrl::GetNextSelectedItem(POSITION& position) const {
    const int item = static_cast<int>(reinterpret_cast<std::uintptr_t>(position)) - 1;
    const int next = GetNextItem(item, LVNI_SELECTED);
    position =
        next < 0 ? nullptr : reinterpret_cast<POSITION>(static_cast<std::uintptr_t>(next) + 1);
    return item;
}

bool CListCtrl::EnsureVisible(int item, bool) {
    ListWidget* list = listOf(this);
    if (!list || !list->validRow(item))
        return false;
    list->view->scrollTo(list->model.index(item, 0));
    return true;
}

int CListCtrl::HitTest(CPoint point, UINT* flags) const {
    ListWidget* list = listOf(this);
    if (flags)
        *flags = 0;
    if (!list)
        return -1;
    QPoint inViewport = list->view->viewport()->mapFrom(list, QPoint(point.x, point.y));
    QModelIndex index = list->view->indexAt(inViewport);
    if (flags && index.isValid())
        *flags = 0x0E;  // on the item (icon, label or state)
    return index.isValid() ? index.row() : -1;
}

bool CListCtrl::GetItemRect(int item, CRect* rect, UINT) const {
    ListWidget* list = listOf(this);
    if (!list || !list->validRow(item))
        return false;
    QRect r = list->view->visualRect(list->model.index(item, 0));
    if (list->table) {
        const QRect last =
            list->view->visualRect(list->model.index(item, list->model.columnCount() - 1));
        r = r.united(last);
    }
    QPoint topLeft = list->view->viewport()->mapTo(list, r.topLeft());
    *rect = CRect(topLeft.x(), topLeft.y(), topLeft.x() + r.width(), topLeft.y() + r.height());
    return true;
}

DWORD CListCtrl::SetExtendedStyle(DWORD style) {
    ListWidget* list = listOf(this);
    if (!list)
        return 0;
    const DWORD previous = list->extendedStyle;
    list->extendedStyle = style;
    // Rows are always selected whole here; full-row select only changes what the platform
    // highlighted, and a row is easier to hit with a finger when all of it responds.
    if (list->table)
        list->table->setShowGrid(style & LVS_EX_GRIDLINES);
    return previous;
}

DWORD CListCtrl::GetExtendedStyle() const {
    ListWidget* list = listOf(this);
    return list ? list->extendedStyle : 0;
}

namespace {

// The program's object for an image list's data, or one made for it when the program's is gone.
CImageList* imageListObject(ListWidget& list, const std::shared_ptr<CImageList::Impl>& data) {
    if (!data)
        return nullptr;
    if (data->owner)
        return data->owner;
    auto standIn = std::make_unique<CImageList>();
    standIn->adopt(data);
    list.imageListStandIns.push_back(std::move(standIn));
    return list.imageListStandIns.back().get();
}

}  // namespace

CImageList* CListCtrl::SetImageList(CImageList* images, int kind) {
    ListWidget* list = listOf(this);
    if (!list)
        return nullptr;
    auto& slot = kind == LVSIL_SMALL ? list->model.smallImages : list->model.normalImages;
    const auto previous =
        std::exchange(slot, images ? images->data() : std::shared_ptr<CImageList::Impl>());
    if (kind == LVSIL_NORMAL && images && list->model.iconView) {
        CSize size = images->GetImageSize();
        size = CSize(ScaleX(size.cx), ScaleY(size.cy));
        auto* view = static_cast<QListView*>(list->view);
        view->setIconSize(QSize(size.cx, size.cy));
        // Cells wide enough for a caption under the icon and tall enough for two lines of it.
        const int lineHeight = view->fontMetrics().height();
        view->setGridSize(QSize(std::max(size.cx + ScaleX(40), ScaleX(76)),
                                size.cy + 2 * lineHeight + ScaleY(8)));
    }
    list->updateRowHeight();
    if (list->model.rowCount() > 0) {
        emit list->model.dataChanged(list->model.index(0, 0),
                                     list->model.index(list->model.rowCount() - 1, 0));
    }
    return imageListObject(*list, previous);
}

CImageList* CListCtrl::GetImageList(int kind) const {
    ListWidget* list = listOf(this);
    if (!list)
        return nullptr;
    return imageListObject(
        *list, kind == LVSIL_SMALL ? list->model.smallImages : list->model.normalImages);
}

bool CListCtrl::SortItems(PFNLVCOMPARE compare, DWORD_PTR sortData) {
    ListWidget* list = listOf(this);
    if (!list || !compare)
        return false;
    const auto& rows = list->model.rows;
    std::vector<int> order(rows.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return compare(static_cast<LPARAM>(rows[static_cast<size_t>(a)].data),
                       static_cast<LPARAM>(rows[static_cast<size_t>(b)].data),
                       static_cast<LPARAM>(sortData)) < 0;
    });
    list->model.reorder(order);
    return true;
}

}  // namespace zentrix::framework

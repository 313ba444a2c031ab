#include "ui/network/sort_list_ctrl.h"

namespace zentrix::ui {

void CSortHeaderCtrl::SetSortColumn(int column, bool ascending) {
    sortColumn_ = column;
    sortAscending_ = ascending;
}

void CSortHeaderCtrl::DrawItem(framework::DRAWITEMSTRUCT*) {}

CSortListCtrl::CSortListCtrl() = default;
CSortListCtrl::~CSortListCtrl() = default;

void CSortListCtrl::SetFullRowSelect(bool) {}
void CSortListCtrl::SetGridLines(bool) {}
int CSortListCtrl::InsertColumn(int column, WideStringView heading, int format, int width) {
    return CListCtrl::InsertColumn(column, heading, format, width);
}
int CSortListCtrl::InsertRow(int, const std::vector<WideString>&) {
    return -1;
}
bool CSortListCtrl::SetRowTexts(int, const std::vector<WideString>&) {
    return false;
}
const std::vector<WideString>* CSortListCtrl::RowTexts(int) const {
    return nullptr;
}
bool CSortListCtrl::DeleteRow(int) {
    return false;
}
bool CSortListCtrl::DeleteAllRows() {
    return false;
}
void CSortListCtrl::SelectRow(int, bool) {}
void CSortListCtrl::Sort(int, bool) {}
int CSortListCtrl::NextSelectedRow(int) const {
    return -1;
}
int CSortListCtrl::compareTexts(WideStringView, WideStringView) {
    return 0;
}
bool CSortListCtrl::isNumericText(WideStringView) {
    return false;
}
void CSortListCtrl::PreSubclassWindow() {
    CListCtrl::PreSubclassWindow();
}
bool CSortListCtrl::OnChildNotify(const framework::NotifyInfo& info) {
    return CListCtrl::OnChildNotify(info);
}
void CSortListCtrl::OnDestroy() {
    CListCtrl::OnDestroy();
}

}  // namespace zentrix::ui

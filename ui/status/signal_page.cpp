#include "ui/status/signal_page.h"

#include "resources/resource_ids.h"

namespace zentrix::ui {

CSignalPage::CSignalPage(receiver::ReceiverInterface* receiver)
    : CPropertyPage(IDD_SIGNAL), receiver_(receiver) {}

void CSignalPage::setConstellationMask(ConstellationMask mask) {
    mask_ = mask;
    bars_.setConstellationMask(mask);
}

bool CSignalPage::OnInitDialog() {
    const bool result = CPropertyPage::OnInitDialog();
    framework::CRect client;
    GetClientRect(&client);
    bars_.setConstellationMask(mask_);
    bars_.Create(u"", framework::WS_CHILD | framework::WS_VISIBLE, client, this, kBarsId);
    SetTimer(kRefreshTimerId, kRefreshMs);
    return result;
}

void CSignalPage::OnTimer(framework::UINT_PTR id) {
    if (id == kRefreshTimerId)
        refresh();
    CPropertyPage::OnTimer(id);
}

void CSignalPage::refresh() {
    receiver::SatelliteTable table;
    const uint32_t count = receiver_ != nullptr ? receiver_->getSatellites(table) : 0;
    bars_.setSatellites(table, count);
}

}  // namespace zentrix::ui

#include "ui/status/position_page.h"

#include <initializer_list>

#include "resources/resource_ids.h"

namespace zentrix::ui {

using framework::UINT;

namespace {

constexpr UINT kValueControls[] = {IDC_LATITUDE, IDC_LONGITUDE,  IDC_ALTITUDE, IDC_SATELLITES_USED,
                                   IDC_PDOP,     IDC_FIX_STATUS, IDC_HRMS,     IDC_VRMS,
                                   IDC_AGE,      IDC_BASE_ID,    IDC_BASELINE, IDC_TIME_TO_FIXED};

}  // namespace

CPositionPage::CPositionPage(receiver::ReceiverInterface* receiver)
    : CPositionPage(receiver, lengthUnitOfLocale()) {}

CPositionPage::CPositionPage(receiver::ReceiverInterface* receiver, LengthUnit unit)
    : CPropertyPage(IDD_POSITION), receiver_(receiver), unit_(unit) {}

bool CPositionPage::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    words_ = loadPositionWords();
    // 13 pixels on the handheld's screen; a finer screen scales it as it scales the dialog.
    valueFont_.DeleteObject();
    valueFont_.CreateFont(framework::ScaleY(13), 0, 0, 0, framework::FW_BOLD, 0, 0, 0,
                          framework::DEFAULT_CHARSET, 0, 0, 0, framework::FF_SWISS, u"Arial");
    for (const UINT id : kValueControls) {
        if (CWnd* control = GetDlgItem(id))
            control->SetFont(&valueFont_, true);
    }
    refresh();
    SetTimer(kRefreshTimer, kRefreshMs);
    return true;
}

void CPositionPage::OnTimer(framework::UINT_PTR id) {
    if (id == kRefreshTimer)
        refresh();
    CPropertyPage::OnTimer(id);
}

void CPositionPage::OnDestroy() {
    KillTimer(kRefreshTimer);
    CPropertyPage::OnDestroy();
}

void CPositionPage::refresh() {
    if (receiver_ == nullptr)
        return;
    PositionInput input;
    // Out-values are written only on success: a silent link leaves the last snapshot.
    receiver_->getPosition(position_);
    input.position = position_;
    input.deviceModel = receiver_->getDeviceModel();
    float baseline = 0;
    if (receiver_->getBaselineLength(baseline))
        input.baselineMetres = baseline;
    input.timeToFixedSeconds = receiver_->getWtiValue();
    show(positionView(input, unit_, words_));
}

void CPositionPage::show(const PositionView& view) {
    const auto text = [this](UINT id, const WideString& value) { SetDlgItemText(id, value); };

    text(IDC_LATITUDE, view.latitude);
    text(IDC_LONGITUDE, view.longitude);
    text(IDC_ALTITUDE, view.altitude);
    text(IDC_SATELLITES_USED, view.satellitesUsed);
    text(IDC_PDOP, view.pdop);

    if (view.showStatus)
        text(IDC_FIX_STATUS, view.status);
    ShowDlgItems({IDC_FIX_STATUS_LABEL, IDC_FIX_STATUS}, view.showStatus);
    if (view.showAge)
        text(IDC_AGE, view.age);
    ShowDlgItems({IDC_AGE_LABEL, IDC_AGE}, view.showAge);
    if (view.showBaseId)
        text(IDC_BASE_ID, view.baseId);
    ShowDlgItems({IDC_BASE_ID_LABEL, IDC_BASE_ID}, view.showBaseId);

    if (view.showAccuracy) {
        text(IDC_BASELINE, view.baseline);
        text(IDC_HRMS, view.hrms);
        text(IDC_VRMS, view.vrms);
    }
    ShowDlgItems(
        {IDC_HRMS_LABEL, IDC_HRMS, IDC_VRMS_LABEL, IDC_VRMS, IDC_BASELINE_LABEL, IDC_BASELINE},
        view.showAccuracy);

    if (view.showTimeToFixed)
        text(IDC_TIME_TO_FIXED, view.timeToFixed);
    ShowDlgItems({IDC_TIME_TO_FIXED_LABEL, IDC_TIME_TO_FIXED}, view.showTimeToFixed);
}

}  // namespace zentrix::ui

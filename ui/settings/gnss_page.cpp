#include "ui/settings/gnss_page.h"

#include <utility>

#include "framework/dialog.h"
#include "framework/message_box.h"
#include "framework/resources.h"
#include "receiver/commands/antenna_models.h"
#include "resources/resource_ids.h"

namespace zentrix::ui {

using framework::UINT;

namespace {

constexpr UINT kTrackingModeTexts[kTrackingModeCount] = {
    IDS_TRACKING_GPS_L1,         IDS_TRACKING_GPS_L1_L2,
    IDS_TRACKING_GPS_GLONASS_L1, IDS_TRACKING_GPS_GLONASS_L1_L2,
    IDS_TRACKING_GLONASS_L1,     IDS_TRACKING_GLONASS_L1_L2};

constexpr UINT kPageControls[] = {IDC_TRACKING_MODE_LABEL,
                                  IDC_TRACKING_MODE,
                                  IDC_USE_SBAS,
                                  IDC_USE_QZSS,
                                  IDC_ELEVATION_MASK_LABEL,
                                  IDC_ELEVATION_MASK,
                                  IDC_ELEVATION_MASK_UNIT,
                                  IDC_EXTERNAL_ANTENNA_LABEL,
                                  IDC_ANTENNA_TYPE};

}  // namespace

CGnssPage::CGnssPage(receiver::ReceiverInterface* receiver, uint32_t deviceModel,
                     std::optional<std::string> modelCode)
    : CPropertyPage(IDD_GNSS),
      receiver_(receiver),
      deviceModel_(deviceModel),
      modelCode_(std::move(modelCode)) {
    using framework::BN_CLICKED;
    using framework::CBN_SELCHANGE;
    using framework::EN_CHANGE;
    MapNotification(CBN_SELCHANGE, IDC_TRACKING_MODE, &CGnssPage::onModeChosen);
    MapNotification(BN_CLICKED, IDC_USE_SBAS, &CGnssPage::onSbasClicked);
    MapNotification(BN_CLICKED, IDC_USE_QZSS, &CGnssPage::onQzssClicked);
    MapNotification(EN_CHANGE, IDC_ELEVATION_MASK, &CGnssPage::onElevationChanged);
    MapNotification(CBN_SELCHANGE, IDC_ANTENNA_TYPE, &CGnssPage::onAntennaChosen);
}

void CGnssPage::DoDataExchange(framework::CDataExchange* dx) {
    CPropertyPage::DoDataExchange(dx);
    framework::DDX_CBIndex(dx, IDC_TRACKING_MODE, mode_);
    framework::DDX_Check(dx, IDC_USE_SBAS, sbas_);
    framework::DDX_Check(dx, IDC_USE_QZSS, qzss_);
    framework::DDX_Text(dx, IDC_ELEVATION_MASK, elevationText_);
    framework::DDX_CBIndex(dx, IDC_ANTENNA_TYPE, antenna_);
}

bool CGnssPage::OnInitDialog() {
    // Setting a control's text notifies as typing would: nothing until the page is filled is
    // the user's.
    filling_ = true;
    CPropertyPage::OnInitDialog();
    ShowDlgItems(kPageControls, false);
    fillTrackingModes();
    const int offered = offeredTrackingModes(deviceModel_, modelCode_);
    if (receiver_ != nullptr) {
        framework::CWaitCursor wait;
        read_ = readGnssSettings(*receiver_, deviceModel_, offered);
    } else {
        read_.surveyModel = deviceModel_ == kSurveyDeviceModel;
        read_.offeredModes = offered;
    }
    if (read_.surveyModel && read_.externalAntenna)
        fillAntennas();

    const GnssSettingsShown shown = initialShown(read_);
    mode_ = shown.mode;
    sbas_ = shown.sbas ? 1 : 0;
    qzss_ = shown.qzss ? 1 : 0;
    elevationText_ = shown.elevationText;
    antenna_ = shown.antenna;
    UpdateData(false);
    filling_ = false;

    if (read_.surveyModel && read_.externalAntenna && !read_.antennaName)
        framework::AfxMessageBox(IDS_CANNOT_GET_ANTENNA_NAME);
    showControls();
    return true;
}

void CGnssPage::fillTrackingModes() {
    auto* combo = dynamic_cast<framework::CComboBox*>(GetDlgItem(IDC_TRACKING_MODE));
    if (combo == nullptr)
        return;
    combo->ResetContent();
    const int offered = offeredTrackingModes(deviceModel_, modelCode_);
    for (int mode = 0; mode < offered; ++mode)
        combo->AddString(framework::loadString(kTrackingModeTexts[mode]));
}

void CGnssPage::fillAntennas() {
    auto* combo = dynamic_cast<framework::CComboBox*>(GetDlgItem(IDC_ANTENNA_TYPE));
    if (combo == nullptr)
        return;
    combo->ResetContent();
    for (size_t i = 0; i < receiver::kAntennaModels.size(); ++i) {
        combo->AddString(i == receiver::kUnknownAntenna
                             ? framework::loadString(IDS_ANTENNA_UNKNOWN)
                             : platform::fromUtf8(receiver::kAntennaModels[i].displayText));
    }
}

void CGnssPage::showControls() {
    ShowDlgItems({IDC_TRACKING_MODE_LABEL, IDC_TRACKING_MODE, IDC_USE_SBAS}, true);
    if (!read_.surveyModel)
        return;
    ShowDlgItems(
        {IDC_USE_QZSS, IDC_ELEVATION_MASK_LABEL, IDC_ELEVATION_MASK, IDC_ELEVATION_MASK_UNIT},
        true);
    if (read_.externalAntenna)
        ShowDlgItems({IDC_EXTERNAL_ANTENNA_LABEL, IDC_ANTENNA_TYPE}, true);
}

GnssSettingsShown CGnssPage::shown() const {
    GnssSettingsShown shown;
    shown.mode = mode_;
    shown.sbas = sbas_ != 0;
    shown.qzss = qzss_ != 0;
    shown.elevationText = elevationText_;
    shown.antenna = antenna_;
    shown.modeChosen = modeChosen_;
    shown.sbasChosen = sbasChosen_;
    shown.qzssChosen = qzssChosen_;
    shown.elevationChosen = elevationChosen_;
    shown.antennaChosen = antennaChosen_;
    return shown;
}

bool CGnssPage::OnApply() {
    if (GetSafeHwnd() == nullptr)
        return CPropertyPage::OnApply();
    UpdateData(true);
    const GnssWritePlan plan = planGnssWrite(read_, shown());
    if (plan.elevationRefused) {
        framework::AfxMessageBox(IDS_ELEVATION_MASK_RANGE);
        if (CWnd* edit = GetDlgItem(IDC_ELEVATION_MASK))
            edit->SetFocus();
        return false;
    }
    run(plan);
    return CPropertyPage::OnApply();
}

void CGnssPage::run(const GnssWritePlan& plan) {
    using Kind = GnssWriteStep::Kind;
    for (const GnssWriteStep& step : plan.steps) {
        if (step.kind == Kind::WarnNoExternalAntenna) {
            // The mode is sent all the same: the user may be about to plug the antenna in.
            framework::AfxMessageBox(IDS_NO_EXTERNAL_ANTENNA);
            continue;
        }
        if (receiver_ == nullptr)
            continue;
        // A failed setting is not reported; the next ones still go out.
        framework::CWaitCursor wait;
        switch (step.kind) {
            case Kind::SetAntennaName:
                receiver_->setAntennaName(platform::fromUtf8(step.modelName));
                break;
            case Kind::SetGnssMode:
                receiver_->setGnssMode(static_cast<uint32_t>(step.value));
                break;
            case Kind::SetSbas:
                receiver_->setSbas(step.value != 0);
                break;
            case Kind::SetQzss:
                receiver_->setQzss(step.value != 0);
                break;
            case Kind::SetElevationMask:
                receiver_->setElevationMask(step.value);
                break;
            case Kind::WarnNoExternalAntenna:
                break;
        }
    }
}

}  // namespace zentrix::ui

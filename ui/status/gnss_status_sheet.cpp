#include "ui/status/gnss_status_sheet.h"

#include "framework/message_box.h"

namespace zentrix::ui {

ConstellationMask queryConstellationMask(receiver::ReceiverInterface& receiver) {
    using Query = uint32_t (receiver::ReceiverInterface::*)(uint8_t&);
    struct Switch {
        Query query;
        ConstellationMask bit;
    };
    const Switch switches[] = {
        {&receiver::ReceiverInterface::queryGps, kMaskGps},
        {&receiver::ReceiverInterface::queryGlonass, kMaskGlonass},
        {&receiver::ReceiverInterface::querySbas, kMaskSbas},
        {&receiver::ReceiverInterface::queryQzss, kMaskQzss},
        {&receiver::ReceiverInterface::queryGalileo, kMaskGalileo},
        {&receiver::ReceiverInterface::queryBeidou, kMaskBeidou},
    };
    ConstellationMask mask = 0;
    for (const Switch& s : switches) {
        uint8_t on = 0;
        const uint32_t answered = (receiver.*s.query)(on);
        if (answered != 0 && on != 0)
            mask |= s.bit;
        // Only a receiver that knows of Galileo or BeiDou answers their query at all, on or off.
        if (answered != 0 && (s.bit == kMaskGalileo || s.bit == kMaskBeidou))
            mask |= kMaskWideNumbering;
    }
    return mask;
}

CGnssStatusSheet::CGnssStatusSheet(receiver::ReceiverInterface* receiver, framework::CWnd* parent)
    : CPropertySheet(WideStringView(), parent),
      receiver_(receiver),
      position_(receiver),
      satellites_(receiver),
      signal_(receiver) {
    if (receiver_ != nullptr) {
        framework::CWaitCursor wait;
        mask_ = queryConstellationMask(*receiver_);
    }
    satellites_.setConstellationMask(mask_);
    signal_.setConstellationMask(mask_);
    AddPage(&position_);
    AddPage(&satellites_);
    AddPage(&signal_);
}

}  // namespace zentrix::ui

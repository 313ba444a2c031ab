// The status sheet's first page: where the receiver is, how many satellites it uses, its
// solution type and, for an RTK solution, its accuracy, refreshed once a second.
#pragma once

#include "framework/gdi_objects.h"
#include "framework/property_sheet.h"
#include "receiver/commands/receiver_interface.h"
#include "ui/status/position_text.h"

namespace zentrix::ui {

class CPositionPage : public framework::CPropertyPage {
  public:
    static constexpr framework::UINT_PTR kRefreshTimer = 1;
    static constexpr framework::UINT kRefreshMs = 1000;

    /// `receiver` is read, never owned, and never sent a command. Lengths are in the unit of
    /// the user's locale.
    explicit CPositionPage(receiver::ReceiverInterface* receiver);
    CPositionPage(receiver::ReceiverInterface* receiver, LengthUnit unit);

    bool OnInitDialog() override;
    void OnTimer(framework::UINT_PTR id) override;
    void OnDestroy() override;

    /// Reads the receiver's published state and shows it (what the timer runs).
    void refresh();

    LengthUnit lengthUnit() const { return unit_; }
    /// The bold font of the value fields.
    const framework::CFont& valueFont() const { return valueFont_; }

  private:
    void show(const PositionView& view);

    receiver::ReceiverInterface* receiver_;
    LengthUnit unit_;
    PositionWords words_;
    /// The last snapshot the receiver gave: a silent link keeps showing it.
    receiver::PositionRecord position_;
    framework::CFont valueFont_;
};

}  // namespace zentrix::ui

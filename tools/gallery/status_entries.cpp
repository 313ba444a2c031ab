#include "tools/gallery/status_entries.h"

#include <memory>
#include <string>

#include "framework/test_kit.h"
#include "ui/status/gnss_status_sheet.h"

namespace zentrix::gallery {
namespace {

/// A receiver that reports one moment of a survey: an RTK fixed solution near a base 1.8 km away,
/// and the satellites of all four constellations in view.
class StillReceiver : public receiver::ReceiverInterface {
  public:
    explicit StillReceiver(bool gpsOnly) : gpsOnly_(gpsOnly) {}

    uint32_t getPosition(receiver::PositionRecord& out) override {
        out = {};
        out.latitude = 47.387012;
        out.longitude = 8.521934;
        out.ellipsoidHeight = 460.512;
        out.satellitesUsed = gpsOnly_ ? 7 : 16;
        out.pdop = 1.6f;
        out.fixType = gpsOnly_ ? 1 : 5;
        out.correctionAge = 2;
        out.referenceStationId = 17;
        out.horizontalError = 0.008f;
        out.verticalError = 0.013f;
        return 1;
    }
    uint32_t getSatellites(receiver::SatelliteTable& out) override {
        // prn, elevation, azimuth, L1, L2, used
        static constexpr int kSky[][6] = {
            {2, 64, 40, 48, 41, 1},   {5, 31, 118, 44, 37, 1},  {7, 12, 201, 33, 0, 0},
            {9, 47, 262, 46, 39, 1},  {13, 22, 314, 41, 33, 1}, {15, 78, 160, 50, 44, 1},
            {20, 8, 75, 0, 0, 0},     {24, 39, 12, 45, 38, 1},  {28, 55, 226, 47, 40, 1},
            {30, 17, 146, 38, 0, 0},  {66, 58, 290, 45, 40, 1}, {70, 26, 96, 40, 34, 1},
            {75, 44, 182, 43, 37, 1}, {81, 14, 338, 35, 0, 0},  {88, 69, 57, 47, 42, 1},
            {124, 33, 205, 39, 0, 0}, {133, 28, 168, 37, 0, 0}, {194, 52, 130, 44, 38, 1},
        };
        out = {};
        for (const auto& s : kSky) {
            if (gpsOnly_ && s[0] > 32)
                continue;  // the chip tracks GPS alone, on one band
            out.entries[out.count++] = {
                s[0], s[1], s[2], s[3], gpsOnly_ ? 0 : s[4], static_cast<uint8_t>(s[5])};
        }
        return out.count;
    }
    uint32_t getBaselineLength(float& metres) override {
        metres = 1834.227f;
        return gpsOnly_ ? 0 : 1;
    }
    uint32_t getWtiValue() override { return gpsOnly_ ? 0 : 47; }
    uint32_t getDeviceModel() override { return gpsOnly_ ? 0 : 2; }
    uint32_t queryGps(uint8_t& on) override { return on = 1, 1; }
    uint32_t querySbas(uint8_t& on) override { return on = 1, 1; }
    uint32_t queryGlonass(uint8_t& on) override { return gpsOnly_ ? 0 : (on = 1, 1); }
    uint32_t queryQzss(uint8_t& on) override { return gpsOnly_ ? 0 : (on = 1, 1); }

  private:
    bool gpsOnly_;
};

/// The sheet on page `page`, with the receiver it shows.
class StillStatusSheet : public ui::CGnssStatusSheet {
  public:
    StillStatusSheet(std::unique_ptr<StillReceiver> receiver, int page)
        : CGnssStatusSheet(receiver.get()), receiver_(std::move(receiver)) {
        SetActivePage(page);
    }

  private:
    std::unique_ptr<StillReceiver> receiver_;
};

}  // namespace

void registerStatusGallery(framework::GalleryRegistry& gallery) {
    static const char* const kPages[] = {"position", "satellites", "signal"};
    for (const bool gpsOnly : {false, true}) {
        for (int page = 0; page < 3; ++page) {
            const std::string name =
                std::string("status_") + kPages[page] + (gpsOnly ? "_gps_only" : "");
            gallery.add(
                name,
                [gpsOnly, page] {
                    return std::make_unique<StillStatusSheet>(
                        std::make_unique<StillReceiver>(gpsOnly), page);
                },
                // The pages draw from their once-a-second refresh: one tick, as a second later.
                [](framework::CWnd& window, framework::ScopedTestKit& kit) {
                    auto& sheet = dynamic_cast<ui::CGnssStatusSheet&>(window);
                    if (framework::CPropertyPage* shown = sheet.GetActivePage())
                        kit.fireTimer(*shown, 1);
                });
        }
    }
}

}  // namespace zentrix::gallery

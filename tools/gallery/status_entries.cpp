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

/// A receiver of today's kind that speaks plain NMEA: a float solution, and 40 satellites of six
/// constellations in view, numbered as such receivers number them (an SBAS and a QZSS beyond the
/// handheld board's ranges among them), with the second band's signal where it has one.
class AllSystemsReceiver : public receiver::ReceiverInterface {
  public:
    uint32_t getPosition(receiver::PositionRecord& out) override {
        out = {};
        out.latitude = 47.387013;
        out.longitude = 8.521936;
        out.ellipsoidHeight = 460.87;
        out.satellitesUsed = 31;
        out.pdop = 1.1f;
        out.hdop = 0.6f;
        out.fixType = 4;
        out.correctionAge = 3;
        out.referenceStationId = 23;
        out.horizontalError = 0.21f;
        out.verticalError = 0.34f;
        return 1;
    }
    uint32_t getSatellites(receiver::SatelliteTable& out) override {
        // prn, elevation, azimuth, L1, L2/L5, used
        static constexpr int kSky[][6] = {
            {3, 58, 302, 47, 41, 1},   {4, 21, 66, 39, 0, 1},     {8, 73, 155, 49, 45, 1},
            {11, 34, 212, 44, 38, 1},  {16, 9, 19, 31, 0, 0},     {21, 46, 98, 46, 40, 1},
            {26, 15, 257, 36, 29, 1},  {31, 28, 336, 42, 0, 1},   {67, 62, 44, 46, 39, 1},
            {68, 33, 118, 41, 35, 1},  {77, 18, 190, 37, 0, 0},   {78, 49, 262, 44, 37, 1},
            {84, 11, 318, 33, 0, 0},   {123, 32, 198, 40, 0, 0},  {148, 36, 160, 38, 0, 0},
            {195, 8, 122, 0, 0, 0},    {199, 14, 138, 35, 30, 1}, {302, 54, 74, 45, 42, 1},
            {305, 25, 128, 40, 37, 1}, {307, 67, 230, 47, 44, 1}, {313, 12, 284, 34, 0, 0},
            {319, 39, 10, 43, 40, 1},  {326, 42, 172, 44, 41, 1}, {327, 6, 348, 0, 0, 0},
            {333, 19, 204, 38, 33, 1}, {406, 31, 52, 41, 0, 1},   {409, 22, 84, 39, 0, 1},
            {419, 44, 146, 45, 43, 1}, {420, 63, 268, 47, 45, 1}, {422, 16, 316, 35, 31, 1},
            {427, 27, 222, 42, 39, 1}, {429, 51, 192, 44, 42, 1}, {430, 9, 112, 30, 0, 0},
            {433, 36, 30, 43, 0, 1},   {436, 71, 340, 48, 46, 1}, {437, 13, 250, 33, 0, 0},
            {440, 40, 300, 0, 0, 0},   {443, 58, 118, 46, 44, 1}, {445, 24, 164, 40, 36, 1},
            {446, 5, 60, 0, 0, 0},
        };
        out = {};
        for (const auto& s : kSky) {
            out.entries[out.count++] = {s[0], s[1], s[2], s[3], s[4], static_cast<uint8_t>(s[5])};
        }
        return out.count;
    }
    uint32_t queryGps(uint8_t& on) override { return on = 1, 1; }
    uint32_t querySbas(uint8_t& on) override { return on = 1, 1; }
    uint32_t queryGlonass(uint8_t& on) override { return on = 1, 1; }
    uint32_t queryQzss(uint8_t& on) override { return on = 1, 1; }
    uint32_t queryGalileo(uint8_t& on) override { return on = 1, 1; }
    uint32_t queryBeidou(uint8_t& on) override { return on = 1, 1; }
};

/// The sheet on page `page`, with the receiver it shows.
template <typename Receiver>
class StillStatusSheet : public ui::CGnssStatusSheet {
  public:
    StillStatusSheet(std::unique_ptr<Receiver> receiver, int page)
        : CGnssStatusSheet(receiver.get()), receiver_(std::move(receiver)) {
        SetActivePage(page);
    }

  private:
    std::unique_ptr<Receiver> receiver_;
};

/// The pages draw from their once-a-second refresh: one tick, as a second later.
void firstRefresh(framework::CWnd& window, framework::ScopedTestKit& kit) {
    auto& sheet = dynamic_cast<ui::CGnssStatusSheet&>(window);
    if (framework::CPropertyPage* shown = sheet.GetActivePage())
        kit.fireTimer(*shown, 1);
}

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
                    return std::make_unique<StillStatusSheet<StillReceiver>>(
                        std::make_unique<StillReceiver>(gpsOnly), page);
                },
                firstRefresh);
        }
    }
    for (int page = 0; page < 3; ++page) {
        gallery.add(
            std::string("status_") + kPages[page] + "_all_systems",
            [page] {
                return std::make_unique<StillStatusSheet<AllSystemsReceiver>>(
                    std::make_unique<AllSystemsReceiver>(), page);
            },
            firstRefresh);
    }
}

}  // namespace zentrix::gallery

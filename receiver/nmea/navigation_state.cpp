#include "receiver/nmea/navigation_state.h"

#include <cmath>

#include "receiver/nmea/field_cursor.h"

namespace zentrix::receiver {
namespace {

using platform::CriticalSectionLock;

// Character positions where the first field starts.
constexpr size_t kStandardBody = 7;     // "$GPGGA,"
constexpr size_t kProprietaryBody = 11;  // "$PQELR,SGP,"

// The receiver numbers SBAS satellites 33 to 64; the displays use 120 to 151.
int32_t mapSbas(int32_t prn) { return (prn >= 33 && prn <= 64) ? prn + 87 : prn; }

bool isGpsOrQzss(int32_t prn) { return (prn >= 1 && prn <= 32) || (prn >= 193 && prn <= 197); }
bool isGlonass(int32_t prn) { return prn >= 65 && prn <= 96; }
bool isSbas(int32_t prn) { return prn >= 120 && prn <= 138; }

int32_t roundSnr(double snr) { return static_cast<int32_t>(static_cast<float>(snr) + 0.5f); }

// A unit field between two commas ("," "M" ","); an empty unit is stepped over just as well.
void skipUnit(FieldCursor& c) {
    c.skip();
    c.skipField();
}

// Receivers of NMEA 4.10 send one GSV cycle per signal, with the signal's number as a last field
// after the satellite blocks. Only the first signal (1, or 0 for "all signals") fills the table:
// a later signal's cycle would start the table afresh and hide the satellites seen on the first.
bool isSecondarySignal(const Sentence& s) {
    const FieldList fields(s);
    const size_t afterHeader = fields.size() - 1;
    if (afterHeader < 4 || (afterHeader - 3) % 4 != 1) return false;
    const std::string_view signal = fields[fields.size() - 1];
    return !signal.empty() && signal != "0" && signal != "1";
}

// GSV cycles longer than four messages are real (more than 16 satellites of one talker); the
// table's 32 entries bound what is kept.
constexpr uint32_t kMaxGsvMessages = 9;

// GPS time runs ahead of UTC by the leap seconds since 1980. The receiver's own table stopped at
// 16; the later steps (July 2015, January 2017) are added so that the time of week stays right.
double leapSeconds(uint32_t year, uint32_t month) {
    if (year >= 2017) return 18;
    if (year > 2015 || (year == 2015 && month > 6)) return 17;
    if (year > 2012 || (year == 2012 && month > 6)) return 16;
    return 15;
}

constexpr uint32_t kMonthStart[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
constexpr double kSecondsPerWeek = 604800;

}  // namespace

bool NavigationState::handles(SentenceType type) {
    switch (type) {
        case SentenceType::Gga: case SentenceType::Gll: case SentenceType::Gsa:
        case SentenceType::Gsv: case SentenceType::Gst: case SentenceType::Vtg:
        case SentenceType::Zda: case SentenceType::Dtm: case SentenceType::Sgp:
        case SentenceType::Sgl: case SentenceType::Vec:
            return true;
        default:
            return false;
    }
}

void NavigationState::parse(SentenceType type, const Sentence& s) {
    struct Row {
        SentenceType type;
        void (NavigationState::*parse)(const Sentence&);
    };
    static constexpr Row kParsers[] = {
        {SentenceType::Gga, &NavigationState::parseGga}, {SentenceType::Gll, &NavigationState::parseGll},
        {SentenceType::Gsa, &NavigationState::parseGsa}, {SentenceType::Gsv, &NavigationState::parseGsv},
        {SentenceType::Gst, &NavigationState::parseGst}, {SentenceType::Vtg, &NavigationState::parseVtg},
        {SentenceType::Zda, &NavigationState::parseZda}, {SentenceType::Dtm, &NavigationState::parseDtm},
        {SentenceType::Sgp, &NavigationState::parseSgp}, {SentenceType::Sgl, &NavigationState::parseSgl},
        {SentenceType::Vec, &NavigationState::parseVec},
    };
    for (const auto& row : kParsers) {
        if (row.type == type) {
            (this->*row.parse)(s);
            return;
        }
    }
}

void NavigationState::parseGga(const Sentence& s) {
    if (!verifyChecksum(s)) return;
    FieldCursor c(s, kStandardBody);
    c.parseTime();
    c.skip();
    working_.latitude = c.parseLatitude();
    c.skip();
    working_.longitude = c.parseLongitude();
    c.skip();
    working_.fixType = c.parseDigits(1) != 0 ? 1 : 0;
    c.skip();
    working_.satellitesUsed = c.parseDigits(2);
    c.skip();
    c.parseFixed(2, 1);  // HDOP: GSA's is the one kept
    c.skip();
    working_.altitude = c.parseSignedFixed(5, 3);
    skipUnit(c);
    const float separation = static_cast<float>(c.parseSignedFixed(5, 3));
    working_.ellipsoidHeight = working_.altitude + separation;
    skipUnit(c);
    working_.correctionAge = static_cast<int32_t>(c.parseFixed(3, 1));
    c.skip();
    working_.referenceStationId = static_cast<int32_t>(c.parseDigits(4));
    if (publishOnGga_) publishPosition(s);
}

void NavigationState::parseGll(const Sentence& s) {
    if (!verifyChecksum(s)) return;
    FieldCursor c(s, kStandardBody);
    working_.latitude = c.parseLatitude();
    c.skip();
    working_.longitude = c.parseLongitude();
}

void NavigationState::parseGsa(const Sentence& s) {
    if (!verifyChecksum(s)) return;
    FieldCursor c(s);
    const std::string header = c.copyField();
    c.skip();
    c.skipField();  // mode
    c.parseDigits(1);  // fix dimension
    const bool combined = header == "$GNGSA";
    bool cleared = false;
    if (!combined) {
        usedCount_ = 0;
        working_.glonassUsed = 0;
    }
    for (int field = 0; field < 12; ++field) {
        c.skip();
        const int32_t prn = mapSbas(c.parseSignedInt());
        if (!isGpsOrQzss(prn) && !isGlonass(prn) && !isSbas(prn)) continue;
        // A combined sentence lists one system's satellites; the GPS one starts a new epoch.
        if (combined && isGpsOrQzss(prn) && !cleared) {
            usedCount_ = 0;
            working_.glonassUsed = 0;
            cleared = true;
        }
        if (usedCount_ < usedPrns_.size()) usedPrns_[usedCount_++] = prn;
        if (isGlonass(prn)) working_.glonassUsed = 1;
    }
    c.skip();
    working_.pdop = static_cast<float>(c.parseFixed(2, 1));
    c.skip();
    working_.hdop = static_cast<float>(c.parseFixed(2, 1));
}

bool NavigationState::isUsed(int32_t prn) const {
    for (size_t i = 0; i < usedCount_; ++i) {
        if (usedPrns_[i] == prn) return true;
    }
    return false;
}

size_t NavigationState::firstEmptyEntry() const {
    for (size_t i = 0; i < workingSatellites_.size(); ++i) {
        if (workingSatellites_[i].prn == 0) return i;
    }
    return workingSatellites_.size();
}

void NavigationState::parseGsv(const Sentence& s) {
    if (!verifyChecksum(s)) return;
    FieldCursor c(s, kStandardBody);
    const uint32_t total = c.parseDigits(1);
    c.skip();
    const uint32_t number = c.parseDigits(1);
    c.skip();
    const int32_t inView = static_cast<int32_t>(c.parseDigits(2));
    if (total < 1 || total > kMaxGsvMessages || number < 1 || number > kMaxGsvMessages) return;
    if (isSecondarySignal(s)) return;

    const bool gps = s.startsWith("$GP");
    if (number == 1 && gps) {
        for (auto& entry : workingSatellites_) entry = SatelliteRecord{.snr2 = entry.snr2};
    }
    // A sentence carries at most four satellites; the last one carries what is left.
    const int32_t blocks =
        number == total ? std::clamp<int32_t>(inView - 4 * static_cast<int32_t>(total - 1), 0, 4) : 4;
    size_t index = gps ? 4 * (number - 1) : firstEmptyEntry();
    for (int32_t b = 0; b < blocks; ++b, ++index) {
        c.skip();
        const int32_t prn = mapSbas(c.parseSignedInt());
        c.skip();
        const int32_t elevation = static_cast<int32_t>(c.parseDigits(2));
        c.skip();
        const int32_t azimuth = static_cast<int32_t>(c.parseDigits(3));
        c.skip();
        const int32_t snr = roundSnr(c.parseFixed(2, 1));
        if (index >= workingSatellites_.size()) continue;
        auto& entry = workingSatellites_[index];
        entry.prn = prn;
        entry.elevation = elevation;
        entry.azimuth = azimuth;
        entry.snr1 = snr;
        entry.used = isUsed(prn) ? 1 : 0;
    }
    if (number == total) publishSatellites(static_cast<uint32_t>(firstEmptyEntry()), s);
}

void NavigationState::parseSignalBlocks(const Sentence& s, bool mapSbasNumbers) {
    FieldCursor c(s, kProprietaryBody);
    const uint32_t count = c.parseDigits(2);
    if (count > 27) return;
    const size_t filledBefore = firstEmptyEntry();
    size_t index = filledBefore;
    for (uint32_t b = 0; b < count; ++b, ++index) {
        SatelliteRecord entry;
        c.skip();
        const int32_t prn = c.parseSignedInt();
        entry.prn = mapSbasNumbers ? mapSbas(prn) : prn;
        c.skip();
        entry.azimuth = c.parseSignedInt();
        c.skip();
        entry.elevation = c.parseSignedInt();
        c.skip();
        entry.snr1 = roundSnr(c.parseFixed(2, 1));
        c.skip();
        entry.snr2 = roundSnr(c.parseFixed(2, 1));
        c.skip();
        c.parseFixed(2, 1);  // third band
        c.skip();
        const int32_t status = c.parseSignedInt();
        c.skip();
        c.parseSignedInt();
        entry.used = (status >= 1 && status <= 3) ? 1 : 0;
        if (index < workingSatellites_.size()) workingSatellites_[index] = entry;
    }
    if (!mapSbasNumbers) return;  // SGL: published by the next SGP, ahead of its entries
    publishSatellites(static_cast<uint32_t>(std::min(filledBefore + count, kMaxSatellites)), s);
    workingSatellites_.fill(SatelliteRecord{});
}

void NavigationState::parseSgp(const Sentence& s) {
    if (verifyChecksum(s)) parseSignalBlocks(s, true);
}

void NavigationState::parseSgl(const Sentence& s) {
    if (verifyChecksum(s)) parseSignalBlocks(s, false);
}

void NavigationState::parseGst(const Sentence& s) {
    if (!verifyChecksum(s)) return;
    FieldCursor c(s, kStandardBody);
    c.parseTime();
    c.skip();
    for (int i = 0; i < 4; ++i) c.skipField();  // RMS and the error ellipse
    const double latitudeError = c.parseFixed(2, 3);
    c.skip();
    const double longitudeError = c.parseFixed(2, 3);
    c.skip();
    const double altitudeError = c.parseFixed(2, 3);
    const auto horizontal = static_cast<float>(
        std::sqrt(latitudeError * latitudeError + longitudeError * longitudeError));
    working_.horizontalError = working_.horizontalError2 = horizontal;
    working_.verticalError = working_.verticalError2 = static_cast<float>(altitudeError);
}

void NavigationState::parseVtg(const Sentence& s) {
    if (!verifyChecksum(s)) return;
    const FieldList fields(s);
    const bool noFix = fields[9].substr(0, 1) == "N";
    working_.courseOverGround = noFix ? 0 : textToDouble(fields[1]);
    working_.speedOverGround = noFix ? 0 : textToDouble(fields[7]);
}

void NavigationState::parseZda(const Sentence& s) {
    if (!verifyChecksum(s)) return;
    FieldCursor c(s, kStandardBody);
    const uint32_t hour = c.parseDigits(2);
    const uint32_t minute = c.parseDigits(2);
    const uint32_t second = c.parseDigits(2);
    // Milliseconds from however many fraction digits the receiver sends (the receiver board
    // sends two; others send one or three, or none at all).
    uint32_t millisecond = 0;
    if (c.peek() == '.') {
        c.skip();
        for (uint32_t scale = 100; scale > 0; scale /= 10) millisecond += c.parseDigits(1) * scale;
        while (c.peek() >= '0' && c.peek() <= '9') c.skip();
    }
    c.skip();
    const uint32_t day = c.parseDigits(2);
    c.skip();
    const uint32_t month = c.parseDigits(2);
    c.skip();
    const uint32_t year = c.parseDigits(4);

    working_.utcYear = static_cast<uint16_t>(year);
    working_.utcMonth = static_cast<uint16_t>(month);
    working_.utcDay = static_cast<uint16_t>(day);
    working_.utcHour = static_cast<uint16_t>(hour);
    working_.utcMinute = static_cast<uint16_t>(minute);
    working_.utcSecond = static_cast<uint16_t>(second);
    working_.utcMillisecond = static_cast<uint16_t>(millisecond);

    // GPS time needs a real date at or after the GPS epoch; anything else keeps the last one.
    if (month < 1 || month > 12 || year < 1980) return;
    const bool leapYear = year % 4 == 0 && (year % 100 != 0 || year == 2000);
    const int64_t dayOfYear = kMonthStart[month - 1] + ((leapYear && month > 2) ? 1 : 0) + day;
    const int64_t modifiedJulianDay =
        ((year - 1901) / 4) * 1461 + ((year - 1) % 4) * 365 + dayOfYear + 15384;
    const double dayFraction = (hour * 3600.0 + minute * 60.0 + second + millisecond / 1000.0) / 86400;
    const int64_t days = modifiedJulianDay - 44244;
    if (days < 0) return;
    int64_t week = days / 7;
    const double seconds = (static_cast<double>(days - 7 * week) + dayFraction) * 86400;
    double timeOfWeek = std::floor(seconds * 1000 + 0.5) / 1000 + leapSeconds(year, month);
    if (timeOfWeek >= kSecondsPerWeek) {
        ++week;
        timeOfWeek -= kSecondsPerWeek;
    }
    working_.gpsWeek = static_cast<uint32_t>(week);
    working_.timeOfWeek = timeOfWeek;
}

void NavigationState::parseDtm(const Sentence& s) {
    if (!verifyChecksum(s)) return;
    FieldCursor c(s, kStandardBody);
    working_.userDatum = c.copyField() == "999" ? 1 : 0;
}

void NavigationState::parseVec(const Sentence& s) {
    if (!verifyChecksum(s)) return;
    const FieldList fields(s);
    // The receiver's solution modes, first field of VEC, to the fix types the pages show.
    switch (textToInt(fields[1])) {
        case 0: working_.fixType = working_.fixType == 0 ? 0 : 1; break;
        case 1: working_.fixType = 3; break;
        case 2: working_.fixType = 4; break;
        case 3: working_.fixType = 5; break;
        case 9: working_.fixType = 2; break;
        default: working_.fixType = 1; break;
    }
    for (size_t i = 0; i < 3; ++i) working_.vector[i] = textToDouble(fields[4 + i]);
    if (working_.userDatum) working_.ellipsoidHeight = working_.altitude;
    publishPosition(s);
}

void NavigationState::publishPosition(const Sentence& source) {
    {
        CriticalSectionLock lock(positionLock_);
        published_ = working_;
    }
    if (observer_) observer_(Publication::Position, source);
}

void NavigationState::publishSatellites(uint32_t count, const Sentence& source) {
    {
        CriticalSectionLock lock(satelliteLock_);
        publishedSatellites_ = workingSatellites_;
        publishedCount_ = count;
    }
    if (observer_) observer_(Publication::Satellites, source);
}

PositionRecord NavigationState::getPosition() const {
    CriticalSectionLock lock(positionLock_);
    return published_;
}

uint32_t NavigationState::getSatellites(std::array<SatelliteRecord, kMaxSatellites>& out) const {
    CriticalSectionLock lock(satelliteLock_);
    out = publishedSatellites_;
    return publishedCount_;
}

}  // namespace zentrix::receiver

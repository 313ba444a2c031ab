#include "receiver/nmea_receiver/epoch_assembler.h"

#include <algorithm>
#include <cmath>

#include "receiver/nmea/sentence.h"
#include "receiver/nmea_receiver/satellite_numbering.h"

namespace zentrix::receiver {

namespace {

constexpr double kKnotsToKmh = 1.852;
constexpr int64_t kMillisecondsPerDay = 86400000;
// GSV cycles longer than this are not real: 16 sentences carry 64 satellites.
constexpr uint32_t kMaxGsvSentences = 16;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

uint32_t digits(std::string_view text, size_t at, size_t count) {
    uint32_t value = 0;
    for (size_t i = at; i < at + count; ++i)
        value = value * 10 + static_cast<uint32_t>(text[i] - '0');
    return value;
}

bool allDigits(std::string_view text, size_t at, size_t count) {
    if (text.size() < at + count)
        return false;
    for (size_t i = at; i < at + count; ++i) {
        if (!isDigit(text[i]))
            return false;
    }
    return true;
}

/// hhmmss with any fraction: milliseconds of the day, or -1 for an empty or malformed field.
int64_t parseTimeOfDay(std::string_view field) {
    if (!allDigits(field, 0, 6))
        return -1;
    const uint32_t hour = digits(field, 0, 2);
    const uint32_t minute = digits(field, 2, 2);
    const uint32_t second = digits(field, 4, 2);
    if (hour > 23 || minute > 59 || second > 60)
        return -1;
    uint32_t millisecond = 0;
    if (field.size() > 6 && field[6] == '.') {
        uint32_t scale = 100;
        for (size_t i = 7; i < field.size() && isDigit(field[i]); ++i, scale /= 10) {
            millisecond += static_cast<uint32_t>(field[i] - '0') * scale;
            if (scale == 1)
                break;
        }
    }
    return ((hour * 60 + minute) * 60 + second) * int64_t{1000} + millisecond;
}

/// ddmm.mmmm (or dddmm.mmmm) and its hemisphere: degrees, or NaN when either field is empty.
double parseAngle(std::string_view value, std::string_view hemisphere, char negative) {
    if (value.empty() || hemisphere.empty())
        return NAN;
    const size_t point = std::min(value.find('.'), value.size());
    if (point < 3 || point > 5 || !allDigits(value, 0, point))
        return NAN;
    // Whole minutes and the digits of their fraction as integers: the one division rounds as
    // reading the fraction as text would, with no digit lost (survey receivers send 7 or 8).
    const uint32_t whole = digits(value, 0, point);
    uint64_t fractionDigits = 0;
    double scale = 1;
    for (size_t i = point + 1; i < value.size() && i <= point + 15 && isDigit(value[i]); ++i) {
        fractionDigits = fractionDigits * 10 + static_cast<uint64_t>(value[i] - '0');
        scale *= 10;
    }
    const double fraction = static_cast<double>(fractionDigits) / scale;
    const double minutes = (whole % 100) + fraction;
    const double degrees = (whole / 100) + minutes / 60.0;
    return hemisphere[0] == negative ? -degrees : degrees;
}

// A field's number in the record's type: a receiver's nonsense is held to the type's range.
float toFloat(double value) {
    return static_cast<float>(std::clamp(value, -1e30, 1e30));
}

int32_t toInt(double value) {
    return static_cast<int32_t>(std::clamp(value, -2e9, 2e9));
}

int32_t roundSnr(double snr) {
    return static_cast<int32_t>(toFloat(std::clamp(snr, -1e6, 1e6)) + 0.5f);
}

/// The pages' fix types: 0 none, 1 autonomous, 2 SBAS, 3 differential, 4 float, 5 fixed.
int32_t fixTypeOfQuality(uint32_t quality) {
    switch (quality) {
        case 0:
            return 0;
        case 2:
            return 3;
        case 4:
            return 5;
        case 5:
            return 4;
        case 9:
            return 2;
        default:
            return 1;  // GPS, PPS, dead reckoning, manual, simulator
    }
}

/// An FAA mode letter of RMC, GLL or GNS; -1 for none.
int32_t fixTypeOfMode(char mode) {
    switch (mode) {
        case 'N':
            return 0;
        case 'A':
        case 'E':
        case 'M':
        case 'S':
            return 1;
        case 'D':
        case 'P':
            return 3;
        case 'F':
            return 4;
        case 'R':
            return 5;
        default:
            return -1;
    }
}

uint32_t hexDigit(char c) {
    if (isDigit(c))
        return static_cast<uint32_t>(c - '0');
    if (c >= 'A' && c <= 'F')
        return static_cast<uint32_t>(c - 'A' + 10);
    if (c >= 'a' && c <= 'f')
        return static_cast<uint32_t>(c - 'a' + 10);
    return 0;
}

bool leapYear(uint32_t year) {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

uint32_t daysInMonth(uint32_t year, uint32_t month) {
    static constexpr uint8_t kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 31;
    return kDays[month - 1] + ((month == 2 && leapYear(year)) ? 1 : 0);
}

/// Days from 1970-01-01 to a civil date.
int64_t daysFromCivil(int64_t year, uint32_t month, uint32_t day) {
    year -= month <= 2;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const auto yearOfEra = static_cast<uint32_t>(year - era * 400);
    const uint32_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const uint32_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<int64_t>(dayOfEra) - 719468;
}

// GPS time runs ahead of UTC by the leap seconds since 1980.
double leapSeconds(uint32_t year, uint32_t month) {
    if (year >= 2017)
        return 18;
    if (year > 2015 || (year == 2015 && month > 6))
        return 17;
    if (year > 2012 || (year == 2012 && month > 6))
        return 16;
    if (year >= 2009)
        return 15;
    if (year >= 2006)
        return 14;
    return 13;
}

bool isTimed(std::string_view type) {
    return type == "GGA" || type == "RMC" || type == "GNS" || type == "GLL" || type == "GST" ||
           type == "ZDA";
}

}  // namespace

EpochAssembler::EpochAssembler(EpochObserver observer) : observer_(std::move(observer)) {
    startEpoch();
}

void EpochAssembler::addSentence(std::string_view text) {
    const Sentence sentence = makeSentence(text);
    const FieldList f(sentence);
    const std::string_view header = f[0];
    const bool standard = header.size() == 6 && header[0] == '$' && header[1] != 'P';
    const std::string_view talker = standard ? header.substr(1, 2) : std::string_view();
    const std::string_view type = standard ? header.substr(3, 3) : std::string_view();

    if (isTimed(type)) {
        const int64_t time = parseTimeOfDay(f[type == "GLL" ? 5 : 1]);
        if (time >= 0) {
            if (epochTime_ >= 0 && time != epochTime_) {
                // A new epoch's first timed sentence: the one before it closed the epoch.
                learnClosing();
                publish();
                startEpoch();
            } else if (epochTime_ < 0 && !sawTime_ && hasContent_) {
                // What came before the first time ever heard is the tail of an epoch heard only
                // in part: it is published on its own (a table only if its cycles came whole).
                publish();
                startEpoch();
            } else if (epochTime_ < 0 && afterEarlyPublish_ && time == publishedTime_) {
                // More of an epoch already published: the sentence taken for its last is not.
                learnedClosing_ = {};
                candidateClosing_ = {};
                skyUnreliable_ = true;
            }
            if (epochTime_ < 0)
                epochTime_ = time;
            afterEarlyPublish_ = false;
            sawTime_ = true;
        }
    }
    ++sentenceCount_;
    hasContent_ = true;

    SentenceKey key;
    const std::string_view name = header.substr(std::min<size_t>(1, header.size()), 6);
    std::copy(name.begin(), name.end(), key.text.begin());
    if (type == "GGA")
        parseGga(f);
    else if (type == "RMC")
        parseRmc(f);
    else if (type == "GNS")
        parseGns(f);
    else if (type == "GLL")
        parseGll(f);
    else if (type == "GSA")
        parseGsa(talker, f);
    else if (type == "GSV") {
        parseGsv(talker, f);
        key.text[name.size()] = cycleSignal(f);
    } else if (type == "GST")
        parseGst(f);
    else if (type == "VTG")
        parseVtg(f);
    else if (type == "ZDA")
        parseZda(f);
    lastKey_ = key;

    if (!learnedClosing_.empty() && key == learnedClosing_ && !cycleInProgress()) {
        publish();
        publishedTime_ = epochTime_;
        startEpoch();
        afterEarlyPublish_ = true;
    }
}

void EpochAssembler::endEpoch() {
    if (!hasContent_)
        return;
    // The last sentence before a quiet gap closed its epoch just as one before a new time does.
    learnClosing();
    publish();
    publishedTime_ = epochTime_;
    startEpoch();
    afterEarlyPublish_ = true;
}

void EpochAssembler::learnClosing() {
    // The same sentence closing two epochs in a row is taken to close every epoch.
    learnedClosing_ = lastKey_ == candidateClosing_ ? lastKey_ : SentenceKey{};
    candidateClosing_ = lastKey_;
}

void EpochAssembler::startEpoch() {
    epoch_ = NmeaEpoch{};
    epoch_.firstSentence = sentenceCount_;
    epochTime_ = -1;
    hasContent_ = false;
    qualityFixType_ = false;
    hasSatellitesUsedCount_ = false;
    hasAltitude_ = false;
    separation_ = NAN;
    hdopFromGsa_ = false;
    skyUnreliable_ = false;
    dateGiven_ = false;
    cycleCount_ = 0;
    bands_.fill(EntryBands{});
    usedCount_ = 0;
}

bool EpochAssembler::cycleInProgress() const {
    for (size_t i = 0; i < cycleCount_; ++i) {
        if (!cycles_[i].broken && cycles_[i].received < cycles_[i].total)
            return true;
    }
    return false;
}

void EpochAssembler::publish() {
    epoch_.endSentence = sentenceCount_;
    PositionRecord& p = epoch_.position;

    // Time and date: a date given earlier runs on past midnight.
    if (epochTime_ >= 0) {
        if (!dateGiven_ && year_ != 0 && epochTime_ < dateTime_) {
            if (++day_ > daysInMonth(year_, month_)) {
                day_ = 1;
                if (++month_ > 12) {
                    month_ = 1;
                    ++year_;
                }
            }
        }
        if (year_ != 0)
            dateTime_ = epochTime_;
        p.utcHour = static_cast<uint16_t>(epochTime_ / 3600000);
        p.utcMinute = static_cast<uint16_t>(epochTime_ / 60000 % 60);
        p.utcSecond = static_cast<uint16_t>(epochTime_ / 1000 % 60);
        p.utcMillisecond = static_cast<uint16_t>(epochTime_ % 1000);
        if (year_ != 0) {
            p.utcYear = year_;
            p.utcMonth = month_;
            p.utcDay = day_;
            const int64_t days = daysFromCivil(year_, month_, day_) - daysFromCivil(1980, 1, 6);
            if (days >= 0) {
                double seconds = static_cast<double>(days % 7) * 86400 +
                                 static_cast<double>(epochTime_) / 1000 +
                                 leapSeconds(year_, month_);
                int64_t week = days / 7;
                if (seconds >= 604800) {
                    seconds -= 604800;
                    ++week;
                }
                p.gpsWeek = static_cast<uint32_t>(week);
                p.timeOfWeek = seconds;
            }
        }
    }
    if (hasAltitude_)
        p.ellipsoidHeight = p.altitude + (std::isnan(separation_) ? 0 : separation_);
    if (!hasSatellitesUsedCount_)
        p.satellitesUsed = static_cast<uint32_t>(usedCount_);
    for (size_t i = 0; i < usedCount_; ++i) {
        if (systemOf(used_[i]) == GnssSystem::Glonass)
            p.glonassUsed = 1;
    }

    // The sky only when every cycle of the epoch came whole.
    bool whole = cycleCount_ > 0 && !skyUnreliable_;
    for (size_t i = 0; i < cycleCount_; ++i) whole = whole && cycles_[i].done();
    epoch_.hasSatellites = whole;
    if (whole) {
        for (uint32_t i = 0; i < epoch_.satellites.count; ++i) {
            auto& entry = epoch_.satellites.entries[i];
            entry.used =
                std::find(used_.begin(), used_.begin() + static_cast<ptrdiff_t>(usedCount_),
                          entry.prn) != used_.begin() + static_cast<ptrdiff_t>(usedCount_);
        }
    } else {
        epoch_.satellites = SatelliteTable{};
    }
    if (epoch_.hasPosition || epoch_.hasSatellites)
        observer_(epoch_);
}

void EpochAssembler::takeDate(uint16_t year, uint16_t month, uint16_t day) {
    if (month < 1 || month > 12 || day < 1 || day > 31 || year < 1980)
        return;
    year_ = year;
    month_ = month;
    day_ = day;
    dateGiven_ = true;
    dateTime_ = epochTime_;
}

void EpochAssembler::takeLatLon(const FieldList& f, size_t first) {
    const double latitude = parseAngle(f[first], f[first + 1], 'S');
    const double longitude = parseAngle(f[first + 2], f[first + 3], 'W');
    if (std::isnan(latitude) || std::isnan(longitude))
        return;
    epoch_.position.latitude = latitude;
    epoch_.position.longitude = longitude;
}

void EpochAssembler::takeFixType(int32_t fixType, bool fromQuality) {
    if (fixType < 0)
        return;
    PositionRecord& p = epoch_.position;
    if (fromQuality) {
        // GGA's quality tells SBAS from other corrections and float from fixed: it wins.
        p.fixType = qualityFixType_ ? std::max(p.fixType, fixType) : fixType;
        qualityFixType_ = true;
    } else if (!qualityFixType_) {
        p.fixType = std::max(p.fixType, fixType);
    }
}

void EpochAssembler::parseGga(const FieldList& f) {
    epoch_.hasPosition = true;
    const std::string_view quality = f[6];
    if (quality.empty())
        return;
    const int32_t fixType = fixTypeOfQuality(static_cast<uint32_t>(textToInt(quality)));
    takeFixType(fixType, true);
    if (fixType == 0)
        return;
    takeLatLon(f, 2);
    takeSolution(f, kGgaSolution);
}

void EpochAssembler::parseGns(const FieldList& f) {
    epoch_.hasPosition = true;
    // One mode letter per system: the best of them is the solution's.
    int32_t fixType = -1;
    for (char mode : f[6]) fixType = std::max(fixType, fixTypeOfMode(mode));
    takeFixType(fixType, false);
    if (fixType <= 0)
        return;
    takeLatLon(f, 2);
    takeSolution(f, kGnsSolution);
}

void EpochAssembler::takeSolution(const FieldList& f, const SolutionFields& at) {
    PositionRecord& p = epoch_.position;
    if (!f[at.satellites].empty()) {
        p.satellitesUsed = static_cast<uint32_t>(std::max(0, textToInt(f[at.satellites])));
        hasSatellitesUsedCount_ = true;
    }
    if (!f[at.hdop].empty() && !hdopFromGsa_)
        p.hdop = toFloat(textToDouble(f[at.hdop]));
    if (!f[at.altitude].empty()) {
        p.altitude = textToDouble(f[at.altitude]);
        hasAltitude_ = true;
    }
    if (!f[at.separation].empty())
        separation_ = textToDouble(f[at.separation]);
    if (!f[at.age].empty())
        p.correctionAge = toInt(textToDouble(f[at.age]));
    if (!f[at.station].empty())
        p.referenceStationId = textToInt(f[at.station]);
}

void EpochAssembler::parseRmc(const FieldList& f) {
    PositionRecord& p = epoch_.position;
    epoch_.hasPosition = true;
    const std::string_view date = f[9];
    if (date.size() == 6 && allDigits(date, 0, 6)) {
        const uint32_t yy = digits(date, 4, 2);
        takeDate(static_cast<uint16_t>(yy < 80 ? 2000 + yy : 1900 + yy),
                 static_cast<uint16_t>(digits(date, 2, 2)),
                 static_cast<uint16_t>(digits(date, 0, 2)));
    }
    const bool valid = f[2] == "A";
    int32_t fixType = valid ? 1 : 0;
    if (valid && !f[12].empty())
        fixType = fixTypeOfMode(f[12][0]);
    takeFixType(fixType, false);
    if (fixType <= 0)
        return;
    takeLatLon(f, 3);
    if (!f[7].empty())
        p.speedOverGround = textToDouble(f[7]) * kKnotsToKmh;
    if (!f[8].empty())
        p.courseOverGround = textToDouble(f[8]);
}

void EpochAssembler::parseGll(const FieldList& f) {
    epoch_.hasPosition = true;
    if (f[6] != "A")
        return;
    int32_t fixType = 1;
    if (!f[7].empty())
        fixType = fixTypeOfMode(f[7][0]);
    takeFixType(fixType, false);
    if (fixType == 0)
        return;
    takeLatLon(f, 1);
}

void EpochAssembler::parseGsa(std::string_view talker, const FieldList& f) {
    PositionRecord& p = epoch_.position;
    const size_t fields = f.size() - 1;
    if (fields < 6)
        return;
    // 12 satellites and 3 DOPs, and since NMEA 4.10 the system id; some receivers list more.
    uint32_t systemId = 0;
    size_t dops = fields - 2;
    if (fields == 18) {
        systemId = f[18].empty() ? 0 : hexDigit(f[18][0]);
        dops = 15;
    }
    for (size_t i = 3; i < dops; ++i) {
        if (f[i].empty())
            continue;
        const int32_t number = canonicalSatelliteNumber(talker, systemId, textToInt(f[i]));
        if (number == 0 || usedCount_ >= used_.size())
            continue;
        if (std::find(used_.begin(), used_.begin() + static_cast<ptrdiff_t>(usedCount_), number) ==
            used_.begin() + static_cast<ptrdiff_t>(usedCount_)) {
            used_[usedCount_++] = number;
        }
    }
    if (!f[dops].empty())
        p.pdop = toFloat(textToDouble(f[dops]));
    if (!f[dops + 1].empty()) {
        p.hdop = toFloat(textToDouble(f[dops + 1]));
        hdopFromGsa_ = true;
    }
}

char EpochAssembler::cycleSignal(const FieldList& f) {
    // After the header: total, number, in view, blocks of four, and since NMEA 4.10 the signal.
    const size_t fields = f.size() - 1;
    if (fields < 4 || (fields - 3) % 4 != 1)
        return '0';
    const std::string_view signal = f[fields];
    return signal.empty() ? '0' : signal[0];
}

SatelliteRecord* EpochAssembler::entryFor(int32_t number, EntryBands*& bands) {
    SatelliteTable& table = epoch_.satellites;
    for (uint32_t i = 0; i < table.count; ++i) {
        if (table.entries[i].prn == number) {
            bands = &bands_[i];
            return &table.entries[i];
        }
    }
    if (table.count >= table.entries.size())
        return nullptr;  // full: cut, never overrun
    bands = &bands_[table.count];
    SatelliteRecord& entry = table.entries[table.count++];
    entry = SatelliteRecord{};
    entry.prn = number;
    return &entry;
}

void EpochAssembler::parseGsv(std::string_view talker, const FieldList& f) {
    const size_t fields = f.size() - 1;
    const int32_t total = textToInt(f[1]);
    const int32_t number = textToInt(f[2]);
    if (total < 1 || total > static_cast<int32_t>(kMaxGsvSentences) || number < 1 ||
        number > total) {
        return;
    }
    const char signal = cycleSignal(f);
    Cycle* cycle = nullptr;
    for (size_t i = 0; i < cycleCount_; ++i) {
        if (cycles_[i].talker[0] == talker[0] && cycles_[i].talker[1] == talker[1] &&
            cycles_[i].signal == signal) {
            cycle = &cycles_[i];
        }
    }
    if (cycle == nullptr) {
        if (cycleCount_ >= cycles_.size()) {
            skyUnreliable_ = true;
            return;
        }
        cycle = &cycles_[cycleCount_++];
        *cycle =
            Cycle{{talker[0], talker[1]}, signal, static_cast<uint32_t>(total), 0, number != 1};
    }
    if (number == 1) {
        // A cycle starts (again): what it repeats is merged once more, to the same entries.
        cycle->total = static_cast<uint32_t>(total);
        cycle->received = 1;
        cycle->broken = false;
    } else if (!cycle->broken && static_cast<uint32_t>(number) == cycle->received + 1 &&
               static_cast<uint32_t>(total) == cycle->total) {
        ++cycle->received;
    } else {
        cycle->broken = true;  // a sentence of the cycle was lost
    }
    if (cycle->broken)
        return;

    const uint32_t signalId = hexDigit(signal);
    const size_t blocks = fields > 3 ? (fields - 3) / 4 : 0;
    for (size_t b = 0; b < blocks; ++b) {
        const size_t at = 4 + 4 * b;
        if (f[at].empty())
            continue;
        const int32_t id = canonicalSatelliteNumber(talker, 0, textToInt(f[at]));
        if (id == 0)
            continue;
        EntryBands* bands = nullptr;
        SatelliteRecord* entry = entryFor(id, bands);
        if (entry == nullptr)
            continue;
        if (!bands->position && !f[at + 1].empty() && !f[at + 2].empty()) {
            entry->elevation = textToInt(f[at + 1]);
            entry->azimuth = textToInt(f[at + 2]);
            bands->position = true;
        }
        const int32_t snr = f[at + 3].empty() ? 0 : roundSnr(textToDouble(f[at + 3]));
        if (bandOf(systemOf(id), signalId) == SignalBand::First) {
            if (!bands->first)
                entry->snr1 = snr;
            bands->first = true;
        } else {
            if (!bands->second)
                entry->snr2 = snr;
            bands->second = true;
        }
    }
}

void EpochAssembler::parseGst(const FieldList& f) {
    PositionRecord& p = epoch_.position;
    if (f[6].empty() || f[7].empty())
        return;
    const double latitudeError = textToDouble(f[6]);
    const double longitudeError = textToDouble(f[7]);
    p.horizontalError = p.horizontalError2 =
        toFloat(std::sqrt(latitudeError * latitudeError + longitudeError * longitudeError));
    if (!f[8].empty())
        p.verticalError = p.verticalError2 = toFloat(textToDouble(f[8]));
}

void EpochAssembler::parseVtg(const FieldList& f) {
    PositionRecord& p = epoch_.position;
    if (f[9].substr(0, 1) == "N") {
        p.courseOverGround = 0;
        p.speedOverGround = 0;
        return;
    }
    if (!f[1].empty())
        p.courseOverGround = textToDouble(f[1]);
    // In knots where given, as RMC gives it: the epoch's speed does not depend on which of the
    // two came last.
    if (!f[5].empty()) {
        p.speedOverGround = textToDouble(f[5]) * kKnotsToKmh;
    } else if (!f[7].empty()) {
        p.speedOverGround = textToDouble(f[7]);
    }
}

void EpochAssembler::parseZda(const FieldList& f) {
    if (f[2].empty() || f[3].empty() || f[4].empty())
        return;
    takeDate(static_cast<uint16_t>(textToInt(f[4])), static_cast<uint16_t>(textToInt(f[3])),
             static_cast<uint16_t>(textToInt(f[2])));
}

}  // namespace zentrix::receiver

#include "tools/ctl/setting_table.h"

#include <array>
#include <cmath>
#include <sstream>
#include <utility>

#include "platform/text.h"
#include "receiver/replies/reply_codes.h"
#include "tools/ctl/ctl.h"
#include "ui/diff/profiles/profile_records.h"
#include "ui/diff/reference_brands.h"
#include "ui/settings/nmea_output_model.h"

namespace zentrix::ctl {

namespace {

using receiver::ReceiverInterface;
using Kind = ValueForm::Kind;

// ---- The words of each setting, in the order of the receiver's codes -------------------------

constexpr std::string_view kOnOff[] = {"off", "on"};
// The tracking modes as the GNSS page lists them; the index is the mode `setGnssMode` takes.
constexpr std::string_view kTrackingModes[] = {
    "gps-l1", "gps-l1-l2", "gps-glonass-l1", "gps-glonass-l1-l2", "glonass-l1", "glonass-l1-l2"};
// What a receiver tracking a combination no mode describes reads as.
constexpr std::string_view kOtherTrackingMode = "other";
constexpr std::string_view kHeightTypes[] = {"vertical", "slant"};
constexpr std::string_view kDifferentialModes[] = {"base", "rover"};
// The link page's brands by their receiver code, the last one the receiver's own choice.
constexpr std::string_view kBrands[] = {"orvanex", "novatel", "meridot",  "septentrio",
                                        "topcon",  "javad",   "automatic"};
static_assert(std::size(kBrands) == ui::kReferenceBrands.size());
constexpr std::string_view kBauds[] = {"300",  "600",   "1200",  "2400",  "4800",
                                       "9600", "19200", "38400", "57600", "115200"};
static_assert(std::size(kBauds) == ui::kNmeaBaudTexts.size());
// The UHF page's protocols by code (0 and 7 are its "Transparent" and "Transparent FST").
constexpr std::string_view kRadioProtocols[] = {"transparent", "peltalk",         "dsnp",
                                                "satel",       "pelcor2",         "rz90",
                                                "pelcor3",     "transparent-fst", "v-span"};
constexpr std::string_view kAirSpeeds[] = {"4800", "7600", "8000", "9600", "16000", "19200"};
static_assert(std::size(kAirSpeeds) == receiver::kAirSpeeds.size());
// The UHF page's sensitivity slider, position 0 to 3.
constexpr std::string_view kSensitivities[] = {"low", "medium", "high", "off"};
// The radio types by the receiver's code; 7 is none of the receiver's.
constexpr std::string_view kRadioTypes[] = {"pdl", "adl", "xdl",  "kvl",  "mdl",
                                            "lfe", "lfa", "none", "none", "unknown"};
// The models that have parameters (the codes below "NONE").
constexpr uint32_t kLastRadioModel = 6;

constexpr size_t kCasterTextChars = decltype(diff::NtripProfile::host)::kWidth;
constexpr size_t kMountPointChars = decltype(diff::NtripProfile::mountPoint)::kWidth;
constexpr size_t kAntennaNameChars = 31;
constexpr double kMaxAntennaHeightMetres = 100;
constexpr int kAntennaHeightDecimals = 3;
constexpr uint32_t kPortOn = 0;  // setPortBaud's mode that leaves the port switched on
constexpr int32_t kNtripProtocolType = 0;

// ---- The parts a pattern leaves open ----------------------------------------------------------

struct Choice {
    std::string_view word;
    uint32_t number;
};

constexpr Choice kOutputs[] = {{"virtual", ui::kNmeaVirtualPort},
                               {"cable", ui::kNmeaCable},
                               {"bluetooth", ui::kNmeaBluetooth},
                               {"file", ui::kNmeaFile}};
static_assert(std::size(kOutputs) == ui::kNmeaOutputCodes.size());
constexpr Choice kSentences[] = {{"gga", 2},  {"gll", 3},  {"gsa", 4},  {"gsv", 6}, {"rmc", 10},
                                 {"rre", 11}, {"vtg", 12}, {"zda", 13}, {"gst", 5}, {"gns", 18}};
static_assert(std::size(kSentences) == ui::kNmeaSentenceCodes.size());
// The ports whose baud can be set, by the index the port operations take.
constexpr Choice kSerialPorts[] = {{"a", 0}, {"b", 1}, {"c", 2}, {"d", 3}, {"f", 5}};
// The ports the UHF pages put a radio on: the handheld's own (B) and an external unit's (A, D).
constexpr Choice kRadioPorts[] = {{"a", 0}, {"b", 1}, {"d", 3}};

struct Placeholder {
    std::string_view text;
    std::span<const Choice> choices;
    bool isSentence;
};
constexpr Placeholder kPlaceholders[] = {{"<output>", kOutputs, false},
                                         {"<sentence>", kSentences, true},
                                         {"<port>", kSerialPorts, false},
                                         {"<radio-port>", kRadioPorts, false}};

const Placeholder* placeholderOf(std::string_view part) {
    for (const Placeholder& placeholder : kPlaceholders) {
        if (placeholder.text == part)
            return &placeholder;
    }
    return nullptr;
}

std::vector<std::string_view> split(std::string_view text) {
    std::vector<std::string_view> parts;
    size_t begin = 0;
    for (;;) {
        const size_t dot = text.find('.', begin);
        parts.push_back(text.substr(begin, dot == std::string_view::npos ? dot : dot - begin));
        if (dot == std::string_view::npos)
            return parts;
        begin = dot + 1;
    }
}

// ---- Reading and writing ----------------------------------------------------------------------

SettingResult failed() {
    return {};
}
SettingResult value(std::string text) {
    SettingResult result;
    result.value = std::move(text);
    result.done = true;
    return result;
}
SettingResult outcome(uint32_t answer) {
    SettingResult result;
    result.done = answer != 0;
    return result;
}
SettingResult problem(std::string why, bool absent = false) {
    SettingResult result;
    result.problem = std::move(why);
    result.absent = absent;
    return result;
}

/// The code of `word` in `words` (words are already canonical here).
uint32_t codeOf(std::span<const std::string_view> words, const std::string& word) {
    for (size_t i = 0; i < words.size(); ++i) {
        if (words[i] == word)
            return static_cast<uint32_t>(i);
    }
    return 0;
}

/// The word of `code`, or the code itself when the list has none for it (a reply the program
/// does not know is reported as it came, not as a word it is not).
std::string wordOf(std::span<const std::string_view> words, uint32_t code) {
    return code < words.size() ? std::string(words[code]) : std::to_string(code);
}

std::string text(const platform::WideString& wide) {
    return platform::toUtf8(wide);
}
platform::WideString wide(const std::string& text) {
    return platform::fromUtf8(text);
}

std::optional<double> number(const std::string& text) {
    return parseNumber(text);
}

char portLetter(uint32_t port) {
    for (const Choice& choice : kSerialPorts) {
        if (choice.number == port)
            return static_cast<char>(choice.word[0] - 'a' + 'A');
    }
    return '?';
}

SettingResult readTrackingMode(SettingSession& session, const Setting&) {
    uint32_t mode = 0;
    if (session.receiver().queryGnssMode(mode) == 0)
        return failed();
    return value(mode < std::size(kTrackingModes) ? std::string(kTrackingModes[mode])
                                                  : std::string(kOtherTrackingMode));
}
SettingResult writeTrackingMode(SettingSession& session, const Setting&, const std::string& v) {
    return outcome(session.receiver().setGnssMode(codeOf(kTrackingModes, v)));
}

SettingResult readSbas(SettingSession& session, const Setting&) {
    uint8_t on = 0;
    if (session.receiver().querySbas(on) == 0)
        return failed();
    return value(on != 0 ? "on" : "off");
}
SettingResult writeSbas(SettingSession& session, const Setting&, const std::string& v) {
    return outcome(session.receiver().setSbas(v == "on"));
}

SettingResult readQzss(SettingSession& session, const Setting&) {
    uint8_t on = 0;
    if (session.receiver().queryQzss(on) == 0)
        return failed();
    return value(on != 0 ? "on" : "off");
}
SettingResult writeQzss(SettingSession& session, const Setting&, const std::string& v) {
    return outcome(session.receiver().setQzss(v == "on"));
}

SettingResult readElevationMask(SettingSession& session, const Setting&) {
    uint32_t degrees = 0;
    if (session.receiver().queryElevationMask(degrees) == 0)
        return failed();
    return value(std::to_string(degrees));
}
SettingResult writeElevationMask(SettingSession& session, const Setting&, const std::string& v) {
    return outcome(session.receiver().setElevationMask(static_cast<int32_t>(*number(v))));
}

// Height and its type travel in one command: each is written with the other as the receiver
// has it, and not at all when the receiver did not say.
SettingResult readAntennaHeight(SettingSession& session, const Setting&) {
    double height = 0;
    uint32_t type = 0;
    if (session.receiver().queryAntennaHeight(height, type) == 0)
        return failed();
    return value(formatNumber(height, kAntennaHeightDecimals));
}
SettingResult writeAntennaHeight(SettingSession& session, const Setting&, const std::string& v) {
    double height = 0;
    uint32_t type = 0;
    if (session.receiver().queryAntennaHeight(height, type) == 0)
        return failed();
    return outcome(session.receiver().setAntennaHeight(*number(v), type));
}
SettingResult readHeightType(SettingSession& session, const Setting&) {
    double height = 0;
    uint32_t type = 0;
    if (session.receiver().queryAntennaHeight(height, type) == 0)
        return failed();
    return value(wordOf(kHeightTypes, type));
}
SettingResult writeHeightType(SettingSession& session, const Setting&, const std::string& v) {
    double height = 0;
    uint32_t type = 0;
    if (session.receiver().queryAntennaHeight(height, type) == 0)
        return failed();
    return outcome(session.receiver().setAntennaHeight(height, codeOf(kHeightTypes, v)));
}

SettingResult readAntennaName(SettingSession& session, const Setting&) {
    platform::WideString name;
    if (session.receiver().queryAntennaName(name) == 0)
        return failed();
    return value(text(name));
}
SettingResult writeAntennaName(SettingSession& session, const Setting&, const std::string& v) {
    return outcome(session.receiver().setAntennaName(wide(v)));
}

SettingResult readNmea(SettingSession& session, const Setting& setting) {
    const receiver::MessageOutputs* outputs = session.nmeaOutputs(setting.port);
    if (outputs == nullptr)
        return failed();
    // A sentence the report does not list is off, as the Messages page shows it.
    const size_t count = std::min<size_t>(outputs->count, receiver::MessageOutputs::kMaxEntries);
    for (size_t i = 0; i < count; ++i) {
        const receiver::MessageOutput& output = outputs->entries[i];
        if (output.messageCode == setting.code && output.intervalSeconds != 0)
            return value(formatNumber(output.intervalSeconds, 2));
    }
    return value("off");
}
SettingResult writeNmea(SettingSession& session, const Setting& setting, const std::string& v) {
    const bool on = v != "off";
    const float seconds = on ? static_cast<float>(*number(v)) : 0.0F;
    return outcome(session.receiver().setNmeaMessage(setting.port, setting.code, on, seconds));
}

SettingResult readBaud(SettingSession& session, const Setting& setting) {
    uint32_t code = 0;
    if (session.receiver().queryPortBaud(setting.port, code) == 0)
        return failed();
    return value(code < std::size(kBauds) ? std::string(kBauds[code])
                                          : "code " + std::to_string(code));
}
SettingResult writeBaud(SettingSession& session, const Setting& setting, const std::string& v) {
    return outcome(session.receiver().setPortBaud(setting.port, codeOf(kBauds, v), kPortOn));
}

SettingResult readDifferentialMode(SettingSession& session, const Setting&) {
    uint32_t mode = 0;
    if (session.receiver().queryDifferentialMode(mode) == 0)
        return failed();
    return value(wordOf(kDifferentialModes, mode));
}
SettingResult writeDifferentialMode(SettingSession& session, const Setting&, const std::string& v) {
    return outcome(session.receiver().setDifferentialMode(codeOf(kDifferentialModes, v)));
}

SettingResult readReferenceReceiver(SettingSession& session, const Setting&) {
    std::string code;
    uint8_t explicitBrand = 0;
    if (session.receiver().queryReferenceReceiver(code, explicitBrand) == 0)
        return failed();
    const int row = ui::referenceBrandRow(code, explicitBrand != 0);
    // A brand the list does not have is told as the receiver named it.
    return value(row >= 0 ? std::string(kBrands[row]) : platform::asciiLower(code));
}
SettingResult writeReferenceReceiver(SettingSession& session, const Setting&,
                                     const std::string& v) {
    const uint32_t row = codeOf(kBrands, v);
    return outcome(session.receiver().setReferenceReceiver(ui::kReferenceBrands[row].code,
                                                           row != ui::kAutomaticBrand));
}

// A port's radio parameters go in one command: a field is written with the others as the
// radio reported them, and nothing is sent when it did not.
const receiver::RadioSettings* radioOf(SettingSession& session, const Setting& setting,
                                       SettingResult& result) {
    const receiver::RadioSettings* radio = session.radio(setting.port);
    if (radio == nullptr) {
        result = failed();
        return nullptr;
    }
    if (radio->radioType > kLastRadioModel) {
        result = problem(std::string("no radio on port ") + portLetter(setting.port), true);
        return nullptr;
    }
    return radio;
}

enum class RadioField { Channel, Protocol, AirSpeed, Sensitivity };

template <RadioField field>
SettingResult readRadio(SettingSession& session, const Setting& setting) {
    SettingResult result;
    const receiver::RadioSettings* radio = radioOf(session, setting, result);
    if (radio == nullptr)
        return result;
    switch (field) {
        case RadioField::Channel:
            return value(std::to_string(radio->channel));
        case RadioField::Protocol:
            return value(wordOf(kRadioProtocols, radio->level));
        case RadioField::AirSpeed:
            return value(wordOf(kAirSpeeds, radio->airBaud));
        case RadioField::Sensitivity:
            return value(wordOf(kSensitivities, radio->sensitivity));
    }
    return failed();
}

template <RadioField field>
SettingResult writeRadio(SettingSession& session, const Setting& setting, const std::string& v) {
    SettingResult result;
    const receiver::RadioSettings* read = radioOf(session, setting, result);
    if (read == nullptr)
        return result;
    receiver::RadioSettings radio = *read;
    switch (field) {
        case RadioField::Channel:
            radio.channel = static_cast<uint32_t>(*number(v));
            break;
        case RadioField::Protocol:
            radio.level = codeOf(kRadioProtocols, v);
            break;
        case RadioField::AirSpeed:
            radio.airBaud = codeOf(kAirSpeeds, v);
            break;
        case RadioField::Sensitivity:
            radio.sensitivity = codeOf(kSensitivities, v);
            break;
    }
    return outcome(session.receiver().setRadioParameters(
        setting.port, radio.radioType, radio.airBaud, static_cast<int32_t>(radio.channel),
        radio.sensitivity, static_cast<int32_t>(radio.level), radio.control));
}

SettingResult readRadioType(SettingSession& session, const Setting& setting) {
    const receiver::RadioSettings* radio = session.radio(setting.port);
    if (radio == nullptr)
        return failed();
    return value(wordOf(kRadioTypes, radio->radioType));
}

// The caster's address, port, login and password go in one command, as the network pages send
// them: a field is written with the others as the receiver reported them.
enum class CasterField { HostPort, Login, Password };

template <CasterField field>
SettingResult readCaster(SettingSession& session, const Setting&) {
    const CasterSettings* caster = session.caster();
    if (caster == nullptr)
        return failed();
    switch (field) {
        case CasterField::HostPort:
            return value(caster->host.empty() ? std::string()
                                              : caster->host + ":" + std::to_string(caster->port));
        case CasterField::Login:
            return value(caster->login);
        case CasterField::Password:
            return value(caster->password);
    }
    return failed();
}

template <CasterField field>
SettingResult writeCaster(SettingSession& session, const Setting&, const std::string& v) {
    const CasterSettings* read = session.caster();
    if (read == nullptr)
        return failed();
    CasterSettings caster = *read;
    switch (field) {
        case CasterField::HostPort: {
            const size_t colon = v.rfind(':');
            caster.host = v.substr(0, colon);
            caster.port = static_cast<int32_t>(*number(v.substr(colon + 1)));
            break;
        }
        case CasterField::Login:
            caster.login = v;
            break;
        case CasterField::Password:
            caster.password = v;
            break;
    }
    // The pages never send a caster without its address and port.
    if (caster.host.empty() || caster.port == 0)
        return problem("the receiver has no caster yet: set ntrip.caster first");
    return outcome(session.receiver().setNtripParameters(wide(caster.host), caster.port,
                                                         wide(caster.login), wide(caster.password),
                                                         kNtripProtocolType));
}

SettingResult readMountPoint(SettingSession& session, const Setting&) {
    platform::WideString mountPoint;
    if (session.receiver().queryMountPoint(mountPoint) == 0)
        return failed();
    // "OFF" is the receiver's word for none.
    const std::string name = text(mountPoint);
    return value(name.empty() || name == "OFF" ? "off" : name);
}
SettingResult writeMountPoint(SettingSession& session, const Setting&, const std::string& v) {
    if (v == "off")
        return outcome(session.receiver().disconnectMountPoint());
    return outcome(session.receiver().connectMountPoint(wide(v)));
}

// ---- The table ----------------------------------------------------------------------------------

constexpr ValueForm words(std::span<const std::string_view> list) {
    return ValueForm{Kind::Words, list};
}
constexpr ValueForm integer(double min, double max) {
    return ValueForm{Kind::Integer, {}, min, max};
}
constexpr ValueForm textOf(size_t maxChars) {
    return ValueForm{Kind::Text, {}, 0, 0, 0, maxChars};
}

constexpr std::span<const std::string_view> kTrackingModeList = kTrackingModes;

const SettingRow kRows[] = {
    {"tracking-mode",
     "gps-l1, gps-l1-l2, gps-glonass-l1, gps-glonass-l1-l2, glonass-l1, glonass-l1-l2",
     words(kTrackingModeList), Access::Read, false, readTrackingMode, writeTrackingMode},
    {"sbas", "on, off", words(kOnOff), Access::ReadWrite, false, readSbas, writeSbas},
    {"qzss", "on, off", words(kOnOff), Access::ReadWrite, false, readQzss, writeQzss},
    {"elevation-mask", "degrees, 0 to 90", integer(0, 90), Access::ReadWrite, false,
     readElevationMask, writeElevationMask},
    // The GPS-only chip keeps no antenna height: the program holds it while it is connected,
    // so a value set here would be gone when this command ends.
    {"antenna.height", "metres, 0 to 100, to the millimetre",
     ValueForm{Kind::Decimal, {}, 0, kMaxAntennaHeightMetres, kAntennaHeightDecimals}, Access::None,
     false, readAntennaHeight, writeAntennaHeight},
    {"antenna.height-type", "vertical, slant", words(kHeightTypes), Access::None, false,
     readHeightType, writeHeightType},
    // The page offers the models of its list; the receiver answers with whatever it was told,
    // and what get prints set must take.
    {"antenna.name", "the receiver's model name: ANT-SURVEY-A, ANT-SURVEY-B, ANT-CHOKE-RING, ...",
     textOf(kAntennaNameChars), Access::None, false, readAntennaName, writeAntennaName},
    {"nmea.<output>.<sentence>",
     "off, or seconds: 0.05, 0.1, 0.2, 0.5, 1 to 10, 20, 30, 40, 50, 60", ValueForm{Kind::Interval},
     Access::None, false, readNmea, writeNmea},
    {"port.<port>.baud", "300, 600, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200",
     words(kBauds), Access::None, false, readBaud, writeBaud},
    {"differential.mode", "base, rover", words(kDifferentialModes), Access::None, false,
     readDifferentialMode, writeDifferentialMode},
    {"reference-receiver", "orvanex, novatel, meridot, septentrio, topcon, javad, automatic",
     words(kBrands), Access::None, false, readReferenceReceiver, writeReferenceReceiver},
    {"radio.<radio-port>.type", "pdl, adl, xdl, kvl, mdl, lfe, lfa, none, unknown (read only)",
     words(kRadioTypes), Access::None, false, readRadioType, nullptr},
    {"radio.<radio-port>.channel", "0 to 99, as the radio numbers its channels", integer(0, 99),
     Access::None, false, readRadio<RadioField::Channel>, writeRadio<RadioField::Channel>},
    {"radio.<radio-port>.protocol",
     "transparent, peltalk, dsnp, satel, pelcor2, rz90, pelcor3, transparent-fst, v-span",
     words(kRadioProtocols), Access::None, false, readRadio<RadioField::Protocol>,
     writeRadio<RadioField::Protocol>},
    {"radio.<radio-port>.air-speed", "4800, 7600, 8000, 9600, 16000, 19200 (bit/s)",
     words(kAirSpeeds), Access::None, false, readRadio<RadioField::AirSpeed>,
     writeRadio<RadioField::AirSpeed>},
    {"radio.<radio-port>.sensitivity", "low, medium, high, off", words(kSensitivities),
     Access::None, false, readRadio<RadioField::Sensitivity>, writeRadio<RadioField::Sensitivity>},
    {"ntrip.caster", "HOST:PORT", ValueForm{Kind::HostPort, {}, 1, 65535, 0, kCasterTextChars},
     Access::None, false, readCaster<CasterField::HostPort>, writeCaster<CasterField::HostPort>},
    {"ntrip.login", "text", textOf(kCasterTextChars), Access::None, false,
     readCaster<CasterField::Login>, writeCaster<CasterField::Login>},
    {"ntrip.password", "text, or - to read it from the first line of standard input",
     textOf(kCasterTextChars), Access::None, true, readCaster<CasterField::Password>,
     writeCaster<CasterField::Password>},
    {"ntrip.mountpoint", "a mount point (connects to it), or off (disconnects)",
     ValueForm{Kind::MountPoint, {}, 0, 0, 0, kMountPointChars}, Access::None, false,
     readMountPoint, writeMountPoint},
};

/// Every name a row's pattern stands for, with the choices each made.
void expand(const SettingRow& row, std::vector<Setting>& settings) {
    const std::vector<std::string_view> parts = split(row.pattern);
    std::vector<Setting> partial{Setting{&row, {}, 0, 0}};
    for (std::string_view part : parts) {
        std::vector<Setting> next;
        for (const Setting& prefix : partial) {
            const std::string head = prefix.name.empty() ? prefix.name : prefix.name + ".";
            const Placeholder* placeholder = placeholderOf(part);
            if (placeholder == nullptr) {
                next.push_back(prefix);
                next.back().name = head + std::string(part);
                continue;
            }
            for (const Choice& choice : placeholder->choices) {
                Setting setting = prefix;
                setting.name = head + std::string(choice.word);
                (placeholder->isSentence ? setting.code : setting.port) = choice.number;
                next.push_back(std::move(setting));
            }
        }
        partial = std::move(next);
    }
    settings.insert(settings.end(), partial.begin(), partial.end());
}

/// The first character of `text` the receiver's command cannot carry: its field separator and
/// checksum mark, a control character or one its code page lacks.
std::optional<std::string> refusedCharacter(const std::string& text) {
    for (char c : text) {
        if (c == ',' || c == '*' || c == '$' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return c == '\r' ? "CR" : c == '\n' ? "LF" : std::string(1, c);
    }
    const platform::WideString asWide = wide(text);
    if (platform::ansiToWide(platform::wideToAnsi(asWide)) != asWide)
        return "a character the receiver's code page lacks";
    return std::nullopt;
}

std::optional<std::string> checkedText(const std::string& text, size_t maxChars, std::string& why) {
    if (const auto refused = refusedCharacter(text)) {
        why = "the receiver's command cannot carry " +
              (refused->size() == 1 ? "'" + *refused + "'" : *refused);
        return std::nullopt;
    }
    if (wide(text).size() > maxChars) {
        why = "at most " + std::to_string(maxChars) + " characters";
        return std::nullopt;
    }
    return text;
}

}  // namespace

const receiver::MessageOutputs* SettingSession::nmeaOutputs(uint32_t port) {
    if (const auto known = nmea_.find(port); known != nmea_.end())
        return &known->second;
    receiver::MessageOutputs outputs;
    if (receiver_.queryNmeaOutputs(port, outputs) == 0)
        return nullptr;
    return &nmea_.emplace(port, outputs).first->second;
}

const CasterSettings* SettingSession::caster() {
    if (caster_)
        return &*caster_;
    platform::WideString host, login, password;
    int32_t port = 0;
    if (receiver_.queryNtripParameters(host, port, login, password) == 0)
        return nullptr;
    caster_ = CasterSettings{text(host), port, text(login), text(password)};
    return &*caster_;
}

const receiver::RadioSettings* SettingSession::radio(uint32_t port) {
    if (const auto known = radios_.find(port); known != radios_.end())
        return &known->second;
    receiver::RadioSettings radio;
    if (receiver_.queryRadioParameters(port, radio) == 0)
        return nullptr;
    return &radios_.emplace(port, radio).first->second;
}

void SettingSession::forget() {
    nmea_.clear();
    caster_.reset();
    radios_.clear();
}

std::span<const SettingRow> settingRows() {
    return kRows;
}

std::vector<Setting> allSettings() {
    std::vector<Setting> settings;
    for (const SettingRow& row : kRows) expand(row, settings);
    return settings;
}

std::optional<Setting> findSetting(std::string_view name) {
    for (Setting& setting : allSettings()) {
        if (setting.name == name)
            return std::move(setting);
    }
    return std::nullopt;
}

std::optional<std::string> canonicalValue(const Setting& setting, std::string_view given,
                                          std::string& why) {
    const ValueForm& form = setting.row->form;
    const std::string input(given);
    switch (form.kind) {
        case Kind::Words:
            for (std::string_view word : form.words) {
                if (platform::equalsIgnoringAsciiCase(word, input))
                    return std::string(word);
            }
            why = "'" + input + "' is none of " + std::string(setting.row->values);
            return std::nullopt;
        case Kind::Integer:
        case Kind::Decimal: {
            const std::optional<double> parsed = parseNumber(input);
            const int decimals = form.kind == Kind::Integer ? 0 : form.decimals;
            const double scale = std::pow(10.0, decimals);
            if (!parsed || *parsed < form.min || *parsed > form.max ||
                std::fabs(std::round(*parsed * scale) - *parsed * scale) > 1e-6 * scale) {
                why = "'" + input + "' is not " + std::string(setting.row->values);
                return std::nullopt;
            }
            return formatNumber(*parsed, decimals);
        }
        case Kind::Interval: {
            if (platform::equalsIgnoringAsciiCase(input, "off"))
                return std::string("off");
            if (const std::optional<double> seconds = parseNumber(input)) {
                if (const auto index = ui::nmeaIntervalIndex(static_cast<float>(*seconds)))
                    return formatNumber(ui::kNmeaIntervalsSeconds[static_cast<size_t>(*index)], 2);
            }
            why = "'" + input + "' is not " + std::string(setting.row->values);
            return std::nullopt;
        }
        case Kind::Text:
            return checkedText(input, form.maxChars, why);
        case Kind::MountPoint:
            if (platform::equalsIgnoringAsciiCase(input, "off"))
                return std::string("off");
            if (input.empty()) {
                why = "no mount point given (off disconnects)";
                return std::nullopt;
            }
            return checkedText(input, form.maxChars, why);
        case Kind::HostPort: {
            const size_t colon = input.rfind(':');
            const std::optional<double> port =
                colon == std::string::npos ? std::nullopt : parseNumber(input.substr(colon + 1));
            if (colon == 0 || !port || *port < form.min || *port > form.max ||
                std::floor(*port) != *port) {
                why = "'" + input + "' is not HOST:PORT with a port from 1 to 65535";
                return std::nullopt;
            }
            const std::optional<std::string> host =
                checkedText(input.substr(0, colon), form.maxChars, why);
            if (!host)
                return std::nullopt;
            return *host + ":" + formatNumber(*port, 0);
        }
    }
    return std::nullopt;
}

std::string settingLines() {
    std::ostringstream lines;
    for (const SettingRow& row : kRows) {
        std::string name(row.pattern);
        name.resize(std::max<size_t>(name.size() + 1, 32), ' ');
        lines << "  " << name << row.values << '\n';
    }
    const auto list = [](std::span<const Choice> choices) {
        std::string text;
        for (const Choice& choice : choices)
            text += (text.empty() ? "" : ", ") + std::string(choice.word);
        return text;
    };
    lines << "  <output>: " << list(kOutputs) << "\n"
          << "  <sentence>: " << list(kSentences) << "\n"
          << "  <port>: " << list(kSerialPorts) << "\n"
          << "  <radio-port>: " << list(kRadioPorts) << "\n";
    return lines.str();
}

}  // namespace zentrix::ctl

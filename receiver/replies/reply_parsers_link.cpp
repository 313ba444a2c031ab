// Replies about the data links that bring corrections to the receiver: the GSM modem, the direct
// IP and NTRIP clients, the differential mode and the radios.
#include <algorithm>
#include <cstring>

#include "receiver/replies/reply_codes.h"
#include "receiver/replies/reply_fields.h"
#include "receiver/replies/reply_state.h"

namespace zentrix::receiver {

using namespace reply;

namespace {

constexpr size_t kSubTypeTextPosition = 15;  // the text after a three-letter sub-type and comma

char firstChar(std::string_view text) {
    return text.empty() ? '\0' : text.front();
}

}  // namespace

bool ReplyState::parseMdm(const Sentence& s) {
    okReceived = 0;
    failReceived = 0;
    if (startsWith(field(s, 1), "INI")) {
        // The second stage of the modem initialisation: its outcome, not the modem's settings.
        const std::string_view outcome = textAt(s, kSubTypeTextPosition);
        if (outcome == "OK")
            okReceived = 1;
        if (outcome == "FAIL")
            failReceived = 1;
        return false;
    }
    ModemRecord modem;
    modem.state = codeOr(kModemStates, field(s, 3), 0);
    forEachSetting(s, cursorAtField(s, 4).position(),
                   [&](std::string_view key, std::string_view value) {
                       if (key == "PWR")
                           modem.power.assign(value);
                       else if (key == "PIN")
                           modem.pin.assign(value);
                       else if (key == "APN")
                           modem.apn.assign(value);
                       else if (key == "LGN")
                           modem.login.assign(value);
                       else if (key == "PWD")
                           modem.password.assign(value);
                       else if (key == "PHN")
                           modem.phoneNumber.assign(value);
                       else if (key == "BND")
                           modem.band = firstChar(value);
                       else if (key == "PTC")
                           modem.protocol = firstChar(value);
                       else if (key == "CBS")
                           modem.cbs = firstChar(value);
                       else if (key == "IPT")
                           modem.ipType = firstChar(value);
                       else if (key == "ADL")
                           modem.adl = firstChar(value);
                       // "RNO" and anything newer are read over: the dialogs show none of them.
                   });
    modem_.store(modem);
    return true;
}

bool ReplyState::parseDip(const Sentence& s) {
    // "RIP,<address>,PRT,<port>" and, with a login, ",LGN,<user>,PWD,<password>".
    constexpr size_t kKeyAndSeparators = 5;  // comma, a three-letter key, its separator
    DirectIpRecord record;
    FieldCursor cursor(s, kSubTypeTextPosition);
    record.address.assign(readText(s, cursor));
    cursor.skip(kKeyAndSeparators);
    record.port = cursor.parseDigits(5);
    const size_t login = s.view().find("LGN", cursor.position());
    if (login != std::string_view::npos) {
        const size_t userPosition = login + 4;
        const std::string_view user = textAt(s, userPosition);
        record.user.assign(user);
        record.password.assign(textAt(s, userPosition + user.size() + kKeyAndSeparators));
    }
    directIp_.store(record);
    return true;
}

bool ReplyState::parseNtr(const Sentence& s) {
    okReceived = 0;
    failReceived = 0;
    mountPointReceived = 0;
    ntripParametersReceived = 0;
    sourceTableReceived = 0;

    const std::string_view first = field(s, 1);
    if (startsWith(first, "FAIL")) {
        failReceived = 1;
    } else if (startsWith(first, "OK")) {
        okReceived = 1;
    } else if (startsWith(first, "MTP")) {
        mountPoint_.update([&](FixedText<100>& m) { m.assign(textAt(s, kSubTypeTextPosition)); });
        mountPointReceived = 1;
    } else if (startsWith(first, "TBL")) {
        // "$PQELR,NTR,TBL", the line end, then the caster's table. The copy starts at the last
        // letter of "TBL", as the table reader expects it.
        constexpr size_t kTableTextPosition = 16;
        constexpr size_t kCopyPosition = 13;
        if (charsAt(s, kTableTextPosition, 11) != "SOURCETABLE")
            return false;
        const size_t bytes = std::min(s.length - kCopyPosition, kSourceTableBytes - 1);
        {
            platform::CriticalSectionLock hold(sourceTableLock_);
            std::memcpy(sourceTableBuffer_.get(), s.text + kCopyPosition, bytes);
            sourceTableBuffer_[bytes] = '\0';
            sourceTableLength_ = bytes;
        }
        sourceTableReceived = 1;
    } else {
        // The parameter list answers the parameter query whole: whatever it leaves out is not set.
        NtripRecord record;
        forEachSetting(s, kFirstField, [&](std::string_view key, std::string_view value) {
            if (key == "ADD")
                record.address.assign(value);
            else if (key == "PRT")
                record.port = textToInt(value);
            else if (key == "LGN")
                record.user.assign(value);
            else if (key == "PWD")
                record.password.assign(value);
        });
        ntripParameters_.store(record);
        ntripParametersReceived = 1;
    }
    return false;
}

bool ReplyState::parseCpd(const Sentence& s) {
    const std::string_view subType = field(s, 1);
    if (subType == "MOD") {
        const auto mode = findCode(kDifferentialModes, field(s, 2));
        const char value = firstChar(field(s, 3));
        differential_.update([&](Differential& d) {
            if (mode)
                d.mode = *mode;
            // The receiver reports its differential message set by one digit; "3" is the set the
            // program calls 23.
            if (value >= '0' && value <= '2')
                d.secondValue = static_cast<uint32_t>(value - '0');
            if (value == '3')
                d.secondValue = 23;
        });
    } else if (subType == "POS") {
        FieldCursor cursor = cursorAtField(s, 2);
        const double latitude = cursor.parseLatitude();
        nextField(cursor);
        const double longitude = cursor.parseLongitude();
        nextField(cursor);
        const double height = cursor.parseSignedFixed(5, 3);
        differential_.update([&](Differential& d) {
            d.referenceLatitude = latitude;
            d.referenceLongitude = longitude;
            d.referenceHeight = height;
        });
    }
    // Every other sub-type (AFP, ANT, FST, NET...) is answered, but holds nothing we keep.
    return true;
}

bool ReplyState::parseRdp(const Sentence& s) {
    const std::string_view subType = field(s, 1);
    FieldCursor cursor = cursorAtField(s, 2);
    const uint32_t port = portIndexOf(port_letters::kRadio, cursor.peek());
    nextField(cursor);
    const auto skipFields = [&](int count) {
        for (int i = 0; i < count; ++i) nextField(cursor);
    };

    if (subType == "TYP") {
        const uint32_t type = codeOr(kRadioTypes, readText(s, cursor), kRadioTypeNone);
        radio_.update([&](RadioSettings& r) {
            r.port = port;
            r.radioType = type;
        });
        return true;
    }
    if (subType == "CHT") {
        uint32_t type = codeOr(kRadioTypes, readText(s, cursor), kRadioTypeNone);
        if (type == kRadioTypeUnknown)
            type = kRadioTypeNone;
        nextField(cursor);
        const uint32_t table = cursor.parseDigits(2);
        radio_.update([&](RadioSettings& r) {
            r.port = port;
            r.radioType = type;
            r.tableNumber = table;
        });
        return true;
    }
    if (subType == "PAR") {
        RadioSettings read;
        read.radioType = codeOr(kRadioTypes, readText(s, cursor), kRadioTypeNone);
        skipFields(1);
        read.power = readText(s, cursor) == "ON" ? 0 : 1;
        skipFields(1);
        read.channel = cursor.parseDigits(2);
        skipFields(1);
        read.control = codeOr(kRadioControls, readText(s, cursor), 0);
        skipFields(1);
        const char level = firstChar(readText(s, cursor));
        read.level = level >= '1' && level <= '8' ? static_cast<uint32_t>(level - '0') : 0;
        skipFields(1);
        read.airBaud = codeOr(kAirSpeeds, readText(s, cursor), 0);
        skipFields(1);
        read.sensitivity = codeOr(kRadioSensitivities, readText(s, cursor), 0);
        skipFields(3);  // two fields the dialogs do not show
        read.spacing = codeOr(kChannelSpacings, readText(s, cursor), 2);
        skipFields(8);  // seven more
        read.modulation = codeOr(kModulations, readText(s, cursor), 2);
        radio_.update([&](RadioSettings& r) {
            read.port = port;
            read.tableNumber = r.tableNumber;  // only the channel-table reply carries it
            r = read;
        });
        return true;
    }
    return false;  // a sub-type we cannot decode must not confirm a radio query
}

}  // namespace zentrix::receiver

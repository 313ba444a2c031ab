// zentrixctl get and set against the simulated receivers: every setting reads, what get prints
// is what set takes, a write reaches the board and reads back, and failures keep their statuses.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <functional>
#include <iostream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

#include "tests/support/comma_locale.h"
#include "tests/support/testdata.h"
#include "tests/tools/ctl_support.h"
#include "tools/ctl/commands.h"
#include "tools/ctl/setting_table.h"

namespace zentrix::test {
namespace {

using json = nlohmann::json;

/// The "NAME VALUE" lines of `get all`, by name.
std::map<std::string, std::string> settingValues(const std::string& out) {
    std::map<std::string, std::string> values;
    for (const std::string& line : linesOf(out)) {
        const size_t blank = line.find(' ');
        values[line.substr(0, blank)] = blank == std::string::npos ? "" : line.substr(blank + 1);
    }
    return values;
}

bool hasCommand(sim::Simulator& sim, const std::string& prefix) {
    for (const std::string& command : sim.commandLog()) {
        if (command.rfind(prefix, 0) == 0)
            return true;
    }
    return false;
}

/// Standard input for `set ntrip.password -`, for the life of the guard.
class ScopedInput {
  public:
    explicit ScopedInput(const std::string& text) : input_(text) {
        previous_ = std::cin.rdbuf(input_.rdbuf());
    }
    ~ScopedInput() { std::cin.rdbuf(previous_); }

  private:
    std::istringstream input_;
    std::streambuf* previous_;
};

// A value that cannot be sent is refused before anything is opened: there is no receiver here
// at all, and the status says the command line was wrong, not that no receiver answered.
TEST(CtlSettingsCommandLine, BadNamesAndValuesAreRefusedWithoutAReceiver) {
    ScratchDeviceRoot root;
    struct Row {
        std::vector<std::string> arguments;
        const char* reason;
    } const rows[] = {
        {{"get", "gps"}, "no setting 'gps'"},
        {{"get"}, "one setting name"},
        {{"set", "sbas"}, "a setting name and its value"},
        {{"set", "sbas", "maybe"}, "'maybe' is none of on, off"},
        {{"set", "elevation-mask", "91"}, "'91'"},
        {{"set", "elevation-mask", "-1"}, "'-1'"},
        {{"set", "elevation-mask", "10.5"}, "'10.5'"},
        // A decimal comma is no number, whatever the locale.
        {{"set", "antenna.height", "1,5"}, "'1,5'"},
        {{"set", "antenna.height", "1.2345"}, "'1.2345'"},
        {{"set", "nmea.cable.gga", "0.3"}, "'0.3'"},
        {{"set", "nmea.serial.gga", "1"}, "no setting"},
        {{"set", "port.e.baud", "9600"}, "no setting"},
        {{"set", "port.b.baud", "9601"}, "'9601'"},
        {{"set", "radio.d.type", "pdl"}, "only read"},
        {{"set", "tracking-mode", "other"}, "'other' is none of gps-l1,"},
        {{"set", "antenna.name", std::string(32, 'A')}, "at most 31 characters"},
        {{"set", "ntrip.caster", "caster.example.org"}, "HOST:PORT"},
        {{"set", "ntrip.caster", "caster.example.org:65536"}, "HOST:PORT"},
        {{"set", "ntrip.caster", "caster,example:2101"}, "cannot carry ','"},
        {{"set", "ntrip.login", "a*b"}, "cannot carry '*'"},
        {{"set", "ntrip.login", "a\r\nb"}, "cannot carry CR"},
        {{"set", "ntrip.password", "line\nbreak"}, "cannot carry LF"},
        {{"set", "ntrip.login", std::string(33, 'x')}, "at most 32 characters"},
        {{"set", "ntrip.mountpoint", ""}, "no mount point"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.arguments.back());
        const CtlResult result = runCtl(row.arguments);
        EXPECT_EQ(result.status, ctl::kUsage);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(linesOf(result.err).size(), 1u) << result.err;
        EXPECT_NE(result.err.find(row.reason), std::string::npos) << result.err;
    }
}

TEST(CtlSettingsCommandLine, HelpNamesEverySettingAndHowAPasswordIsGiven) {
    const CtlResult help = runCtl({"--help"});
    ASSERT_EQ(help.status, ctl::kSuccess);
    for (const ctl::SettingRow& row : ctl::settingRows())
        EXPECT_NE(help.out.find(std::string(row.pattern)), std::string::npos) << row.pattern;
    EXPECT_NE(help.out.find("set ntrip.password - reads it"), std::string::npos);
}

/// The decimal-comma locale for this thread only: the program runs here, while the simulator's
/// thread keeps the "C" locale its replies are written in (a real receiver knows no locale).
class ThreadCommaLocale {
  public:
    ThreadCommaLocale() : comma_(newlocale(LC_ALL_MASK, kCommaLocale, nullptr)) {
        if (comma_ != nullptr)
            previous_ = uselocale(comma_);
    }
    ~ThreadCommaLocale() {
        if (comma_ == nullptr)
            return;
        uselocale(previous_);
        freelocale(comma_);
    }
    ThreadCommaLocale(const ThreadCommaLocale&) = delete;
    ThreadCommaLocale& operator=(const ThreadCommaLocale&) = delete;
    bool active() const { return comma_ != nullptr && decimalSeparatorIsComma(); }

  private:
    locale_t comma_;
    locale_t previous_ = nullptr;
};

/// A value of `setting` other than `current` that `set` takes, for the round trip.
struct Change {
    std::string name;
    std::string value;
    /// The simulated board holds it.
    std::function<bool(const sim::BoardState&)> onBoard;
};

// Every setting reads, and what get prints set takes again; one setting of each row is then
// written, shows in the board's state and reads back. The program runs in a decimal-comma
// locale: no number may change with it.
TEST_F(CtlOnSimulator, EverySettingReadsAndWhatGetPrintsSetTakes) {
    ThreadCommaLocale comma;
    ASSERT_TRUE(comma.active());

    const CtlResult before = runCtl({"get", "all"});
    ASSERT_EQ(before.status, ctl::kSuccess) << before.err;
    EXPECT_EQ(before.err, "");
    const std::map<std::string, std::string> values = settingValues(before.out);
    for (const ctl::Setting& setting : ctl::allSettings()) {
        SCOPED_TRACE(setting.name);
        const auto read = values.find(setting.name);
        // A port without a radio has no channel to tell; its type says so.
        if (read == values.end()) {
            EXPECT_EQ(setting.name.rfind("radio.", 0), 0u);
            continue;
        }
        if (setting.row->write == nullptr || setting.row->secret)
            continue;
        EXPECT_EQ(ctl::checkSet(std::vector<std::string>{setting.name, read->second}), "")
            << read->second;
    }
    EXPECT_EQ(values.at("antenna.height"), "1.5");
    EXPECT_EQ(values.at("ntrip.password"), "empty");
    EXPECT_EQ(values.at("radio.b.type"), "none");
    EXPECT_EQ(values.count("radio.b.channel"), 0u);

    const std::vector<Change> changes = {
        {"sbas", "off", [](const sim::BoardState& s) { return !s.sbas; }},
        {"qzss", "ON", [](const sim::BoardState& s) { return s.qzss; }},
        {"elevation-mask", "15",
         [](const sim::BoardState& s) { return s.elevationMaskDegrees == 15; }},
        {"antenna.height", "1.234",
         [](const sim::BoardState& s) { return std::fabs(s.antennaHeightMetres - 1.234) < 1e-9; }},
        // Written with the height just set: the height must stay.
        {"antenna.height-type", "slant",
         [](const sim::BoardState& s) {
             return s.antennaHeightType == 'S' && std::fabs(s.antennaHeightMetres - 1.234) < 1e-9;
         }},
        {"antenna.name", "ANT-CHOKE-RING",
         [](const sim::BoardState& s) { return s.antennaName == "ANT-CHOKE-RING"; }},
        {"nmea.cable.gst", "0.5",
         [](const sim::BoardState& s) {
             for (const auto& output : s.outputs.at('B')) {
                 if (output.name == "GST")
                     return std::fabs(output.intervalSeconds - 0.5) < 1e-6;
             }
             return false;
         }},
        {"port.b.baud", "9600", [](const sim::BoardState& s) { return s.baudCodes.at('B') == 5; }},
        {"differential.mode", "base",
         [](const sim::BoardState& s) { return s.differentialMode == "BAS"; }},
        {"reference-receiver", "topcon",
         [](const sim::BoardState& s) {
             return s.referenceReceiverName == "TOPCON" && s.referenceReceiverFlag;
         }},
        {"radio.d.channel", "5",
         [](const sim::BoardState& s) { return s.radios.at('D').channel == 5; }},
        // Each radio field is written with the others as the radio reported them.
        {"radio.d.protocol", "dsnp",
         [](const sim::BoardState& s) {
             return s.radios.at('D').protocol == 2 && s.radios.at('D').channel == 5;
         }},
        {"radio.d.air-speed", "4800",
         [](const sim::BoardState& s) { return s.radios.at('D').airBaud == "4800"; }},
        {"radio.d.sensitivity", "high",
         [](const sim::BoardState& s) {
             const sim::RadioSettings& r = s.radios.at('D');
             return r.sensitivity == "HIG" && r.airBaud == "4800" && r.protocol == 2;
         }},
        {"ntrip.caster", "caster.example.org:2102",
         [](const sim::BoardState& s) {
             return s.ntripAddress == "caster.example.org" && s.ntripPort == 2102 &&
                    s.ntripLogin == "anonymous";
         }},
        {"ntrip.login", "surveyor",
         [](const sim::BoardState& s) {
             return s.ntripLogin == "surveyor" && s.ntripAddress == "caster.example.org";
         }},
        {"ntrip.mountpoint", "off", [](const sim::BoardState& s) { return s.mountPoint.empty(); }},
    };
    std::map<std::string, std::string> expected;
    for (const Change& change : changes) {
        SCOPED_TRACE(change.name);
        const CtlResult set = runCtl({"set", change.name, change.value});
        ASSERT_EQ(set.status, ctl::kSuccess) << set.err;
        EXPECT_EQ(set.out, "");
        EXPECT_TRUE(change.onBoard(boardState(*sim_)));
        std::string why;
        expected[change.name] =
            *ctl::canonicalValue(*ctl::findSetting(change.name), change.value, why);
    }
    {
        ScopedInput input("s3cret!\n");
        const CtlResult set = runCtl({"--json", "set", "ntrip.password", "-"});
        ASSERT_EQ(set.status, ctl::kSuccess) << set.err;
        EXPECT_EQ(json::parse(set.out), json::parse(R"({"name":"ntrip.password","set":true})"));
        EXPECT_EQ(boardState(*sim_).ntripPassword, "s3cret!");
        EXPECT_EQ(boardState(*sim_).ntripLogin, "surveyor");
    }

    // Everything reads back as written, in JSON lines, and the password shows nowhere.
    const CtlResult after = runCtl({"--json", "get", "all"});
    ASSERT_EQ(after.status, ctl::kSuccess) << after.err;
    EXPECT_EQ(after.out.find("s3cret"), std::string::npos);
    std::map<std::string, json> read;
    for (const std::string& line : linesOf(after.out)) {
        const json object = json::parse(line);
        read[object.at("name").get<std::string>()] = object;
    }
    EXPECT_EQ(read.size(), values.size());
    for (const auto& [name, value] : expected) EXPECT_EQ(read.at(name).at("value"), value) << name;
    EXPECT_EQ(read.at("ntrip.password").at("set"), true);
}

// The tracking mode is several commands, one of whose acknowledgements is awaited for 15 ms only:
// this write runs at the board's own pace.
TEST_F(CtlOnSimulator, TrackingModeIsWrittenAsTheGnssPageWritesIt) {
    {
        platform::ScopedClockSpeed realTime{1};
        const CtlResult set = runCtl({"set", "tracking-mode", "GPS-GLONASS-L1"});
        ASSERT_EQ(set.status, ctl::kSuccess) << set.err;
    }
    const sim::BoardState board = boardState(*sim_);
    EXPECT_EQ(board.signalConfig, "SSL");
    EXPECT_TRUE(board.gps && board.glonass);
    const CtlResult get = runCtl({"--json", "get", "tracking-mode"});
    EXPECT_EQ(json::parse(get.out),
              json::parse(R"({"name":"tracking-mode","value":"gps-glonass-l1"})"));
}

// Refusal and silence each keep their status and one line that says which; a write whose other
// fields could not be read sends nothing.
TEST_F(CtlOnSimulator, FailuresKeepTheirStatusAndSendNothingUnread) {
    struct Row {
        const char* trigger;
        sim::SimFault fault;
        std::vector<std::string> arguments;
        int status;
        const char* says;
        const char* neverSent;
    } const rows[] = {
        {"$PQELS,SBA",
         sim::SimFault::NakEverything,
         {"set", "sbas", "off"},
         ctl::kRefused,
         "refused $PQELS,SBA,OFF (NAK)",
         nullptr},
        {"$PQELQ,PEM",
         sim::SimFault::NakEverything,
         {"get", "elevation-mask"},
         ctl::kRefused,
         "(NAK)",
         nullptr},
        {"$PQELQ,ANH",
         sim::SimFault::Silence,
         {"set", "antenna.height", "2"},
         ctl::kNoAnswer,
         "did not answer $PQELQ,ANH",
         "$PQELS,ANH"},
        {"$PQELQ,NTR",
         sim::SimFault::NakEverything,
         {"set", "ntrip.login", "x"},
         ctl::kRefused,
         "refused $PQELQ,NTR",
         "$PQELS,NTR"},
        {"$PQELQ,RDP,PAR,D",
         sim::SimFault::Silence,
         {"set", "radio.d.channel", "3"},
         ctl::kNoAnswer,
         "did not answer",
         "$PQELS,RDP"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.trigger);
        sim_->clearFaults();
        sim_->clearCommandLog();
        sim_->setFaultOnCommand(row.trigger, row.fault);
        const CtlResult result = runCtl(row.arguments);
        EXPECT_EQ(result.status, row.status) << result.err;
        EXPECT_EQ(linesOf(result.err).size(), 1u) << result.err;
        EXPECT_NE(result.err.find(row.says), std::string::npos) << result.err;
        if (row.neverSent != nullptr) {
            EXPECT_FALSE(hasCommand(*sim_, row.neverSent));
        }
    }
}

// A radio port with nothing on it: no parameters to read or write, and nothing sent.
TEST_F(CtlOnSimulator, APortWithoutARadioIsSaidSo) {
    const CtlResult get = runCtl({"get", "radio.b.channel"});
    EXPECT_EQ(get.status, ctl::kRefused);
    EXPECT_EQ(get.err, "zentrixctl: get radio.b.channel: no radio on port B\n");
    const CtlResult set = runCtl({"set", "radio.b.channel", "2"});
    EXPECT_EQ(set.status, ctl::kRefused);
    EXPECT_FALSE(hasCommand(*sim_, "$PQELS,RDP"));
}

class CtlSettingsOnChip : public CtlOnSimulator {
  protected:
    CtlSettingsOnChip() : CtlOnSimulator(sim::SimReceiver::SirfChip) {}
    ScopedEnv model_{"ZENTRIX_MODEL_CODE", "0204"};
};

// The GPS-only chip has a few of the settings: get all lists those, a setting it lacks is
// refused without a command, and one it acknowledges but does not keep fails on reading back.
TEST_F(CtlSettingsOnChip, OnlyItsOwnSettingsAndWhatItKeeps) {
    const CtlResult all = runCtl({"get", "all"});
    ASSERT_EQ(all.status, ctl::kSuccess) << all.err;
    const std::map<std::string, std::string> values = settingValues(all.out);
    std::vector<std::string> names;
    for (const auto& entry : values) names.push_back(entry.first);
    EXPECT_EQ(names, (std::vector<std::string>{"elevation-mask", "qzss", "sbas", "tracking-mode"}));
    EXPECT_EQ(values.at("tracking-mode"), "gps-l1");

    const CtlResult mask = runCtl({"--json", "set", "elevation-mask", "20"});
    EXPECT_EQ(mask.status, ctl::kSuccess) << mask.err;
    EXPECT_EQ(json::parse(mask.out).at("value"), "20");
    const CtlResult masked = runCtl({"get", "elevation-mask"});
    EXPECT_EQ(masked.out, "20\n");

    // What the chip cannot keep is refused without a word to it.
    for (const std::vector<std::string>& refused :
         {std::vector<std::string>{"set", "tracking-mode", "gps-l1"},
          std::vector<std::string>{"set", "antenna.height", "2.05"}}) {
        const CtlResult result = runCtl(refused);
        EXPECT_EQ(result.status, ctl::kRefused);
        EXPECT_EQ(result.err,
                  "zentrixctl: set " + refused[1] + ": the GPS-only chip has no such operation\n");
    }
    const CtlResult caster = runCtl({"get", "ntrip.caster"});
    EXPECT_EQ(caster.status, ctl::kRefused);

    const CtlResult qzss = runCtl({"set", "qzss", "on"});
    EXPECT_EQ(qzss.status, ctl::kRefused);
    EXPECT_EQ(qzss.err, "zentrixctl: set qzss: the receiver kept 'off'\n");
}

/// A plain NMEA receiver: a capture replayed in a loop on COM3:.
class CtlSettingsOnNmeaReceiver : public CtlOnSimulator {
  protected:
    void SetUp() override {
        sim_ = startLoopingReplay(testdataPath("gpsd/ublox-f9p-hpnmea.log"));
        ASSERT_TRUE(sim_) << "the simulator did not start";
    }
};

// It only talks: every setting is refused as one it does not have, without sending anything.
TEST_F(CtlSettingsOnNmeaReceiver, HasNoSettings) {
    const CtlResult all = runCtl({"--receiver", "nmea", "get", "all"});
    EXPECT_EQ(all.status, ctl::kRefused);
    EXPECT_EQ(all.out, "");
    EXPECT_EQ(all.err, "zentrixctl: get all: a plain NMEA receiver has no such operation\n");
    const CtlResult set = runCtl({"--receiver", "nmea", "set", "sbas", "on"});
    EXPECT_EQ(set.status, ctl::kRefused);
    EXPECT_EQ(set.err, "zentrixctl: set sbas: a plain NMEA receiver has no such operation\n");
    EXPECT_TRUE(sim_->commandLog().empty());
}

}  // namespace
}  // namespace zentrix::test

// zentrixctl status and sourcetable against the simulated receivers.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <nlohmann/json.hpp>
#include <streambuf>
#include <thread>

#include "tests/support/comma_locale.h"
#include "tests/support/fake_receiver.h"
#include "tests/support/testdata.h"
#include "tests/tools/ctl_support.h"
#include "tools/ctl/commands.h"

namespace zentrix::test {
namespace {

using nlohmann::json;

/// Where the simulated sky puts the receiver (sim::Place's defaults).
constexpr double kSimLatitude = 47.3769;
constexpr double kSimLongitude = 8.5417;

std::vector<json> jsonLines(const std::string& out) {
    std::vector<json> parsed;
    for (const std::string& line : linesOf(out)) {
        EXPECT_TRUE(json::accept(line)) << line;
        if (json::accept(line))
            parsed.push_back(json::parse(line));
    }
    return parsed;
}

/// One position line and one satellites line, as `status --json` writes them.
void expectPositionAndSatellites(const std::vector<json>& lines, double latitude, double longitude,
                                 double tolerance) {
    ASSERT_EQ(lines.size(), 2u);
    const json& position = lines[0];
    EXPECT_EQ(position.at("type"), "position");
    EXPECT_NEAR(position.at("latitude").get<double>(), latitude, tolerance);
    EXPECT_NEAR(position.at("longitude").get<double>(), longitude, tolerance);
    EXPECT_GT(position.at("fixType").get<int>(), 0);
    EXPECT_GT(position.at("satellitesUsed").get<int>(), 0);
    const json& satellites = lines[1];
    EXPECT_EQ(satellites.at("type"), "satellites");
    EXPECT_GT(satellites.at("count").get<size_t>(), 0u);
    EXPECT_EQ(satellites.at("count").get<size_t>(), satellites.at("satellites").size());
}

// What the arguments alone decide, before any port is opened.
TEST(CtlStatusArguments, RefusedBeforeAnythingIsOpened) {
    const std::vector<std::vector<std::string>> refused = {
        {"status", "--folow"},
        {"status", "--follow", "now"},
        {"sourcetable", "--near"},
        {"sourcetable", "--near", "91,8.5"},
        {"sourcetable", "--near", "47.5,-180.5"},
        {"sourcetable", "--near", "47,5,8,5"},  // decimal commas
        {"sourcetable", "--near", "47.5;8.5"},
        {"sourcetable", "--near", "47.5,"},
        {"sourcetable", "--near", "+47.5,8.5"},
        {"sourcetable", "--near=north,east"},
        {"sourcetable", "--near", "47.5,8.5", "extra"},
        {"sourcetable", "nearby"},
    };
    for (const auto& arguments : refused) {
        SCOPED_TRACE(arguments.back());
        const CtlResult result = runCtl(arguments);
        EXPECT_EQ(result.status, ctl::kUsage);
        EXPECT_EQ(linesOf(result.err).size(), 1u) << result.err;
        EXPECT_TRUE(result.err.starts_with("zentrixctl: " + arguments[0] + ": ")) << result.err;
        EXPECT_TRUE(result.out.empty());
    }
    const std::vector<std::vector<std::string>> accepted = {
        {}, {"--near", "47.5,8.5"}, {"--near=-33.87,151.21"}, {"--near", "90,-180"}};
    for (const auto& arguments : accepted)
        EXPECT_EQ(ctl::checkSourceTable(arguments), "") << arguments.size();
    EXPECT_EQ(ctl::checkStatus(std::vector<std::string>{}), "");
    EXPECT_EQ(ctl::checkStatus(std::vector<std::string>{"--follow"}), "");
}

// Once, as text and as JSON: the position is where the simulated sky puts the board, with its
// satellites.
TEST_F(CtlOnSimulator, StatusOnceAsTextAndJson) {
    const CtlResult text = runCtl({"status"});
    ASSERT_EQ(text.status, ctl::kSuccess) << text.err;
    EXPECT_TRUE(text.err.empty()) << text.err;
    const std::vector<std::string> lines = linesOf(text.out);
    auto lineStarting = [&](const std::string& label) {
        for (const std::string& line : lines) {
            if (line.starts_with(label))
                return line.substr(label.size());
        }
        return std::string("(missing)");
    };
    EXPECT_TRUE(lineStarting("latitude: ").starts_with("47.37")) << text.out;
    EXPECT_TRUE(lineStarting("latitude: ").ends_with(" N")) << text.out;
    EXPECT_TRUE(lineStarting("longitude: ").starts_with("8.54")) << text.out;
    EXPECT_TRUE(lineStarting("longitude: ").ends_with(" E")) << text.out;
    EXPECT_TRUE(lineStarting("time: ").starts_with("20")) << text.out;
    EXPECT_NE(lineStarting("fix: "), "none");
    EXPECT_NE(lineStarting("fix: "), "(missing)");
    // Every satellite row has its seven columns.
    size_t rows = 0;
    for (const std::string& line : lines) {
        std::istringstream fields(line);
        int prn = 0;
        std::string system;
        if (!(fields >> prn >> system))
            continue;
        ++rows;
        int elevation = 0, azimuth = 0, snr1 = 0, snr2 = 0;
        std::string used;
        EXPECT_TRUE(fields >> elevation >> azimuth >> snr1 >> snr2 >> used) << line;
        EXPECT_TRUE(used == "yes" || used == "no") << line;
    }
    EXPECT_EQ(lineStarting("satellites in view: "), std::to_string(rows));

    const CtlResult json = runCtl({"--json", "status"});
    ASSERT_EQ(json.status, ctl::kSuccess) << json.err;
    const std::vector<nlohmann::json> parsed = jsonLines(json.out);
    expectPositionAndSatellites(parsed, kSimLatitude, kSimLongitude, 1e-3);
    EXPECT_TRUE(parsed[0].contains("utc"));
}

// A board that stops talking once it is set up (its last set-up query goes unanswered): no
// position, said on one line, status 3.
TEST_F(CtlOnSimulator, StatusOfASilentBoardSaysSo) {
    sim_->setFaultOnCommand("$PQELQ,RID", sim::SimFault::Silence);
    const CtlResult result = runCtl({"status"});
    EXPECT_EQ(result.status, ctl::kNoAnswer) << result.err;
    EXPECT_TRUE(result.out.empty()) << result.out;
    ASSERT_EQ(linesOf(result.err).size(), 1u) << result.err;
    EXPECT_NE(result.err.find("no position"), std::string::npos) << result.err;
}

class CtlOnSirfChip : public CtlOnSimulator {
  protected:
    CtlOnSirfChip() : CtlOnSimulator(sim::SimReceiver::SirfChip) {}
    ScopedEnv model_{"ZENTRIX_MODEL_CODE", "0204"};
};

TEST_F(CtlOnSirfChip, StatusGivesThePosition) {
    const CtlResult result = runCtl({"--json", "status"});
    ASSERT_EQ(result.status, ctl::kSuccess) << result.err;
    expectPositionAndSatellites(jsonLines(result.out), kSimLatitude, kSimLongitude, 1e-3);
    // The chip has no caster: nothing is sent, and the refusal says why.
    const CtlResult table = runCtl({"sourcetable"});
    EXPECT_EQ(table.status, ctl::kRefused);
    EXPECT_NE(table.err.find("no such operation"), std::string::npos) << table.err;
}

/// A plain NMEA receiver: a capture replayed in a loop on COM3:.
class CtlOnNmeaReceiver : public CtlOnSimulator {
  protected:
    void SetUp() override {
        sim_ = startLoopingReplay(testdataPath("gpsd/ublox-f9p-hpnmea.log"));
        ASSERT_TRUE(sim_) << "the simulator did not start";
    }
};

TEST_F(CtlOnNmeaReceiver, StatusGivesThePositionWithItsUtc) {
    const CtlResult result = runCtl({"--receiver", "nmea", "--json", "status"});
    ASSERT_EQ(result.status, ctl::kSuccess) << result.err;
    const std::vector<json> lines = jsonLines(result.out);
    ASSERT_EQ(lines.size(), 2u) << result.out;
    // The capture's receiver stood at 44°04.13' N.
    EXPECT_NEAR(lines[0].at("latitude").get<double>(), 44.0689, 1e-3);
    EXPECT_TRUE(lines[0].contains("utc")) << lines[0];
    EXPECT_EQ(lines[1].at("type"), "satellites");
}

/// Standard output as a pipe: a reader on another thread sees each line as it is written,
/// and after `failAfter` lines the reader has gone (every later write fails).
class LiveOutput : public std::streambuf {
  public:
    explicit LiveOutput(size_t failAfter = SIZE_MAX) : failAfter_(failAfter) {}
    size_t lines() const { return lines_.load(); }
    std::string text() const {
        std::lock_guard lock(mutex_);
        return text_;
    }

  protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof()))
            return traits_type::not_eof(c);
        const char byte = traits_type::to_char_type(c);
        return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
    }
    std::streamsize xsputn(const char* bytes, std::streamsize count) override {
        std::lock_guard lock(mutex_);
        if (lines_.load() >= failAfter_)
            return 0;
        text_.append(bytes, static_cast<size_t>(count));
        lines_ = static_cast<size_t>(std::count(text_.begin(), text_.end(), '\n'));
        return count;
    }

  private:
    const size_t failAfter_;
    mutable std::mutex mutex_;
    std::string text_;
    std::atomic<size_t> lines_{0};
};

// --follow ends on an interrupt, on a vanished device and on a reader that went away; what it
// wrote is whole JSON lines, a position and its satellites each time.
TEST_F(CtlOnSimulator, FollowEndsCleanly) {
    enum class End { Interrupt, Vanish, ReaderGone };
    struct Row {
        const char* legend;
        End end;
        int status;
        size_t errLines;
    };
    const Row rows[] = {
        {"interrupted", End::Interrupt, ctl::kSuccess, 0},
        {"reader gone", End::ReaderGone, ctl::kSuccess, 0},
        {"device vanished", End::Vanish, ctl::kNoReceiver, 1},  // last: the simulator is gone
    };
    constexpr size_t kLines = 6;  // three positions
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        LiveOutput live(row.end == End::ReaderGone ? kLines : SIZE_MAX);
        std::ostream out(&live);
        std::ostringstream err;
        std::atomic<bool> stop{false};
        std::atomic<bool> ended{false};
        std::thread watcher([&] {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            while (live.lines() < kLines && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            if (row.end == End::Vanish)
                sim_->setFault(sim::SimFault::Vanish);
            else if (row.end == End::Interrupt)
                stop = true;
            // A safety net: a command that misses its end must not hang the test.
            const auto net = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            while (!ended.load() && std::chrono::steady_clock::now() < net)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            stop = true;
        });
        const auto started = std::chrono::steady_clock::now();
        const std::vector<std::string> arguments = {"--json", "status", "--follow"};
        const int status = ctl::runCtl(arguments, out, err, stop);
        const auto took = std::chrono::steady_clock::now() - started;
        ended = true;
        watcher.join();
        EXPECT_EQ(status, row.status) << err.str();
        EXPECT_LT(took, std::chrono::seconds(8)) << "ended by the safety net";
        EXPECT_EQ(linesOf(err.str()).size(), row.errLines) << err.str();
        const std::string text = live.text();
        ASSERT_FALSE(text.empty());
        EXPECT_EQ(text.back(), '\n');
        const std::vector<json> lines = jsonLines(text);
        ASSERT_GE(lines.size(), kLines);
        for (size_t i = 0; i < lines.size(); ++i)
            EXPECT_EQ(lines[i].at("type"), i % 2 == 0 ? "position" : "satellites") << i;
        if (row.end == End::ReaderGone) {
            EXPECT_EQ(lines.size(), kLines);
        }
    }
}

// ---- sourcetable --------------------------------------------------------------------------

/// Four streams around Zurich, in an order that is not their distance from it.
constexpr char kTable[] =
    "STR;FAR;Far Away;RTCM 3.2;1004(1);2;GPS+GLO;NET;DEU;52.50;13.40;1;0;sNTRIP;none;B;N;4800;\n"
    "STR;NEAR;Zurich Nord;RTCM 3.2;1004(1);2;GPS;NET;CHE;47.40;8.55;0;0;sNTRIP;none;B;N;4800;\n"
    "STR;MID;Bern;RTCM 3.1;1004(1);2;GPS;NET;CHE;46.95;7.44;0;0;sNTRIP;none;B;N;4800;\n"
    "STR;WEST;Geneva;RTCM 3.1;1004(1);2;GPS;NET;CHE;46.20;6.14;0;0;sNTRIP;none;B;N;4800;\n";

class CtlOnBoardWithCaster : public CtlOnSimulator {
  protected:
    void SetUp() override {
        sim::SimOptions options;
        options.startUtcSeconds = 1700000000;
        options.sourceTableText = kTable;
        sim_ = startSimulatorWith(options);
        ASSERT_TRUE(sim_) << "the simulator did not start";
    }
};

// Nearest first: from the place --near names, and from the board's own fix without it.
TEST_F(CtlOnBoardWithCaster, StationsNearestFirst) {
    const CtlResult near = runCtl({"--json", "sourcetable", "--near", "46.2,6.1"});
    ASSERT_EQ(near.status, ctl::kSuccess) << near.err;
    const std::vector<json> stations = jsonLines(near.out);
    std::vector<std::string> order;
    double previous = 0;
    for (const json& station : stations) {
        order.push_back(station.at("mountPoint"));
        const double km = station.at("distanceKm").get<double>();
        EXPECT_GE(km, previous) << station;
        previous = km;
    }
    EXPECT_EQ(order, (std::vector<std::string>{"WEST", "MID", "NEAR", "FAR"}));
    EXPECT_EQ(stations.at(1).at("identifier"), "Bern");
    EXPECT_NEAR(stations.at(1).at("distanceKm").get<double>(), 132, 2);

    const CtlResult own = runCtl({"sourcetable"});
    ASSERT_EQ(own.status, ctl::kSuccess) << own.err;
    const std::vector<std::string> lines = linesOf(own.out);
    ASSERT_EQ(lines.size(), 5u) << own.out;
    EXPECT_TRUE(lines[0].starts_with("mountpoint\t")) << lines[0];
    EXPECT_TRUE(lines[1].starts_with("NEAR\tZurich Nord\tRTCM 3.2\t")) << lines[1];
    EXPECT_TRUE(lines[4].starts_with("FAR\t")) << lines[4];
    // The board downloads the table it was asked for (its modem started first, or the download
    // fails) from the caster it holds, which is left as it was.
    const std::vector<std::string> log = sim_->commandLog();
    EXPECT_NE(std::find(log.begin(), log.end(), "$PQELS,NTR,LOD"), log.end());
    for (const std::string& command : log)
        EXPECT_FALSE(command.starts_with("$PQELS,NTR,PAR")) << command;
}

// A caster with no table for the board: one line naming the board's answer, no stations.
TEST_F(CtlOnSimulator, SourceTableThatDoesNotLoad) {
    const CtlResult result = runCtl({"sourcetable"});
    EXPECT_NE(result.status, ctl::kSuccess);
    EXPECT_NE(result.status, ctl::kNoReceiver);
    EXPECT_TRUE(result.out.empty()) << result.out;
    ASSERT_EQ(linesOf(result.err).size(), 1u) << result.err;
    EXPECT_NE(result.err.find("FAIL"), std::string::npos) << result.err;
}

// ---- numbers and the order of stations, without a line --------------------------------------

/// A receiver that always has a new position.
class StreamingReceiver : public FakeReceiver {
  public:
    uint32_t waitVector() override { return 1; }
    uint32_t isConnected() override { return 1; }
};

CtlResult runDirect(receiver::ReceiverInterface& receiver, bool json,
                    int (*run)(ctl::Context&, std::span<const std::string>),
                    const std::vector<std::string>& args) {
    static const std::atomic<bool> never{false};
    std::ostringstream out;
    std::ostringstream err;
    ctl::Context context{receiver, app::ReceiverKind::Board, json, out, err, never};
    CtlResult result;
    result.status = run(context, args);
    result.out = out.str();
    result.err = err.str();
    return result;
}

receiver::StationRecord station(const char* mountPoint, double latitude, double longitude) {
    receiver::StationRecord record;
    std::snprintf(record.mountPoint, sizeof record.mountPoint, "%s", mountPoint);
    std::snprintf(record.identifier, sizeof record.identifier, "%s", "Place, Region");
    record.latitude = latitude;
    record.longitude = longitude;
    return record;
}

// Under a locale whose decimal point is a comma, every number written and read is the one a
// script expects: "." in text, the same doubles back from JSON, and --near read alike.
TEST(CtlNumbers, CommaLocaleChangesNoNumber) {
    ScopedCommaLocale comma;
    ASSERT_TRUE(comma.active());
    StreamingReceiver receiver;
    receiver.position.latitude = -33.8688125;
    receiver.position.longitude = 151.2093;
    receiver.position.ellipsoidHeight = 58.125;
    receiver.position.fixType = 5;
    receiver.position.satellitesUsed = 9;
    receiver.position.correctionAge = 2;
    receiver.position.referenceStationId = 17;
    receiver.position.horizontalError = 0.0125f;
    receiver.position.verticalError = 0.25f;
    receiver.satellites.count = 1;
    receiver.satellites.entries[0] = {12, 45, 270, 44, 38, 1};

    const CtlResult text = runDirect(receiver, false, ctl::runStatus, {});
    ASSERT_EQ(text.status, ctl::kSuccess) << text.err;
    for (const char* line :
         {"latitude: -33.8688125 S", "longitude: 151.2093 E", "height: 58.125 m", "fix: fixed",
          "horizontal accuracy: 0.013 m", "vertical accuracy: 0.25 m", "correction age: 2 s",
          "reference station: 17"}) {
        EXPECT_NE(text.out.find(std::string(line) + "\n"), std::string::npos) << line << " in\n"
                                                                              << text.out;
    }
    EXPECT_EQ(text.out.find(','), std::string::npos) << text.out;

    const CtlResult jsonOut = runDirect(receiver, true, ctl::runStatus, {});
    const std::vector<json> lines = jsonLines(jsonOut.out);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].at("latitude").get<double>(), -33.8688125);
    EXPECT_EQ(lines[0].at("ellipsoidHeight").get<double>(), 58.125);

    receiver.sourceTable = {station("B", -33.0, 151.0), station("A", -33.9, 151.2)};
    const CtlResult table =
        runDirect(receiver, false, ctl::runSourceTable, {"--near", "-33.9,151.2"});
    ASSERT_EQ(table.status, ctl::kSuccess) << table.err;
    const std::vector<std::string> rows = linesOf(table.out);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1], "A\tPlace, Region\t-\t-\t-\t-33.9\t151.2\t0");
    EXPECT_TRUE(rows[2].starts_with("B\tPlace, Region\t-\t-\t-\t-33\t151\t10")) << rows[2];
}

// Which place the stations are sorted from: --near before the receiver's own fix, the fix
// before the caster's order; without either the distance is unknown.
TEST(CtlSourceTableOrder, FromTheBestPlaceKnown) {
    struct Row {
        const char* legend;
        std::vector<std::string> args;
        int32_t fixType;
        std::vector<std::string> order;
        bool distances;
    };
    const std::vector<Row> rows = {
        {"--near wins over the fix", {"--near=10,10"}, 1, {"TEN", "ZERO", "FAR"}, true},
        {"the receiver's fix", {}, 1, {"ZERO", "TEN", "FAR"}, true},
        {"no fix: the caster's order", {}, 0, {"FAR", "TEN", "ZERO"}, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        StreamingReceiver receiver;
        receiver.position.latitude = 0.5;
        receiver.position.longitude = 0.5;
        receiver.position.fixType = row.fixType;
        receiver.sourceTable = {station("FAR", 60, 60), station("TEN", 10, 10.5),
                                station("ZERO", 0, 0)};
        const CtlResult result = runDirect(receiver, true, ctl::runSourceTable, row.args);
        ASSERT_EQ(result.status, ctl::kSuccess) << result.err;
        std::vector<std::string> order;
        for (const json& line : jsonLines(result.out)) {
            order.push_back(line.at("mountPoint"));
            EXPECT_EQ(line.at("distanceKm").is_number(), row.distances) << line;
        }
        EXPECT_EQ(order, row.order);
    }
}

// A table that loads but lists no stream (the board's failure is above): one line, not success.
TEST(CtlSourceTableOrder, EmptyTableIsNoAnswer) {
    StreamingReceiver empty;
    const CtlResult none = runDirect(empty, true, ctl::runSourceTable, {});
    EXPECT_EQ(none.status, ctl::kNoAnswer);
    EXPECT_NE(none.err.find("no stream"), std::string::npos) << none.err;
    EXPECT_TRUE(none.out.empty());
}

}  // namespace
}  // namespace zentrix::test

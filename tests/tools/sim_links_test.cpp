// The board's correction links as the differential-mode pages drive them through the command
// layer: a GSM data call and how the far end answers it, direct IP and caster links that come up,
// go down or fail, and the radios that detection finds.
#include <optional>

#include "tests/tools/sim_e2e_support.h"

namespace zentrix::test {
namespace {

class SimLinksTest : public SimEndToEndTest {
  protected:
    /// "<IP mode> <state>" as the link page reads the modem.
    std::string modem() {
        uint32_t ip = 9, state = 9;
        return said(gnss_.queryModemModeAndState(ip, state), ip, state);
    }
    std::string mountPoint() {
        platform::WideString name;
        return said(gnss_.queryMountPoint(name), name);
    }
    /// Type, power, channel, air speed, sensitivity, protocol, spacing, modulation.
    std::string radioParameters(uint32_t port) {
        receiver::RadioSettings r;
        return said(gnss_.queryRadioParameters(port, r), r.radioType, r.power, r.channel, r.airBaud,
                    r.sensitivity, r.level, r.spacing, r.modulation);
    }
    std::string radioType(uint32_t port) {
        uint32_t type = 99;
        return said(gnss_.queryRadioType(port, type), type);
    }
    std::string channelTable(uint32_t port) {
        uint32_t count = 99;
        return said(gnss_.queryRadioTable(port, count), count);
    }
    /// The modem as the Internet links need it: initialised, in packet-data mode.
    void startIpModem() {
        ASSERT_EQ(gnss_.setModemIp(0), 1u);
        ASSERT_EQ(gnss_.startModem(), 1u);
        ASSERT_EQ(modem(), "1 3");
    }
};

struct DialRow {
    const char* name;
    std::optional<SimFault> fault;
    /// The modem states seen while polling once a second, repeats left out.
    const char* states;
    /// "<IP mode> <state>" after hanging up.
    const char* afterHangUp;
};

TEST_F(SimLinksTest, DialOutcomesFollowTheFarEnd) {
    quietLine();
    const std::vector<DialRow> rows = {
        {"answered", std::nullopt, "4 5", "0 3"},
        {"busy", SimFault::DialBusy, "4 2", "0 2"},  // the modem wants initialising again
        {"no carrier", SimFault::DialNoCarrier, "4 3", "0 3"},
        {"no answer", SimFault::DialNoAnswer, "4", "0 3"},
    };
    for (const DialRow& row : rows) {
        sim_->clearFaults();
        if (row.fault)
            sim_->setFault(*row.fault);
        // As the link page prepares a call.
        ASSERT_EQ(gnss_.setModemCsd(), 1u) << row.name;
        ASSERT_EQ(gnss_.startModem(), 1u) << row.name;
        ASSERT_EQ(gnss_.setModemDialParameters(u"4321", u"+41791234567"), 1u) << row.name;
        platform::WideString pin, number;
        ASSERT_EQ(gnss_.queryModemDialParameters(pin, number), 1u);
        EXPECT_EQ(shown(pin) + " " + shown(number), "4321 +41791234567") << row.name;

        ASSERT_EQ(gnss_.modemDial(), 1u) << row.name;
        std::string seen;
        uint32_t last = 99;
        for (int tick = 0; tick < 12; ++tick) {
            uint32_t state = 99;
            ASSERT_EQ(gnss_.queryModemState(state), 1u) << row.name;
            if (state != last)
                seen += (seen.empty() ? "" : " ") + std::to_string(state);
            last = state;
            platform::sleepMs(1000);
        }
        EXPECT_EQ(seen, row.states) << row.name;
        EXPECT_EQ(gnss_.modemHangUp(), 1u) << row.name;
        EXPECT_EQ(modem(), row.afterHangUp) << row.name << ": hanging up ends the call";
        EXPECT_FALSE(board().linkUp()) << row.name;
        EXPECT_EQ(board().modemPhone, "+41791234567");
    }

    // Hung up while it rang, a call does not come through later on its own.
    sim_->clearFaults();
    ASSERT_EQ(gnss_.modemDial(), 1u);
    ASSERT_EQ(gnss_.modemHangUp(), 1u);
    platform::sleepMs(6000);
    EXPECT_EQ(modem(), "0 3");
}

TEST_F(SimLinksTest, CasterAndDirectIpLinksHoldTheModemOnlineWhileUp) {
    quietLine();
    startIpModem();
    EXPECT_EQ(mountPoint(), "OFF") << "no stream asked for yet";

    ASSERT_EQ(gnss_.setNtripParameters(u"www.euref-ip.net", 2101, u"me", u"pw", 0), 1u);
    ASSERT_EQ(gnss_.connectMountPoint(u"WTZR00DEU0"), 1u);
    EXPECT_EQ(modem(), "1 5");
    EXPECT_EQ(mountPoint(), "WTZR00DEU0");
    EXPECT_TRUE(board().mountConnected);
    ASSERT_EQ(gnss_.disconnectMountPoint(), 1u);
    EXPECT_EQ(modem(), "1 3");
    EXPECT_EQ(mountPoint(), "OFF");
    EXPECT_FALSE(board().linkUp());

    ASSERT_EQ(gnss_.connectDirectIp(u"10.1.2.4", 9001), 1u);
    EXPECT_EQ(modem(), "1 5");
    EXPECT_EQ(mountPoint(), "OFF") << "a direct IP link is no stream";
    // One correction stream at a time: the caster's replaces the direct one and back.
    ASSERT_EQ(gnss_.connectMountPoint(u"WTZR00DEU0"), 1u);
    EXPECT_TRUE(board().mountConnected && !board().dipConnected);
    ASSERT_EQ(gnss_.connectDirectIp(u"10.1.2.4", 9001), 1u);
    EXPECT_TRUE(board().dipConnected && !board().mountConnected);
    EXPECT_EQ(mountPoint(), "OFF");
    ASSERT_EQ(gnss_.disconnectDirectIp(), 1u);
    EXPECT_EQ(modem(), "1 3");
    EXPECT_FALSE(board().linkUp());

    // Hanging up the modem takes an Internet link down as well.
    ASSERT_EQ(gnss_.connectDirectIp(u"10.1.2.4", 9001), 1u);
    ASSERT_EQ(gnss_.modemHangUp(), 1u);
    EXPECT_EQ(modem(), "1 3");
    EXPECT_FALSE(board().linkUp());
}

struct FailedConnectRow {
    const char* name;
    std::function<void(sim::Simulator&, GnssReceiver&)> prepare;
    std::function<uint32_t(GnssReceiver&)> connect;
};

TEST_F(SimLinksTest, AFailedConnectLeavesNoLinkUp) {
    quietLine();
    using G = GnssReceiver;
    const auto none = [](sim::Simulator&, G&) {};
    const auto caster = [](const char16_t* host) {
        return [host](sim::Simulator&, G& g) {
            ASSERT_EQ(g.setNtripParameters(host, 2101, u"", u"", 0), 1u);
        };
    };
    const auto refuse = [](sim::Simulator& s, G&) { s.setFault(SimFault::RefuseLinks); };
    const std::vector<FailedConnectRow> rows = {
        {"direct IP to a name that never resolves", none,
         [](G& g) { return g.connectDirectIp(u"base.invalid", 9000); }},
        {"direct IP to a host the board cannot reach",
         [](sim::Simulator& s, G&) {
             s.withBoard([](sim::SurveyBoard& b) { b.state().unreachableHosts = {"10.9.9.9"}; });
         },
         [](G& g) { return g.connectDirectIp(u"10.9.9.9", 9000); }},
        {"direct IP refused", refuse, [](G& g) { return g.connectDirectIp(u"10.1.2.4", 9001); }},
        {"direct IP in CSD mode", [](sim::Simulator&, G& g) { ASSERT_EQ(g.setModemCsd(), 1u); },
         [](G& g) { return g.connectDirectIp(u"10.1.2.4", 9001); }},
        {"caster that never resolves", caster(u"caster.invalid"),
         [](G& g) { return g.connectMountPoint(u"WTZR00DEU0"); }},
        {"caster refuses", refuse, [](G& g) { return g.connectMountPoint(u"WTZR00DEU0"); }},
        {"stream not in the caster's table", none,
         [](G& g) { return g.connectMountPoint(u"NOSUCHMOUNT"); }},
    };
    for (const FailedConnectRow& row : rows) {
        sim_->clearFaults();
        sim_->withBoard([](sim::SurveyBoard& b) { b.state().unreachableHosts.clear(); });
        ASSERT_EQ(gnss_.setNtripParameters(u"www.euref-ip.net", 2101, u"", u"", 0), 1u);
        startIpModem();
        row.prepare(*sim_, gnss_);
        EXPECT_EQ(row.connect(gnss_), 0u) << row.name;
        EXPECT_FALSE(board().linkUp()) << row.name;
        uint32_t state = 9;
        ASSERT_EQ(gnss_.queryModemState(state), 1u);
        EXPECT_EQ(state, 3u) << row.name;
        EXPECT_EQ(mountPoint(), "OFF") << row.name;
        // Nothing comes up later behind the program's back either.
        platform::sleepMs(4000);
        EXPECT_FALSE(board().linkUp()) << row.name;
    }
}

TEST_F(SimLinksTest, ABoardThatRetriesRefusedLinksStopsOnlyWhenToldOff) {
    quietLine();
    sim_->withBoard([](sim::SurveyBoard& b) { b.state().retriesRefusedLinks = true; });
    startIpModem();
    struct Link {
        const char* name;
        std::function<uint32_t(GnssReceiver&)> connect, disconnect;
        std::function<bool(const sim::BoardState&)> up;
    };
    const std::vector<Link> links = {
        {"direct IP", [](GnssReceiver& g) { return g.connectDirectIp(u"10.1.2.4", 9001); },
         [](GnssReceiver& g) { return g.disconnectDirectIp(); },
         [](const sim::BoardState& s) { return s.dipConnected; }},
        {"caster", [](GnssReceiver& g) { return g.connectMountPoint(u"WTZR00DEU0"); },
         [](GnssReceiver& g) { return g.disconnectMountPoint(); },
         [](const sim::BoardState& s) { return s.mountConnected; }},
    };
    for (const Link& link : links) {
        // Refused and left alone: once the far end answers, the link comes up unasked.
        sim_->setFault(SimFault::RefuseLinks);
        ASSERT_EQ(link.connect(gnss_), 0u) << link.name;
        EXPECT_EQ(mountPoint(), "OFF") << link.name;
        sim_->clearFaults();
        platform::sleepMs(12000);
        EXPECT_TRUE(link.up(board())) << link.name;
        EXPECT_EQ(modem(), "1 5") << link.name;
        ASSERT_EQ(link.disconnect(gnss_), 1u);
        EXPECT_EQ(modem(), "1 3") << link.name;

        // Refused, then told off: it stays down.
        sim_->setFault(SimFault::RefuseLinks);
        ASSERT_EQ(link.connect(gnss_), 0u) << link.name;
        ASSERT_EQ(link.disconnect(gnss_), 1u);
        sim_->clearFaults();
        platform::sleepMs(12000);
        EXPECT_FALSE(board().linkUp()) << link.name;
    }
}

TEST_F(SimLinksTest, RadioOnPortDIsFoundAgainAfterItsTypeIsCleared) {
    quietLine();
    EXPECT_EQ(radioType(3), "0");
    ASSERT_EQ(gnss_.radioOn(), 1u);
    ASSERT_EQ(gnss_.clearRadioTypeD(), 1u);
    EXPECT_EQ(radioType(3), "9");
    EXPECT_EQ(radioParameters(3).substr(0, 3), "9 0");
    platform::sleepMs(7000);  // the type page's pause
    EXPECT_EQ(radioParameters(3).substr(0, 3), "0 0");
    EXPECT_EQ(radioType(3), "0");

    // A radio that is switched off does not answer detection; nor does a port without one.
    ASSERT_EQ(gnss_.radioOff(), 1u);
    ASSERT_EQ(gnss_.clearRadioTypeD(), 1u);
    platform::sleepMs(7000);
    EXPECT_EQ(radioType(3), "9");
    ASSERT_EQ(gnss_.radioOn(), 1u);
    sim_->withBoard([](sim::SurveyBoard& b) { b.removeRadio('D'); });
    ASSERT_EQ(gnss_.clearRadioTypeD(), 1u);
    platform::sleepMs(7000);
    EXPECT_EQ(radioType(3), "9");

    // Another model wired there is what detection then reports, with its table.
    sim_->withBoard([](sim::SurveyBoard& b) { b.fitRadio('D', {"ADL", true, 0}); });
    EXPECT_EQ(radioType(3), "1");
    ASSERT_EQ(gnss_.clearRadioTypeD(), 1u);
    platform::sleepMs(7000);
    EXPECT_EQ(radioType(3), "1");
    EXPECT_EQ(channelTable(3), "32");
}

TEST_F(SimLinksTest, RadioThatCannotTellItsModelReadsNoneWhilePowered) {
    quietLine();
    sim_->withBoard([](sim::SurveyBoard& b) { b.fitRadio('B', {"LFE", /*tellsModel=*/false, 0}); });
    ASSERT_EQ(gnss_.radioOn(), 1u);
    EXPECT_EQ(radioType(1), "8");
    EXPECT_EQ(radioParameters(1).substr(0, 3), "8 0") << "NONE, yet powered";
    ASSERT_EQ(gnss_.radioOff(), 1u);
    EXPECT_EQ(radioParameters(1).substr(0, 3), "8 1");
    // A port with nothing wired and no type reads off whatever the switch says.
    ASSERT_EQ(gnss_.radioOn(), 1u);
    EXPECT_EQ(radioParameters(0).substr(0, 3), "8 1");
    // The switch shows in the fitted radio's parameters on port D too.
    EXPECT_EQ(radioParameters(3).substr(0, 3), "0 0");
    ASSERT_EQ(gnss_.radioOff(), 1u);
    EXPECT_EQ(radioParameters(3).substr(0, 3), "0 1");
}

TEST_F(SimLinksTest, RadioSettingsAreKeptPerPortAndReadBack) {
    quietLine();
    // Out of the box: PDL on D at 9600 baud over the air, GMSK with 25 kHz spacing.
    EXPECT_EQ(radioParameters(3), "0 1 1 3 1 1 1 1");
    EXPECT_EQ(channelTable(3), "16");

    // Transparent (protocol 0) at 4800, channel 7, low sensitivity.
    ASSERT_EQ(gnss_.setRadioParameters(3, 0, 0, 7, 0, 0, 0), 1u);
    EXPECT_EQ(radioParameters(3), "0 1 7 0 0 0 1 1");
    EXPECT_EQ(board().radios.at('D').protocol, 0);
    ASSERT_EQ(gnss_.setRadioParameters(3, 0, 3, 15, 2, 2, 1), 1u);
    EXPECT_EQ(radioParameters(3), "0 1 15 3 2 2 1 1");
    EXPECT_EQ(board().radios.at('D').control, "MAN");

    // Each port holds its own type; tables follow the type's usual count.
    ASSERT_EQ(gnss_.setRadioType(1, 2), 1u);  // XDL on B
    EXPECT_EQ(radioType(1), "2");
    EXPECT_EQ(radioType(3), "0");
    EXPECT_EQ(channelTable(1), "32");
    ASSERT_EQ(gnss_.setRadioType(1, 6), 1u);  // LFA
    EXPECT_EQ(channelTable(1), "50");
    ASSERT_EQ(gnss_.setRadioType(1, 5), 1u);  // LFE
    EXPECT_EQ(channelTable(1), "3");
    // ADL numbers its channels from 1; the short form carries the channel alone.
    ASSERT_EQ(gnss_.setRadioParameters(1, 1, 3, 32, 1, 0, 0), 1u);
    EXPECT_EQ(radioParameters(1).substr(0, 7), "1 1 32 ");
    ASSERT_EQ(gnss_.setRadioParameters(1, 5, 0, 2, 0, 0, 0), 1u);
    EXPECT_EQ(radioType(1), "5");
    EXPECT_EQ(board().radios.at('B').channel, 2);

    // A radio with a table of its own reports that count.
    sim_->withBoard([](sim::SurveyBoard& b) { b.fitRadio('D', {"PDL", true, 8}); });
    EXPECT_EQ(channelTable(3), "8");
}

TEST_F(SimLinksTest, LinkPageSettingsReadBack) {
    quietLine();
    std::string name = "x";
    uint8_t flag = 9;
    ASSERT_EQ(gnss_.setReferenceReceiver("NOVATEL", true), 1u);
    ASSERT_EQ(gnss_.queryReferenceReceiver(name, flag), 1u);
    EXPECT_EQ(name + " " + shown(flag), "NOVATEL 1");
    // "Automatic": no brand, flag clear.
    ASSERT_EQ(gnss_.setReferenceReceiver("", false), 1u);
    ASSERT_EQ(gnss_.queryReferenceReceiver(name, flag), 1u);
    EXPECT_EQ(name + " " + shown(flag), " 0");

    ASSERT_EQ(gnss_.setDifferentialMode(0), 1u);
    ASSERT_EQ(gnss_.setDifferentialMode(1), 1u);
    EXPECT_EQ(board().differentialMode, "ROV");
    ASSERT_EQ(gnss_.setBridge(true), 1u);
    int32_t on = 9;
    ASSERT_EQ(gnss_.queryBridge(on), 1u);
    EXPECT_EQ(on, 1);
    ASSERT_EQ(gnss_.setPortBaud(1, 7, 0), 1u);
    ASSERT_EQ(gnss_.setPortBaud(3, 4, 0), 1u);
    uint32_t a = 9, b = 9, d = 9;
    ASSERT_EQ(gnss_.queryPortBaud(1, b), 1u);
    ASSERT_EQ(gnss_.queryPortBaud(3, d), 1u);
    EXPECT_EQ(shown(b) + " " + shown(d), "7 4");
    sim_->withBoard([](sim::SurveyBoard& board) { board.state().portOn['C'] = false; });
    ASSERT_EQ(gnss_.setBluetoothPort(u"COM9"), 1u);
    EXPECT_EQ(board().bluetoothPort, "COM9");
    EXPECT_TRUE(board().portOn.at('C'));

    // An external receiver reached on port C leaves port A's rate to the corrections' device.
    sim_->withBoard([](sim::SurveyBoard& board) { board.wireHandheldTo('C'); });
    uint32_t port = 9, baud = 9;
    ASSERT_EQ(gnss_.queryReceiverPort(port, baud), 1u);
    EXPECT_EQ(shown(port) + " " + shown(baud), "2 8");
    ASSERT_EQ(gnss_.setPortBaud(0, 5, 0), 1u);
    ASSERT_EQ(gnss_.queryPortBaud(0, a), 1u) << "the line still carries";
    EXPECT_EQ(a, 5u);
}

TEST_F(SimLinksTest, RepliesBackToBackInOneWriteAllParse) {
    quietLine();
    startIpModem();
    ASSERT_EQ(gnss_.connectMountPoint(u"WTZR00DEU0"), 1u);
    auto& replies = gnss_.reader().replies();
    replies.mdmReceived = replies.mountPointReceived = replies.ntripParametersReceived = 0;
    replies.dipReceived = replies.rdpReceived = replies.prtReceived = replies.bthReceived = 0;
    // Every query of the differential pages in one write; the radio parameters last, so that
    // the radio group they share ends with them.
    const std::string burst =
        "$PQELQ,MDM\r\n$PQELQ,NTR,MTP\r\n$PQELQ,NTR\r\n$PQELQ,DIP\r\n$PQELQ,RCP,REF\r\n"
        "$PQELQ,BRD\r\n$PQELQ,PRT,B\r\n$PQELQ,BTH\r\n$PQELQ,RDP,TYP,D\r\n$PQELQ,RDP,CHT,D\r\n"
        "$PQELQ,RDP,PAR,D\r\n";
    uint32_t written = 0;
    ASSERT_TRUE(
        gnss_.serialPort().write(burst.data(), static_cast<uint32_t>(burst.size()), &written));
    ASSERT_EQ(written, burst.size());
    for (int i = 0; i < 100 && !(replies.rdpReceived && replies.mdmReceived); ++i)
        platform::sleepMs(100);
    platform::sleepMs(500);
    // (Each NTR reply clears the flags of the other NTR replies, so the mount point's is gone.)
    EXPECT_TRUE(replies.mdmReceived && replies.ntripParametersReceived && replies.dipReceived &&
                replies.prtReceived && replies.bthReceived && replies.rdpReceived);
    EXPECT_EQ(replies.getModem().state, 5u);
    EXPECT_EQ(shown(replies.getMountPoint()), "WTZR00DEU0");
    EXPECT_EQ(shown(replies.getNtripParameters().address), "euref-ip.net");
    EXPECT_EQ(replies.getRadio().radioType, 0u);
    EXPECT_EQ(replies.getRadio().tableNumber, 16u);
    EXPECT_EQ(replies.getRadio().modulation, 1u);
}

}  // namespace
}  // namespace zentrix::test

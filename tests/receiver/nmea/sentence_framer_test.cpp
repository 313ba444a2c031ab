#include "receiver/nmea/sentence_framer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/nmea.h"

namespace zentrix::receiver {
namespace {

using test::withChecksum;

struct Framed {
    SentenceType type;
    std::string text;
    bool operator==(const Framed&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Framed& f) {
    return os << nameOf(f.type) << " \"" << f.text << "\"";
}

// Feeds `bytes` one at a time; a '~' in `bytes` stands for a read time-out (a second of silence).
std::vector<Framed> frame(const std::string& bytes, SentenceFramer& framer) {
    std::vector<Framed> out;
    for (const char c : bytes) {
        const bool complete = c == '~' ? framer.idle()
                                       : framer.feed(static_cast<uint8_t>(c)) ==
                                             SentenceFramer::Feed::Complete;
        if (!complete) continue;
        const Sentence s = framer.sentence();
        EXPECT_EQ(s.text[s.length], '\0') << "a zero byte follows every sentence";
        out.push_back({framer.type(), std::string(s.text, s.length)});
        framer.scrub();
    }
    return out;
}

std::vector<Framed> frame(const std::string& bytes) {
    SentenceFramer framer;
    return frame(bytes, framer);
}

TEST(SentenceFramer, TableOfStreams) {
    using enum SentenceType;
    const std::string gga = withChecksum("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,");
    const std::string ack = "$PQELR,ACK*3B\r\n";
    const std::string version =
        "RECEIVER VERSION: 4.2\r\nSYS fw: 1.05\r\nGNSS fw: 3.11b\r\nBUILD 7\r\n";
    const std::string table = "$PQELR,NTR,TBL\r\nSOURCETABLE 200 OK\r\nSTR;A;B\r\nENDSOURCETABLE\r\n";

    struct Row {
        const char* legend;
        std::string bytes;
        std::vector<Framed> expected;
    };
    const std::vector<Row> rows = {
        {"GP GGA", gga, {{Gga, gga}}},
        {"noise around a sentence", "xx\r\n" + gga + "junk", {{Gga, gga}}},
        {"double dollar", "$" + gga, {{Gga, gga}}},
        {"restart at a dollar mid-sentence", "$GPGSV,3,1,1" + ack, {{Ack, ack}}},
        {"no carriage return before the next dollar", "$PQELR,NAK\n" + ack, {{Ack, ack}}},
        {"carriage return without line feed", "$PQELR,NAK\rX\n" + ack, {{Ack, ack}}},
        {"GN GSV is framed but not listed", "$GNGSV,1,1,00*68\r\n", {{Unknown, "$GNGSV,1,1,00*68\r\n"}}},
        {"talker BD never gets a header", "$BDGSV,1,1,00*68\r\n", {}},
        {"talker GL GSA", "$GLGSA,A,3,65*00\r\n", {{Gsa, "$GLGSA,A,3,65*00\r\n"}}},
        {"file, current", "$PQELR,FIL,CUR,a.dat\r\n", {{FilCur, "$PQELR,FIL,CUR,a.dat\r\n"}}},
        {"file, path", "$PQELR,FIL,PTH,/x\r\n", {{FilPth, "$PQELR,FIL,PTH,/x\r\n"}}},
        {"file, anything else", "$PQELR,FIL,XYZ,1\r\n", {{Unknown, "$PQELR,FIL,XYZ,1\r\n"}}},
        {"file, too short to refine", "$PQELR,FIL\r\n", {{Unknown, "$PQELR,FIL\r\n"}}},
        {"reference receiver", "$PQELR,RCP,REF,BASE,1\r\n", {{RcpRef, "$PQELR,RCP,REF,BASE,1\r\n"}}},
        {"other RCP", "$PQELR,RCP,XYZ\r\n", {{Rcp, "$PQELR,RCP,XYZ\r\n"}}},
        {"antenna matched on ten characters", "$PQELR,ANP,OWN,X\r\n", {{Anp, "$PQELR,ANP,OWN,X\r\n"}}},
        {"version block", version, {{Version, version}}},
        {"text that is no block", "RANDOM TEXT LINE\r\n" + ack, {{Ack, ack}}},
        {"dollar inside a block restarts", "RECEIVER VERSION: 1\r\n" + ack, {{Ack, ack}}},
        {"source table to ENDSOURCETABLE", table, {{Ntr, table}}},
        {"source table ended by silence", "$PQELR,NTR,TBL\r\nSOURCETABLE 200 OK\r\nSTR;A\r\n~",
         {{Ntr, "$PQELR,NTR,TBL\r\nSOURCETABLE 200 OK\r\nSTR;A\r\n"}}},
        {"silence outside a source table", "$PQELR,NTR,OK~\r\n", {{Ntr, "$PQELR,NTR,OK\r\n"}}},
        {"NTR that is not a table", "$PQELR,NTR,MTP,VRS\r\n", {{Ntr, "$PQELR,NTR,MTP,VRS\r\n"}}},
    };
    for (const auto& row : rows) EXPECT_EQ(frame(row.bytes), row.expected) << row.legend;
}

TEST(SentenceFramer, ReportsActivityForEveryStart) {
    SentenceFramer framer;
    int activity = 0;
    for (const char c : std::string("$GPGGA,1\r\n$PQELR,ACK\r\n$X$B")) {
        if (framer.feed(static_cast<uint8_t>(c)) == SentenceFramer::Feed::Activity) ++activity;
    }
    EXPECT_EQ(activity, 2);
}

TEST(SentenceFramer, OverlongSentencesAreDroppedAndWhatFollowsIsFramed) {
    const std::string ack = "$PQELR,ACK*3B\r\n";
    SentenceFramer framer(256);
    // 255 bytes with the zero fit exactly; one byte more does not.
    const std::string fits = "$PQELR,ACK," + std::string(255 - 11 - 2, 'x') + "\r\n";
    ASSERT_EQ(fits.size(), 255u);
    EXPECT_EQ(frame(fits, framer).size(), 1u);
    const std::string tooLong = "$PQELR,ACK," + std::string(255 - 11 - 1, 'x') + "\r\n";
    EXPECT_TRUE(frame(tooLong, framer).empty());
    EXPECT_EQ(frame(ack, framer), (std::vector<Framed>{{SentenceType::Ack, ack}}));

    // A source table that outgrows the buffer is dropped too.
    std::string table = "$PQELR,NTR,TBL\r\n";
    for (int i = 0; i < 40; ++i) table += "STR;MOUNT;X\r\n";
    table += "ENDSOURCETABLE\r\n";
    EXPECT_TRUE(frame(table, framer).empty());
    EXPECT_EQ(frame(ack, framer).size(), 1u);
}

TEST(SentenceFramer, LongSourceTableLinesAreKeptWhole) {
    // The line buffer that looks for ENDSOURCETABLE holds 1023 bytes; the sentence keeps all.
    const std::string longLine(5000, 'L');
    const std::string table =
        "$PQELR,NTR,TBL\r\n" + longLine + "\r\nENDSOURCETABLE\r\n";
    const auto framed = frame(table);
    ASSERT_EQ(framed.size(), 1u);
    EXPECT_EQ(framed[0].text, table);
    // An END marker at the end of an over-long line is not seen: silence ends the table.
    const std::string hidden = "$PQELR,NTR,TBL\r\n" + std::string(1020, 'x') + "ENDSOURCETABLE\r\n~";
    const auto ended = frame(hidden);
    ASSERT_EQ(ended.size(), 1u);
    EXPECT_EQ(ended[0].text, hidden.substr(0, hidden.size() - 1));
}

TEST(SentenceFramer, SurvivesHostileStreams) {
    SentenceFramer framer(4096);
    std::string storm(10000, '$');
    storm += std::string(40000, 'A');   // 40 KB without a line end
    storm += std::string(3000, '\0');
    storm += "RECEIVER VERSION" + std::string(9000, 'v');
    uint32_t seed = 12345;
    for (int i = 0; i < 200000; ++i) {
        seed = seed * 1103515245 + 12345;
        storm += static_cast<char>(seed >> 16);
    }
    frame(storm, framer);  // whatever it makes of that, it must not overrun
    const std::string ack = "$PQELR,ACK*3B\r\n";
    const auto after = frame(ack, framer);
    ASSERT_EQ(after.size(), 1u);
    EXPECT_EQ(after[0].text, ack);
}

}  // namespace
}  // namespace zentrix::receiver

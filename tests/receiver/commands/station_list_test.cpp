#include "receiver/commands/station_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/testdata.h"

namespace zentrix::receiver {
namespace {

// A caster's table as the receiver stores it: the last letter of its reply header and the line
// end first, then the table. A file saved without the caster's status line gets one, as the
// caster sends it.
std::string asRelayed(std::string table) {
    if (table.find("SOURCETABLE") == std::string::npos ||
        table.find("SOURCETABLE") != table.find("SOURCETABLE 200"))
        table = "SOURCETABLE 200 OK\r\n" + table;
    return "L\r\n" + table;
}

std::vector<std::string> mountPoints(const StationList& list) {
    std::vector<std::string> names;
    for (int32_t i = 0; i < list.size(); ++i) names.emplace_back(fieldText(list.at(i)->mountPoint));
    return names;
}

// The STR lines of a table file up to its end line, in order: what the parser must find.
std::vector<std::string> streamLinesOf(const std::string& text) {
    std::vector<std::string> names;
    size_t at = 0;
    while (at < text.size()) {
        const size_t end = std::min(text.find('\n', at), text.size());
        const std::string line = text.substr(at, end - at);
        at = end + 1;
        if (line.starts_with("ENDSOURCETABLE"))
            break;
        if (line.starts_with("STR;"))
            names.push_back(line.substr(4, line.find(';', 4) - 4));
    }
    return names;
}

TEST(SourceTable, RealTablesGiveEveryStreamInCasterOrder) {
    struct Row {
        const char* file;
        size_t streams;
    };
    const Row rows[] = {
        {"ntrip/gpsd-sapos-advcaster-2017.log", 4},
        {"ntrip/euref-ip.sourcetable.txt", 221},
        {"ntrip/sapos-ni-gnsmart.sourcetable.txt", 3},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file);
        const std::string text = test::readFile(test::testdataPath(row.file));
        ASSERT_FALSE(text.empty());
        StationList list;
        parseSourceTable(asRelayed(text), list);
        EXPECT_EQ(static_cast<size_t>(list.size()), row.streams);
        EXPECT_EQ(mountPoints(list), streamLinesOf(text));
    }
}

TEST(SourceTable, FieldsOfRealStreams) {
    StationList list;
    parseSourceTable(
        asRelayed(test::readFile(test::testdataPath("ntrip/euref-ip.sourcetable.txt"))), list);
    const StationRecord* first = list.at(0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(fieldText(first->mountPoint), "AGRN00ITA0");
    EXPECT_EQ(fieldText(first->identifier), "Agrigento");
    EXPECT_EQ(fieldText(first->format), "RTCM 3.3");
    // 101 characters in the table: the last is cut.
    EXPECT_EQ(fieldText(first->formatDetails),
              "1006(60),1008(52),1013(60),1019,1020,1033(52),1042,1045,1046,1077(1),1087(1),"
              "1097(1),1127(1),1230(52");
    EXPECT_EQ(first->carrier, 2);
    EXPECT_EQ(fieldText(first->navSystem), "GPS+GLO+GAL+BDS");
    EXPECT_EQ(fieldText(first->network), "EUREF");
    EXPECT_EQ(fieldText(first->country), "ITA");
    EXPECT_DOUBLE_EQ(first->latitude, 37.30);
    EXPECT_DOUBLE_EQ(first->longitude, 13.60);
    EXPECT_EQ(first->nmea, 0);
    EXPECT_EQ(first->solution, 0);
    EXPECT_EQ(fieldText(first->generator), "LEICA GR30");
    EXPECT_EQ(fieldText(first->compression), "none");
    EXPECT_EQ(fieldText(first->authentication), "B");
    EXPECT_EQ(fieldText(first->fee), "N");
    EXPECT_EQ(first->bitrate, 9600);
    EXPECT_EQ(first->distance, 0);

    bool sawComma = false, sawEmptyCompression = false;
    for (int32_t i = 0; i < list.size(); ++i) {
        const StationRecord& r = *list.at(i);
        if (fieldText(r.mountPoint) == "BSVZ00ITA0") {
            sawComma = true;
            EXPECT_EQ(fieldText(r.identifier), "Basovizza, Trieste");
        }
        if (fieldText(r.mountPoint) == "DLF100NLD0") {
            sawEmptyCompression = true;
            EXPECT_EQ(fieldText(r.compression), "");
            EXPECT_EQ(fieldText(r.authentication), "B");
            EXPECT_EQ(r.bitrate, 19800);
        }
    }
    EXPECT_TRUE(sawComma);
    EXPECT_TRUE(sawEmptyCompression);
    EXPECT_EQ(fieldText(list.at(list.size())->mountPoint), "ZZON00HUN0");

    parseSourceTable(
        asRelayed(test::readFile(test::testdataPath("ntrip/gpsd-sapos-advcaster-2017.log"))), list);
    ASSERT_EQ(list.size(), 4);
    EXPECT_EQ(fieldText(list.at(0)->format), "RTCM3.1");
    EXPECT_EQ(fieldText(list.at(0)->formatDetails).substr(0, 19), "1004(1), 1005/1006,");
    EXPECT_EQ(fieldText(list.at(0)->fee), "Y");
}

TEST(SourceTable, WhereTheTableBeginsAndEnds) {
    struct Row {
        const char* legend;
        std::string text;
        std::vector<std::string> streams;
    };
    const Row rows[] = {
        {"casters and streams",
         "L\r\nSOURCETABLE 200 OK\r\nCAS;a\r\nCAS;b\r\nSTR;S1;\r\nSTR;S2;\r\nNET;n\r\nSTR;S3;\r\n"
         "ENDSOURCETABLE\r\n",
         {"S1", "S2", "S3"}},
        {"a stream before the table", "STR;EARLY;\r\nSOURCETABLE 200 OK\r\nSTR;S1;\r\n", {"S1"}},
        {"the end line counts at its 14th letter",
         "SOURCETABLE\nSTR;S1;\nENDSOURCETABLEXYZ\nSTR;S2;\n",
         {"S1"}},
        {"a shorter end does not end it", "SOURCETABLE\nENDSOURCE\nSTR;S1;\n", {"S1"}},
        {"streams after the end wait for the next table",
         "SOURCETABLE\nSTR;S1;\nENDSOURCETABLE\nSTR;LATE;\nSOURCETABLE 200 OK\nSTR;S2;\n",
         {"S1", "S2"}},
        {"no line end after the last stream", "SOURCETABLE\nSTR;S1;\nSTR;CUT;", {"S1"}},
        {"only LF line ends", "SOURCETABLE 200 OK\nSTR;S1;x\nENDSOURCETABLE\n", {"S1"}},
        {"a header that only begins like the word", "SOURCETABL\nSTR;S1;\n", {}},
        {"lower case types are other lines", "SOURCETABLE\nstr;S1;\nSTR;S2\n", {"S2"}},
        {"nothing after the type", "SOURCETABLE\nSTR\nSTR;\n", {"", ""}},
        {"a zero byte ends the stored text",
         std::string("SOURCETABLE\nSTR;S1;\n\0STR;S2;\n", 29),
         {"S1"}},
        {"empty", "", {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        StationList list;
        parseSourceTable(row.text, list);
        EXPECT_EQ(mountPoints(list), row.streams);
    }
}

TEST(SourceTable, FieldsAreCutAndNumbersThatAreNotNumbersAreZero) {
    const std::string longText(150, 'M');
    const std::string line = "STR;" + longText + ";" + longText + ";RTCM;d;x2;GPS;" + longText +
                             ";GERMANY;north;-13.5e1;1;nan;" + longText + ";" + longText +
                             ";Basic;No;99999999999;misc;more\r\n";
    StationList list;
    parseSourceTable("SOURCETABLE 200 OK\r\n" + line + "STR;SHORT;id;fmt\r\n", list);
    ASSERT_EQ(list.size(), 2);
    const StationRecord& r = *list.at(0);
    EXPECT_EQ(fieldText(r.mountPoint), longText.substr(0, 100));
    EXPECT_EQ(fieldText(r.identifier), longText.substr(0, 100));
    EXPECT_EQ(r.carrier, 0);
    EXPECT_EQ(fieldText(r.network), longText.substr(0, 100));
    EXPECT_EQ(fieldText(r.country), "GERMA");
    EXPECT_EQ(r.latitude, 0);
    EXPECT_EQ(r.longitude, -135.0);
    EXPECT_EQ(r.solution, 0);
    EXPECT_EQ(fieldText(r.generator), longText.substr(0, 100));
    EXPECT_EQ(fieldText(r.authentication), "Ba");
    EXPECT_EQ(fieldText(r.fee), "No");
    EXPECT_EQ(r.bitrate, 2147483647) << "held to the 32-bit range";

    const StationRecord& s = *list.at(1);
    EXPECT_EQ(fieldText(s.mountPoint), "SHORT");
    EXPECT_EQ(fieldText(s.format), "fmt");
    EXPECT_EQ(fieldText(s.formatDetails), "");
    EXPECT_EQ(s.latitude, 0);
    EXPECT_EQ(s.bitrate, 0);

    // A line longer than the line buffer keeps its first 1023 characters.
    const std::string huge = "STR;" + std::string(2000, 'A') + "\r\n";
    parseSourceTable("SOURCETABLE\r\n" + huge + "STR;NEXT;\r\n", list);
    ASSERT_EQ(list.size(), 2);
    EXPECT_EQ(fieldText(list.at(0)->mountPoint), std::string(100, 'A'));
    EXPECT_EQ(fieldText(list.at(1)->mountPoint), "NEXT");
}

TEST(StationList, AtClampsAndGrowthKeepsTheRecords) {
    StationList list;
    EXPECT_EQ(list.at(0), nullptr);
    EXPECT_EQ(list.at(-1), nullptr);
    StationRecord out;
    out.carrier = 77;
    EXPECT_EQ(list.copyAt(0, out), 0u);
    EXPECT_EQ(out.carrier, 77);

    for (int32_t i = 0; i < 100; ++i) {
        StationRecord r;
        r.carrier = i;
        std::snprintf(r.mountPoint, sizeof r.mountPoint, "MP%d", i);
        list.append(r);
    }
    EXPECT_EQ(list.capacity(), 100);
    const StationRecord* before = list.at(0);
    StationRecord r101;
    r101.carrier = 100;
    list.append(r101);
    EXPECT_EQ(list.size(), 101);
    EXPECT_GT(list.capacity(), 100);
    EXPECT_NE(list.at(0), before) << "moved to larger storage";
    for (int32_t i = 0; i < 101; ++i) EXPECT_EQ(list.at(i)->carrier, i);
    EXPECT_EQ(fieldText(list.at(99)->mountPoint), "MP99");

    EXPECT_EQ(list.at(-1)->carrier, 0);
    EXPECT_EQ(list.at(101)->carrier, 100);
    EXPECT_EQ(list.at(1000000)->carrier, 100);
    EXPECT_EQ(list.copyAt(50, out), 1u);
    EXPECT_EQ(out.carrier, 50);

    list.clear();
    EXPECT_EQ(list.size(), 0);
    EXPECT_EQ(list.at(0), nullptr);
    EXPECT_GT(list.capacity(), 100) << "the storage stays";
}

}  // namespace
}  // namespace zentrix::receiver

// The serial port sheet: which entries the caller's port name and baud index pick, and what OK
// hands back (an empty name or -1 when nothing is chosen, so that the caller sends nothing).
#include "ui/diff/port_settings_sheet.h"

#include <gtest/gtest.h>

#include "framework/controls.h"
#include "framework/test_kit.h"
#include "resources/resource_ids.h"
#include "tests/support/fake_receiver.h"

namespace zentrix::ui {
namespace {

using framework::CComboBox;
using framework::PSBTN_OK;
using framework::ScopedTestKit;

class PortSheetTest : public ::testing::Test {
  protected:
    CComboBox* combo(COtherConfigSheet& sheet, unsigned id) {
        return dynamic_cast<CComboBox*>(kit_.control(sheet, id));
    }

    ScopedTestKit kit_;
    test::FakeReceiver receiver_;
};

TEST_F(PortSheetTest, CallersPortNamePicksTheEntryOfThatWholeName) {
    struct Row {
        const char16_t* portName;
        int baudIndex;
        int portShown;  ///< entry index, -1 for none
        int baudShown;
        const char16_t* portAfterOk;
        int baudAfterOk;
    };
    const Row rows[] = {
        {u"COM5", 0, 1, 0, u"COM5", 0},       // the defaults: "COM5 (Cable)", "300"
        {u"COM7", 9, 2, 9, u"COM7", 9},       // "COM7 (Bluetooth)", "115200"
        {u"com9", 3, 3, 3, u"COM9", 3},       // the list ignores case
        {u"COM2", 5, -1, 5, u"", 5},          // not in the list: nothing chosen, nothing sent
        {u"COM", 0, -1, 0, u"", 0},           // a prefix of every entry names none of them
        {u"COM5 (Cable)", 0, -1, 0, u"", 0},  // a whole entry is not a port name
        {u"", -1, 0, -1, u"COM1", -1},        // no name: the first port; no baud chosen
        {u"COM1", 10, 0, -1, u"COM1", -1},    // a baud index the list does not have
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(platform::toUtf8(row.portName) + " " + std::to_string(row.baudIndex));
        COtherConfigSheet sheet(&receiver_, IDS_SERIAL_PORT_SETTINGS, 1);
        sheet.settings().portName = row.portName;
        sheet.settings().baudIndex = row.baudIndex;
        ASSERT_TRUE(kit_.open(sheet));
        ASSERT_NE(combo(sheet, IDC_OTHER_PORT), nullptr);
        EXPECT_EQ(combo(sheet, IDC_OTHER_PORT)->GetCurSel(), row.portShown);
        EXPECT_EQ(combo(sheet, IDC_OTHER_BAUD)->GetCurSel(), row.baudShown);
        EXPECT_TRUE(sheet.PressButton(PSBTN_OK));
        EXPECT_EQ(sheet.settings().portName, row.portAfterOk);
        EXPECT_EQ(sheet.settings().baudIndex, row.baudAfterOk);
    }
    EXPECT_TRUE(receiver_.calls().empty()) << "the sheet sends nothing itself";
}

TEST_F(PortSheetTest, DefaultsAndTheUsersChoiceComeBackAfterOk) {
    COtherConfigSheet sheet(&receiver_, IDS_SERIAL_PORT_SETTINGS, 1);
    EXPECT_EQ(sheet.flag(), 1);
    EXPECT_EQ(sheet.settings().portName, u"COM5");
    EXPECT_EQ(sheet.settings().baudIndex, 0);
    ASSERT_TRUE(kit_.open(sheet));
    CComboBox* port = combo(sheet, IDC_OTHER_PORT);
    CComboBox* baud = combo(sheet, IDC_OTHER_BAUD);
    ASSERT_NE(port, nullptr);
    ASSERT_NE(baud, nullptr);
    EXPECT_EQ(port->GetCount(), 4);
    EXPECT_EQ(port->GetLBText(port->GetCurSel()), u"COM5 (Cable)");
    EXPECT_EQ(baud->GetCount(), 10);
    EXPECT_EQ(baud->GetLBText(baud->GetCurSel()), u"300");
    EXPECT_EQ(baud->GetLBText(9), u"115200");

    ASSERT_TRUE(kit_.selectComboItem(sheet, IDC_OTHER_PORT, 2));
    ASSERT_TRUE(kit_.selectComboItem(sheet, IDC_OTHER_BAUD, 5));
    EXPECT_TRUE(sheet.PressButton(PSBTN_OK));
    EXPECT_EQ(sheet.settings().portName, u"COM7");
    EXPECT_EQ(sheet.settings().baudIndex, 5);
}

TEST(PortOfEntry, IsTheTextUpToTheFirstBlank) {
    EXPECT_EQ(CPortSettingsPage::portOfEntry(u"COM5 (Cable)"), u"COM5");
    EXPECT_EQ(CPortSettingsPage::portOfEntry(u"COM10 (Bluetooth) x"), u"COM10");
    EXPECT_EQ(CPortSettingsPage::portOfEntry(u"COM3"), u"COM3");
    EXPECT_EQ(CPortSettingsPage::portOfEntry(u" COM3"), u" COM3");
    EXPECT_EQ(CPortSettingsPage::portOfEntry(u""), u"");
}

}  // namespace
}  // namespace zentrix::ui

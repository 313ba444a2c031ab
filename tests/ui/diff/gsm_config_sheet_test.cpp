// The GSM settings page: the stored numbers it lists and the PIN it fills from them, what the
// boxes refuse, what OK hands back and what "gsm_data.txt" holds once the page is gone.
#include "ui/diff/gsm_config_sheet.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "framework/controls.h"
#include "framework/test_kit.h"
#include "resources/resource_ids.h"
#include "tests/support/fake_receiver.h"
#include "tests/support/files.h"
#include "tests/support/test_support.h"

namespace zentrix::ui {
namespace {

using framework::CComboBox;
using framework::PSBTN_CANCEL;
using framework::PSBTN_OK;
using framework::ScopedTestKit;
using test::contentsOf;
using test::writeFile;
using Texts = std::vector<WideString>;

// PINs, then numbers. The longer number first, so that a prefix lookup would hide the short
// one; one record without a number.
constexpr std::string_view kStored =
    "1111;2222;9999;3333\r\n"
    "0123456789;012345;;5550000";

class GsmPageTest : public ::testing::Test {
  protected:
    void SetUp() override { writeFile(gsmFile(), kStored); }
    std::filesystem::path gsmFile() const { return root_.path() / "gsm_data.txt"; }

    std::unique_ptr<CGsmConfigSheet> makeSheet(bool pinShown, const char16_t* number = u"",
                                               const char16_t* pin = u"") {
        auto sheet = std::make_unique<CGsmConfigSheet>(&receiver_, u"GSM Modem Settings", 1);
        sheet->settings().pinShown = pinShown;
        sheet->settings().phoneNumber = number;
        sheet->settings().pin = pin;
        return sheet;
    }
    CComboBox* numberBox(CGsmConfigSheet& sheet) {
        return dynamic_cast<CComboBox*>(kit_.control(sheet, IDC_GSM_NUMBER));
    }
    WideString text(CGsmConfigSheet& sheet, unsigned id) {
        return kit_.control(sheet, id)->GetWindowText();
    }

    test::ScratchDeviceRoot root_;
    ScopedTestKit kit_;
    test::FakeReceiver receiver_;
};

TEST_F(GsmPageTest, ListsEveryStoredNumberOnceAndChoosingOneFillsItsPin) {
    auto sheet = makeSheet(true, u"5551234", u"4321");
    ASSERT_TRUE(kit_.open(*sheet));
    CComboBox* number = numberBox(*sheet);
    ASSERT_NE(number, nullptr);
    EXPECT_EQ(number->GetWindowText(), u"5551234");
    EXPECT_EQ(text(*sheet, IDC_GSM_PIN), u"4321");
    EXPECT_TRUE(kit_.control(*sheet, IDC_GSM_PIN)->GetStyle() & framework::ES_PASSWORD);
    // Sorted; "012345" is there although "0123456789" starts with it.
    ASSERT_EQ(number->GetCount(), 3);
    Texts entries;
    for (int i = 0; i < number->GetCount(); ++i) entries.push_back(number->GetLBText(i));
    EXPECT_EQ(entries, (Texts{u"012345", u"0123456789", u"5550000"}));

    struct Row {
        const char16_t* entry;
        const char16_t* pin;
    };
    for (const Row& row :
         {Row{u"012345", u"2222"}, Row{u"0123456789", u"1111"}, Row{u"5550000", u"3333"}}) {
        SCOPED_TRACE(platform::toUtf8(row.entry));
        ASSERT_TRUE(
            kit_.selectComboItem(*sheet, IDC_GSM_NUMBER, number->FindStringExact(-1, row.entry)));
        ASSERT_TRUE(kit_.dropDownAndClose(*sheet, IDC_GSM_NUMBER));
        EXPECT_EQ(text(*sheet, IDC_GSM_PIN), row.pin);
    }
    // A typed number with no selection leaves the PIN the user typed.
    number->SetCurSel(-1);
    ASSERT_TRUE(kit_.type(*sheet, IDC_GSM_NUMBER, u"0777"));
    ASSERT_TRUE(kit_.type(*sheet, IDC_GSM_PIN, u"77"));
    ASSERT_TRUE(kit_.dropDownAndClose(*sheet, IDC_GSM_NUMBER));
    EXPECT_EQ(text(*sheet, IDC_GSM_PIN), u"77");
    EXPECT_TRUE(sheet->PressButton(PSBTN_OK));
    EXPECT_EQ(sheet->settings().phoneNumber, u"0777");
    EXPECT_EQ(sheet->settings().pin, u"77");
    EXPECT_TRUE(receiver_.calls().empty());
}

TEST_F(GsmPageTest, BoxesRefuseWhatTheDialCommandCannotCarryAndStopAtItsWidth) {
    auto sheet = makeSheet(true);
    ASSERT_TRUE(kit_.open(*sheet));
    struct Row {
        unsigned id;
        const char16_t* typed;
        const char16_t* shown;
    };
    const Row rows[] = {
        {IDC_GSM_NUMBER, u"+49;30,12*34\r5", u"+493012345"},
        {IDC_GSM_NUMBER, u"123456789012345678901", u"12345678901234567890"},  // 21 typed
        {IDC_GSM_PIN, u"12a4;5", u"1245"},
        {IDC_GSM_PIN, u"1234567890", u"12345678"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(platform::toUtf8(row.typed));
        ASSERT_TRUE(kit_.type(*sheet, row.id, row.typed));
        EXPECT_EQ(text(*sheet, row.id), row.shown);
    }
    EXPECT_TRUE(sheet->PressButton(PSBTN_CANCEL));
}

TEST_F(GsmPageTest, HiddenPinGivesAnEmptyPinAndIsNotFilledFromTheList) {
    {
        auto sheet = makeSheet(false, u"", u"1234");
        ASSERT_TRUE(kit_.open(*sheet));
        EXPECT_FALSE(kit_.control(*sheet, IDC_GSM_PIN)->IsWindowVisible());
        EXPECT_FALSE(kit_.control(*sheet, IDC_GSM_PIN_LABEL)->IsWindowVisible());
        EXPECT_TRUE(kit_.control(*sheet, IDC_GSM_NUMBER)->IsWindowVisible());
        CComboBox* number = numberBox(*sheet);
        ASSERT_TRUE(
            kit_.selectComboItem(*sheet, IDC_GSM_NUMBER, number->FindStringExact(-1, u"012345")));
        ASSERT_TRUE(kit_.dropDownAndClose(*sheet, IDC_GSM_NUMBER));
        EXPECT_EQ(text(*sheet, IDC_GSM_PIN), u"1234") << "the hidden box is left alone";
        EXPECT_TRUE(sheet->PressButton(PSBTN_OK));
        EXPECT_EQ(sheet->settings().pin, u"");
        EXPECT_EQ(sheet->settings().phoneNumber, u"012345");
    }
    // The chosen number is stored again, now without its PIN.
    EXPECT_EQ(contentsOf(gsmFile()), "1111;;9999;3333\r\n0123456789;012345;;5550000");
}

TEST_F(GsmPageTest, StoreIsWrittenWhenThePageGoesAlsoAfterCancel) {
    const std::string unchanged(kStored);
    writeFile(gsmFile(), unchanged + "\r\n");
    {
        auto sheet = makeSheet(true);
        ASSERT_TRUE(kit_.open(*sheet));
        ASSERT_TRUE(kit_.type(*sheet, IDC_GSM_NUMBER, u"5557777"));
        EXPECT_TRUE(sheet->PressButton(PSBTN_CANCEL));
        EXPECT_EQ(contentsOf(gsmFile()), unchanged + "\r\n") << "held until the page goes";
    }
    EXPECT_EQ(contentsOf(gsmFile()), unchanged) << "rewritten, with nothing added";

    // A new number is appended. One longer than the dial command carries is cut in the box
    // already, so what is dialled is what is remembered.
    {
        auto sheet = makeSheet(true, u"123456789012345678901", u"42");
        ASSERT_TRUE(kit_.open(*sheet));
        EXPECT_TRUE(sheet->PressButton(PSBTN_OK));
        EXPECT_EQ(sheet->settings().phoneNumber, u"12345678901234567890");
        EXPECT_EQ(contentsOf(gsmFile()), unchanged);
    }
    EXPECT_EQ(contentsOf(gsmFile()),
              "1111;2222;9999;3333;42\r\n0123456789;012345;;5550000;12345678901234567890");

    // A stored number gets the new PIN, in its place.
    {
        auto sheet = makeSheet(true, u"5550000", u"8888");
        ASSERT_TRUE(kit_.open(*sheet));
        EXPECT_TRUE(sheet->PressButton(PSBTN_OK));
    }
    EXPECT_EQ(contentsOf(gsmFile()),
              "1111;2222;9999;8888;42\r\n0123456789;012345;;5550000;12345678901234567890");

    // No number, nothing added.
    {
        auto sheet = makeSheet(true, u"", u"5555");
        ASSERT_TRUE(kit_.open(*sheet));
        EXPECT_TRUE(sheet->PressButton(PSBTN_OK));
        EXPECT_EQ(sheet->settings().pin, u"5555");
    }
    EXPECT_EQ(contentsOf(gsmFile()),
              "1111;2222;9999;8888;42\r\n0123456789;012345;;5550000;12345678901234567890");
}

TEST_F(GsmPageTest, ModalSheetConfirmedWithOkReturnsTheTypedNumber) {
    auto sheet = makeSheet(true);
    kit_.queueModalHandler([&](framework::CWnd& window) {
        auto& modal = dynamic_cast<CGsmConfigSheet&>(window);
        EXPECT_TRUE(kit_.type(modal, IDC_GSM_NUMBER, u"5550000"));
        EXPECT_TRUE(kit_.dropDownAndClose(modal, IDC_GSM_NUMBER));
        EXPECT_TRUE(kit_.type(modal, IDC_GSM_PIN, u"0042"));
        EXPECT_TRUE(modal.PressButton(PSBTN_OK));
    });
    EXPECT_EQ(sheet->DoModal(), framework::IDOK);
    EXPECT_EQ(sheet->settings().phoneNumber, u"5550000");
    EXPECT_EQ(sheet->settings().pin, u"0042");
}

}  // namespace
}  // namespace zentrix::ui

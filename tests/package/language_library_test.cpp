// The packaged language library: its texts parse, every id means what it means in the program,
// and its dialogs are the program's own with only the texts changed.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "framework/dialog_template.h"
#include "framework/resource_format.h"
#include "framework/resources.h"
#include "resources/resource_ids.h"

namespace zentrix {
namespace {
using framework::DialogTemplate;
using framework::StringEntry;

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The "%1" ... "%9" a text takes its inserts by.
std::multiset<char16_t> inserts(const std::u16string& text) {
    std::multiset<char16_t> found;
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == u'%' && text[i + 1] >= u'1' && text[i + 1] <= u'9')
            found.insert(text[i + 1]);
    }
    return found;
}

class GermanLanguageLibrary : public ::testing::Test {
  protected:
    void SetUp() override {
        handle_ = dlopen(ZENTRIX_GERMAN_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(handle_, nullptr) << dlerror();
        entry_ =
            reinterpret_cast<::ZentrixLanguageResourceFn>(dlsym(handle_, ZENTRIX_LANGUAGE_ENTRY));
        ASSERT_NE(entry_, nullptr);
    }
    void TearDown() override {
        if (handle_)
            dlclose(handle_);
    }
    std::string text(const char* kind) const {
        const char* value = entry_(kind);
        return value ? value : "";
    }

    void* handle_ = nullptr;
    ::ZentrixLanguageResourceFn entry_ = nullptr;
};

TEST_F(GermanLanguageLibrary, StringsAreTheProgramsIdsWithTheSameInserts) {
    const auto german = framework::parseStringTable(text("strings"), "GermanLang.so");
    ASSERT_TRUE(german.ok()) << german.error;
    ASSERT_GE(german.entries.size(), 20u);
    const auto builtIn = framework::parseStringTable(
        readFile(ZENTRIX_SOURCE_DIR "/resources/strings.txt"), "strings.txt");
    ASSERT_TRUE(builtIn.ok()) << builtIn.error;
    std::map<std::string, const StringEntry*> byName;
    for (const auto& entry : builtIn.entries) byName[entry.name] = &entry;

    for (const StringEntry& entry : german.entries) {
        SCOPED_TRACE(entry.name);
        const auto it = byName.find(entry.name);
        ASSERT_NE(it, byName.end()) << "not a string of the program";
        EXPECT_EQ(entry.id, it->second->id);
        // A dropped or invented insert shows a raw "%2" or loses the port, the rate, the reason.
        EXPECT_EQ(inserts(entry.text), inserts(it->second->text));
    }
}

TEST_F(GermanLanguageLibrary, DialogsKeepTheProgramsControlsAndGeometry) {
    const auto german = framework::parseDialogs(text("dialogs"), "GermanLang.so");
    ASSERT_TRUE(german.ok()) << german.error;
    ASSERT_FALSE(german.entries.empty());
    for (const DialogTemplate& dialog : german.entries) {
        SCOPED_TRACE(dialog.name);
        const DialogTemplate* original = framework::findDialogTemplate(dialog.id);
        ASSERT_NE(original, nullptr) << "not a dialog of the program";
        EXPECT_EQ(dialog.name, original->name);
        EXPECT_EQ(dialog.size, original->size);
        EXPECT_EQ(dialog.style, original->style);
        ASSERT_EQ(dialog.controls.size(), original->controls.size());
        for (size_t i = 0; i < dialog.controls.size(); ++i) {
            const auto& control = dialog.controls[i];
            const auto& expected = original->controls[i];
            SCOPED_TRACE(expected.name);
            EXPECT_EQ(control.id, expected.id);
            EXPECT_EQ(control.controlClass, expected.controlClass);
            EXPECT_EQ(control.rect, expected.rect);
            EXPECT_EQ(control.style, expected.style);
            // Image statics name the program's image, which no language changes.
            const framework::DWORD type = expected.style & framework::SS_TYPEMASK;
            if (expected.controlClass == framework::ControlClass::Static &&
                (type == framework::SS_ICON || type == framework::SS_BITMAP)) {
                EXPECT_EQ(control.text, expected.text);
            }
        }
    }
}

TEST_F(GermanLanguageLibrary, LoadsIntoTheProgramAndGivesTheEnglishBack) {
    ASSERT_TRUE(framework::loadLanguageLibrary(ZENTRIX_GERMAN_LIBRARY));
    EXPECT_EQ(framework::loadString(IDS_MENU_GNSS_SETTINGS), u"GNSS-Einstellungen");
    EXPECT_EQ(framework::loadString(IDS_RESET_QUESTION), u"GNSS-Empf\u00E4nger zur\u00FCcksetzen?");
    EXPECT_EQ(framework::findDialogTemplate(IDD_ABOUT)->caption, u"Info \u00FCber GNSS Zentrix");
    EXPECT_EQ(framework::findDialogTemplate(IDD_STARTUP)->control(framework::IDCANCEL)->text,
              u"Abbrechen");
    // What it does not translate stays the program's.
    EXPECT_EQ(framework::loadString(IDS_UNIT_METRES), u"m");
    framework::unloadLanguageLibrary();
    EXPECT_EQ(framework::loadString(IDS_MENU_GNSS_SETTINGS), u"GNSS Settings");
    EXPECT_EQ(framework::findDialogTemplate(IDD_ABOUT)->caption, u"About GNSS Zentrix");
}

}  // namespace
}  // namespace zentrix

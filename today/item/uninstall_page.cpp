#include "today/item/uninstall_page.h"

#include <filesystem>
#include <system_error>

#include "framework/message_box.h"
#include "framework/resources.h"
#include "platform/device_root.h"
#include "resources/resource_ids.h"
#include "today/item/plugin_data.h"
#include "today/launcher_data_file.h"
#include "today/launcher_fields.h"

namespace zentrix::today {

namespace {

platform::RegistryKey userKey(platform::Registry& registry, WideStringView path) {
    return registry.key(platform::RootKey::CurrentUser, path);
}

void showErrors(framework::CWnd* owner, const RegistryResult& result) {
    for (const WideString& text : result.errors)
        owner->MessageBox(text, kRegistryErrorTitle, framework::MB_OK | framework::MB_ICONERROR);
}

}  // namespace

RegistryResult deleteLauncherInformation(platform::Registry& registry) {
    RegistryResult result;
    std::error_code error;
    std::filesystem::remove(platform::devicePath(kDataFileName), error);
    if (error)
        result.errors.push_back(framework::loadString(IDS_TODAY_CANT_DELETE_DATA_FILE));

    result.append(clearRegistryGroups(registry));
    const platform::RegistryKey settings = userKey(registry, kSettingsKey);
    if (!settings.exists())
        return result;
    bool deleted = true;
    for (const GeneralField& field : kGeneralFields) {
        if (field.registryName != nullptr && settings.value(field.registryName))
            deleted &= settings.deleteValue(field.registryName);
    }
    // The key itself only when nothing else (the host's item list) lives in it.
    const auto subkeys = settings.subkeys();
    const auto values = settings.valueNames();
    if (deleted && subkeys && subkeys->empty() && values && values->empty())
        deleted = settings.remove();
    if (!deleted)
        result.errors.push_back(u"Can't delete registry key!!");
    return result;
}

bool deleteTodayInformation(platform::Registry& registry) {
    const platform::RegistryKey items = userKey(registry, kTodayItemsKey);
    return registry.isOpen() && (!items.exists() || items.remove());
}

CUninstallPage::CUninstallPage() : CPropertyPage(IDD_TODAY_UNINSTALL_PAGE) {
    MapNotification(framework::BN_CLICKED, IDC_TODAY_UNINSTALL_DELETE, &CUninstallPage::OnDelete);
}

bool CUninstallPage::OnInitDialog() {
    SetDlgItemText(IDC_TODAY_UNINSTALL_HINT, framework::loadString(IDS_TODAY_UNINSTALL_HINT));
    return CPropertyPage::OnInitDialog();
}

void CUninstallPage::OnDelete() {
    const WideString caption = framework::loadString(IDS_TODAY_SETTINGS_CAPTION);
    const framework::UINT question = framework::MB_YESNO | framework::MB_ICONQUESTION;
    if (MessageBox(framework::loadString(IDS_TODAY_DELETE_ZENTRIX_INFO), caption, question) !=
        framework::IDYES)
        return;
    auto registry = platform::Registry::device();
    showErrors(this, deleteLauncherInformation(*registry));
    pluginData().informationDeleted = true;
    if (MessageBox(framework::loadString(IDS_TODAY_DELETE_TODAY_INFO), caption, question) ==
        framework::IDYES) {
        if (!deleteTodayInformation(*registry))
            showErrors(this, RegistryResult{{u"Can't delete registry key!!"}});
    }
    MessageBox(framework::loadString(IDS_TODAY_INFO_DELETED), caption,
               framework::MB_OK | framework::MB_ICONINFORMATION);
    // What the sheet shows came from the settings just deleted; OK would only write them back.
    if (framework::CPropertySheet* sheet = GetSheet())
        sheet->EndDialog(framework::IDCANCEL);
}

}  // namespace zentrix::today

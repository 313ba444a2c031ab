// The settings sheet's uninstall page: the launcher cannot remove itself from the Today screen,
// but it can delete what it stored before the user uninstalls it.
#pragma once

#include "framework/property_sheet.h"
#include "platform/registry.h"
#include "today/launcher_registry.h"

namespace zentrix::today {

/// The host's list of Today items, under HKEY_CURRENT_USER.
inline constexpr char16_t kTodayItemsKey[] = u"Software\\Zentrix\\Today";

/// Deletes the data file and the registry copy of the launcher settings (its values under
/// "Software\Zentrix" and the group keys), leaving the host's item list alone. The result holds a
/// message box text per problem.
RegistryResult deleteLauncherInformation(platform::Registry& registry);
/// Deletes the host's item list; false when it is there and cannot be deleted.
bool deleteTodayInformation(platform::Registry& registry);

/// Says how to uninstall; its button asks before deleting the launcher's settings, then the Today
/// item list, and closes the sheet without applying anything once something was deleted.
class CUninstallPage : public framework::CPropertyPage {
  public:
    CUninstallPage();
    bool OnInitDialog() override;
    void OnDelete();
};

}  // namespace zentrix::today

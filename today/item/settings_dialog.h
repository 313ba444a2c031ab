// The settings sheet of the options dialog: layout, skin, icons, tabs and system settings, and
// the uninstall page.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "framework/property_sheet.h"
#include "today/launcher_settings.h"

namespace zentrix::today {

/// What the pages edit: a copy of the settings and the group the group pages show.
struct SettingsWork {
    LauncherSettings settings;
    size_t group = 0;  ///< 0-7
};

/// A page that edits `SettingsWork` through data exchange: its fields are shown when it is
/// made and each time it is shown again, and stored when it is left and at OK.
class CSettingsPage : public framework::CPropertyPage {
  public:
    CSettingsPage(unsigned templateId, SettingsWork& work);

    /// A browse button: puts the chosen file into its edit.
    void OnBrowse(const framework::NotifyInfo& info);

  protected:
    /// Button `buttonId` chooses a file for edit `editId` with string-table filter `filterId`.
    void mapBrowse(unsigned buttonId, unsigned editId, unsigned filterId);

    SettingsWork& work_;

  private:
    struct Browse {
        unsigned button;
        unsigned edit;
        unsigned filter;
    };
    std::vector<Browse> browses_;
};

/// A page of one group's settings, with the choice of the group at its top. The group chosen
/// there is the one every group page shows; changing it stores the fields of the group left.
class CGroupSettingsPage : public CSettingsPage {
  public:
    CGroupSettingsPage(unsigned templateId, SettingsWork& work);

    bool OnInitDialog() override;
    bool OnSetActive() override;
    void DoDataExchange(framework::CDataExchange* dx) override;
    void OnGroupChosen();

  protected:
    virtual void exchangeGroup(framework::CDataExchange* dx, LauncherGroup& group) = 0;

  private:
    void fillGroupChoice();
};

class CMarginsPage : public CGroupSettingsPage {
  public:
    explicit CMarginsPage(SettingsWork& work);
    bool OnInitDialog() override;

  protected:
    void exchangeGroup(framework::CDataExchange* dx, LauncherGroup& group) override;
};

class CSkinPage : public CGroupSettingsPage {
  public:
    explicit CSkinPage(SettingsWork& work);
    bool OnInitDialog() override;

  protected:
    void exchangeGroup(framework::CDataExchange* dx, LauncherGroup& group) override;
};

class CSkin2Page : public CGroupSettingsPage {
  public:
    explicit CSkin2Page(SettingsWork& work);
    bool OnInitDialog() override;

  protected:
    void exchangeGroup(framework::CDataExchange* dx, LauncherGroup& group) override;
};

class CIconsPage : public CGroupSettingsPage {
  public:
    explicit CIconsPage(SettingsWork& work);

  protected:
    void exchangeGroup(framework::CDataExchange* dx, LauncherGroup& group) override;
};

class CTabsPage : public CSettingsPage {
  public:
    explicit CTabsPage(SettingsWork& work);
    void DoDataExchange(framework::CDataExchange* dx) override;
};

class CSystemPage : public CSettingsPage {
  public:
    explicit CSystemPage(SettingsWork& work);
    bool OnInitDialog() override;
    void DoDataExchange(framework::CDataExchange* dx) override;
};

/// The sheet with every page; OK leaves the edited settings in `work().settings`.
class CSettingsSheet : public framework::CPropertySheet {
  public:
    CSettingsSheet(const LauncherSettings& settings, size_t group, framework::CWnd* parent);
    ~CSettingsSheet() override;

    SettingsWork& work() { return work_; }

  private:
    SettingsWork work_;
    std::vector<std::unique_ptr<framework::CPropertyPage>> pages_;
};

}  // namespace zentrix::today

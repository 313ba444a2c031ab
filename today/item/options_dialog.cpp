#include "today/item/options_dialog.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "framework/broadcast.h"
#include "framework/controls.h"
#include "framework/dialog.h"
#include "framework/list_ctrl.h"
#include "framework/message_box.h"
#include "framework/resources.h"
#include "framework/today_item.h"
#include "platform/text.h"
#include "resources/resource_ids.h"
#include "today/item/import_folder.h"
#include "today/item/item_dialog.h"
#include "today/item/plugin_data.h"
#include "today/launcher_data_file.h"

namespace zentrix::today {

using namespace framework;

namespace {

// The string-table texts carry "%s" and "%d" where a value goes.
WideString withText(WideString text, std::u16string_view placeholder, WideStringView value) {
    if (const size_t at = text.find(placeholder); at != WideString::npos) {
        text.replace(at, placeholder.size(), value);
    }
    return text;
}

WideString withText(UINT stringId, std::u16string_view placeholder, WideStringView value) {
    return withText(loadString(stringId), placeholder, value);
}

WideString errorText(const std::error_code& error) {
    return platform::fromUtf8(error.message());
}

char16_t asciiFolded(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

// The registry copy keeps one key per item name, and its key names ignore ASCII case.
bool sameName(WideStringView a, WideStringView b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](char16_t x, char16_t y) { return asciiFolded(x) == asciiFolded(y); });
}

// `name`, or with " (2)", " (3)" ... when a row other than `except` holds it already.
WideString uniqueName(const std::vector<LauncherItem>& rows, WideStringView name,
                      size_t except = SIZE_MAX) {
    const auto taken = [&](WideStringView candidate) {
        for (size_t i = 0; i < rows.size(); ++i) {
            if (i != except && sameName(rows[i].name, candidate))
                return true;
        }
        return false;
    };
    const WideString base = fieldText(name);
    if (!taken(base))
        return base;
    for (size_t n = 2;; ++n) {
        const WideString suffix = u" (" + platform::fromUtf8(std::to_string(n)) + u")";
        WideString candidate = base.substr(0, kMaxTextLength - suffix.size()) + suffix;
        if (!taken(candidate))
            return candidate;
    }
}

bool sameItem(const LauncherItem& a, const LauncherItem& b) {
    // The index is the row number the last apply gave; it says nothing of which item it is.
    return a.name == b.name && a.fileName == b.fileName && a.commandLine == b.commandLine &&
           a.iconPath == b.iconPath && a.iconResource == b.iconResource;
}

// What Cut and Copy took: copies of the items, not row numbers, so that rows moved, deleted or
// added before Paste never make it paste or remove anything else. No count limit: the handheld's
// limits were the sizes of fixed arrays of row numbers, and a limit now could only cut a
// selection short or refuse it for no gain.
struct Clipboard {
    bool cut = false;
    int sourceGroup = -1;
    std::vector<LauncherItem> items;
    std::vector<size_t> positions;  // where each item stood in its group when it was taken
};

// Removes the items a cut took from the group they came from. An item is found by its value
// (every field but the index); among equal items the one nearest to where the cut found it is
// taken, so that of two identical rows the one that was cut goes. An item that is no longer
// there (deleted or edited since) removes nothing: the cut never takes another item with it.
void removeCutItems(std::vector<LauncherItem>& group, const Clipboard& clipboard) {
    std::vector<bool> removed(group.size(), false);
    for (size_t i = 0; i < clipboard.items.size(); ++i) {
        size_t best = SIZE_MAX;
        size_t bestDistance = SIZE_MAX;
        for (size_t row = 0; row < group.size(); ++row) {
            if (removed[row] || !sameItem(group[row], clipboard.items[i]))
                continue;
            const size_t at = clipboard.positions[i];
            const size_t distance = row > at ? row - at : at - row;
            if (distance < bestDistance) {
                best = row;
                bestDistance = distance;
            }
        }
        if (best != SIZE_MAX)
            removed[best] = true;
    }
    std::vector<LauncherItem> kept;
    for (size_t row = 0; row < group.size(); ++row) {
        if (!removed[row])
            kept.push_back(std::move(group[row]));
    }
    group = std::move(kept);
}

enum Column { kName, kFile, kCommandLine, kIconPath, kIcon };

// The state of one open options dialog, kept in its window's user data. It edits a copy of the
// plug-in's settings: nothing reaches the record the item window draws from, nor the disk,
// before OK.
class OptionsDialog {
  public:
    OptionsDialog(HWND hwnd, bool modeless) : hwnd_(hwnd), modeless_(modeless) {}

    void initialize() {
        loadPluginSettings();
        pluginData().informationDeleted = false;
        settings_ = pluginData().settings;
        group_ = std::clamp(pluginData().currentGroup, 0, static_cast<int>(kGroupCount) - 1);
        window().SetWindowText(loadString(IDS_TODAY_OPTIONS_CAPTION));
        const UINT columns[] = {IDS_TODAY_COLUMN_NAME, IDS_TODAY_COLUMN_FILE,
                                IDS_TODAY_COLUMN_COMMAND_LINE, IDS_TODAY_COLUMN_ICON_PATH,
                                IDS_TODAY_COLUMN_ICON};
        const int widths[] = {90, 140, 80, 100, 60};
        for (int c = 0; c < 5; ++c)
            list()->InsertColumn(c, loadString(columns[c]), LVCFMT_LEFT, widths[c]);
        fillTabs();
        rows_ = settings_.groups[group_].items;
        fillList({});
    }

    void command(UINT id) {
        switch (id) {
            case IDC_TODAY_ADD:
                add();
                break;
            case IDC_TODAY_EDIT:
                edit();
                break;
            case IDC_TODAY_DELETE:
                remove();
                break;
            case IDC_TODAY_UP:
                move(-1);
                break;
            case IDC_TODAY_DOWN:
                move(+1);
                break;
            case IDC_TODAY_OPTIONS:
                options();
                break;
            case IDC_TODAY_CUT:
                take(true);
                break;
            case IDC_TODAY_COPY:
                take(false);
                break;
            case IDC_TODAY_PASTE:
                paste();
                break;
            case IDC_TODAY_IMPORT:
                import();
                break;
            case IDC_TODAY_SELECT_ALL:
                selectAll();
                break;
            case IDC_TODAY_SELECT_MULTIPLE:
                multipleChanged();
                break;
            case IDOK:
                confirm();
                break;
            case IDCANCEL:
                close();
                break;
            default:
                break;
        }
    }

    void notify(const NotifyInfo& info) {
        if (info.idFrom == IDC_TODAY_GROUP_TABS && info.code == TCN_SELCHANGE) {
            switchGroup(tabs()->GetCurSel());
        } else if (info.idFrom == IDC_TODAY_ITEM_LIST && info.code == LVN_ITEMCHANGED) {
            keepSingleSelection(info);
        }
    }

  private:
    CWnd& window() const { return *CWnd::FromHandle(hwnd_); }
    CListCtrl* list() const {
        return static_cast<CListCtrl*>(window().GetDlgItem(IDC_TODAY_ITEM_LIST));
    }
    CTabCtrl* tabs() const {
        return static_cast<CTabCtrl*>(window().GetDlgItem(IDC_TODAY_GROUP_TABS));
    }
    bool multiple() const {
        return window().IsDlgButtonChecked(IDC_TODAY_SELECT_MULTIPLE) == BST_CHECKED;
    }

    int message(UINT textId, UINT captionId, UINT type) {
        return window().MessageBox(loadString(textId), loadString(captionId), type);
    }

    std::vector<size_t> selectedRows() const {
        std::vector<size_t> rows;
        for (int row = list()->GetNextItem(-1, LVNI_SELECTED); row >= 0;
             row = list()->GetNextItem(row, LVNI_SELECTED)) {
            if (static_cast<size_t>(row) < rows_.size())
                rows.push_back(static_cast<size_t>(row));
        }
        return rows;
    }

    void fillTabs() {
        tabs()->DeleteAllItems();
        for (size_t g = 0; g < kGroupCount; ++g)
            tabs()->InsertItem(static_cast<int>(g), settings_.groups[g].name);
        tabs()->SetCurSel(group_);
    }

    void fillList(const std::vector<size_t>& select) {
        updating_ = true;
        CListCtrl* view = list();
        view->DeleteAllItems();
        for (size_t i = 0; i < rows_.size(); ++i) {
            const auto& item = rows_[i];
            const int row = view->InsertItem(static_cast<int>(i), item.name);
            view->SetItemText(row, kFile, item.fileName);
            view->SetItemText(row, kCommandLine, item.commandLine);
            view->SetItemText(row, kIconPath, item.iconPath);
            view->SetItemText(row, kIcon, platform::fromUtf8(std::to_string(item.iconResource)));
        }
        for (size_t row : select) {
            if (row >= rows_.size())
                continue;
            view->SetItemState(static_cast<int>(row), LVIS_SELECTED, LVIS_SELECTED);
            if (!multiple())
                break;
        }
        if (!select.empty() && select.front() < rows_.size()) {
            view->EnsureVisible(
                static_cast<int>(select.back() < rows_.size() ? select.back() : select.front()),
                false);
        }
        updating_ = false;
    }

    // The list to the group it shows, in the copy.
    void applyList() {
        auto& items = settings_.groups[group_].items;
        items = rows_;
        for (size_t i = 0; i < items.size(); ++i) items[i].index = static_cast<int32_t>(i);
    }

    void switchGroup(int group) {
        if (group < 0 || group >= static_cast<int>(kGroupCount) || group == group_)
            return;
        applyList();
        group_ = group;
        rows_ = settings_.groups[group_].items;
        fillList({});
    }

    void append(LauncherItem item) {
        item.name = uniqueName(rows_, item.name);
        rows_.push_back(std::move(item));
    }

    void add() {
        applyList();
        LauncherItem item;
        if (!runItemDialog(hwnd_, item))
            return;
        append(std::move(item));
        applyList();
        fillList({rows_.size() - 1});
    }

    void edit() {
        const auto selected = selectedRows();
        if (selected.empty())
            return;
        const size_t row = selected.front();
        applyList();
        LauncherItem item = rows_[row];
        if (!runItemDialog(hwnd_, item))
            return;
        item.name = uniqueName(rows_, item.name, row);
        rows_[row] = std::move(item);
        applyList();
        fillList({row});
    }

    void remove() {
        const auto selected = selectedRows();
        if (selected.empty())
            return;
        if (message(IDS_TODAY_DELETE_QUESTION, IDS_TODAY_DELETE_CAPTION,
                    MB_YESNO | MB_ICONQUESTION) != IDYES) {
            return;
        }
        for (auto it = selected.rbegin(); it != selected.rend(); ++it)
            rows_.erase(rows_.begin() + *it);
        fillList({});
    }

    void move(int step) {
        const auto selected = selectedRows();
        if (selected.empty())
            return;
        const size_t row = selected.front();
        if ((step < 0 && row == 0) || (step > 0 && row + 1 >= rows_.size()))
            return;
        const size_t to = step < 0 ? row - 1 : row + 1;
        std::swap(rows_[row], rows_[to]);
        fillList({to});
    }

    void options() {
        applyList();
        LauncherSettings edited = settings_;
        if (runSettingsDialog(hwnd_, edited))
            settings_ = std::move(edited);
        if (pluginData().informationDeleted) {
            close();  // saving now would only write back what the user just deleted
            return;
        }
        fillTabs();
        rows_ = settings_.groups[group_].items;
        fillList({});
    }

    void take(bool cut) {
        const auto selected = selectedRows();
        if (selected.empty())
            return;
        clipboard_ = Clipboard{};
        clipboard_.cut = cut;
        clipboard_.sourceGroup = group_;
        for (size_t row : selected) {
            clipboard_.items.push_back(rows_[row]);
            clipboard_.positions.push_back(row);
        }
    }

    void paste() {
        if (clipboard_.items.empty())
            return;
        if (clipboard_.cut && clipboard_.sourceGroup == group_)
            return;
        const size_t first = rows_.size();
        for (const auto& item : clipboard_.items) append(item);
        if (clipboard_.cut && clipboard_.sourceGroup >= 0 &&
            clipboard_.sourceGroup < static_cast<int>(kGroupCount)) {
            removeCutItems(settings_.groups[clipboard_.sourceGroup].items, clipboard_);
        }
        clipboard_ = {};
        applyList();
        std::vector<size_t> pasted;
        for (size_t row = first; row < rows_.size(); ++row) pasted.push_back(row);
        if (pasted.size() > 1)
            window().CheckDlgButton(IDC_TODAY_SELECT_MULTIPLE, BST_CHECKED);
        fillList(pasted);
    }

    void import() {
        if (message(IDS_TODAY_IMPORT_QUESTION, IDS_TODAY_IMPORT_CAPTION,
                    MB_YESNO | MB_ICONQUESTION) != IDYES) {
            return;
        }
        applyList();
        const WideString folder = settings_.groups[group_].importFolder;
        auto result = importFolder(folder, [this](int) {
            return message(IDS_TODAY_IMPORT_TOO_MANY, IDS_TODAY_IMPORT_TOO_MANY_CAPTION,
                           MB_YESNO | MB_ICONQUESTION) == IDYES;
        });
        for (auto& item : result.items) append(std::move(item));
        applyList();
        fillList({});
        if (result.folderUnreadable) {
            window().MessageBox(withText(IDS_TODAY_IMPORT_UNREADABLE, u"%s", folder),
                                loadString(IDS_TODAY_IMPORT_CAPTION), MB_OK | MB_ICONWARNING);
        }
        if (result.skipped > 0) {
            window().MessageBox(withText(IDS_TODAY_IMPORT_SKIPPED, u"%d",
                                         platform::fromUtf8(std::to_string(result.skipped))),
                                loadString(IDS_TODAY_IMPORT_CAPTION), MB_OK | MB_ICONINFORMATION);
        }
    }

    void selectAll() {
        window().CheckDlgButton(IDC_TODAY_SELECT_MULTIPLE, BST_CHECKED);
        updating_ = true;
        list()->SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
        updating_ = false;
    }

    void multipleChanged() {
        if (multiple())
            return;
        const auto selected = selectedRows();
        if (selected.size() > 1)
            fillList({selected.front()});
    }

    // The list allows several rows; with "Select multiple" off a newly selected row takes the
    // selection alone, as a single-selection list would.
    void keepSingleSelection(const NotifyInfo& info) {
        if (updating_ || multiple() || info.iItem < 0)
            return;
        if (!(info.uNewState & LVIS_SELECTED) || (info.uOldState & LVIS_SELECTED))
            return;
        updating_ = true;
        for (size_t row : selectedRows()) {
            if (static_cast<int>(row) != info.iItem)
                list()->SetItemState(static_cast<int>(row), 0, LVIS_SELECTED);
        }
        updating_ = false;
    }

    // The save failed when the settings are nowhere the next load will find them: neither in
    // the data file nor in the registry copy, or in the registry copy behind an older data file
    // that could not be replaced and would be read first.
    std::optional<WideString> saveFailure(const SaveSettingsResult& result) {
        if (!result.ok()) {
            WideString registry =
                result.registry.errors.empty() ? WideString(u"-") : result.registry.errors.front();
            WideString text =
                withText(IDS_TODAY_SAVE_FAILED, u"%s", errorText(result.dataFileError));
            return withText(text, u"%s", registry);
        }
        if (result.dataFileError) {
            LauncherSettings probe;
            if (loadDataFile(probe))
                return withText(IDS_TODAY_SAVE_SHADOWED, u"%s", errorText(result.dataFileError));
        }
        return std::nullopt;
    }

    void confirm() {
        applyList();
        const auto result = savePluginSettings(settings_);
        if (const auto failure = saveFailure(result)) {
            window().MessageBox(*failure, loadString(IDS_TODAY_ERROR_CAPTION),
                                MB_OK | MB_ICONERROR);
            return;
        }
        pluginData().settings = settings_;
        close();
    }

    void close() {
        PluginData& data = pluginData();
        data.currentGroup = firstShownGroup(data.settings);
        const HWND hwnd = hwnd_;
        if (!modeless_) {
            EndDialog(hwnd, 1);
            return;
        }
        data.refreshPending = true;
        DestroyWindow(hwnd);  // this object is gone from here on
        BroadcastMessage(WM_WININICHANGE, kTodayRefreshCode, 0);
    }

    HWND hwnd_;
    bool modeless_;
    bool updating_ = false;
    LauncherSettings settings_;
    int group_ = 0;
    std::vector<LauncherItem> rows_;  // the list's rows, as items
    Clipboard clipboard_;
};

OptionsDialog* stateOf(HWND dialog) {
    return reinterpret_cast<OptionsDialog*>(GetWindowUserData(dialog));
}

}  // namespace

LRESULT customItemOptionsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            auto* window = dynamic_cast<CDialog*>(CWnd::FromHandle(dialog));
            const bool modeless = !window || !window->IsModal();
            PluginData& data = pluginData();
            // One dialog at a time: two copies of the settings edited side by side would each
            // save over the other's changes.
            if (data.optionsDialog && data.optionsDialog != dialog &&
                CWnd::FromHandle(data.optionsDialog)) {
                CWnd::FromHandle(data.optionsDialog)->ShowWindow(SW_SHOW);
                CWnd::FromHandle(data.optionsDialog)->SetFocus();
                if (!modeless)
                    EndDialog(dialog, 0);
                return 0;
            }
            data.optionsDialog = dialog;
            auto state = std::make_unique<OptionsDialog>(dialog, modeless);
            SetWindowUserData(dialog, reinterpret_cast<LPARAM>(state.get()));
            state.release()->initialize();
            return 1;
        }
        case WM_COMMAND:
            if (auto* state = stateOf(dialog))
                state->command(LOWORD(wParam));
            return 1;
        case WM_NOTIFY:
            if (auto* state = stateOf(dialog); state && lParam) {
                state->notify(*reinterpret_cast<const NotifyInfo*>(lParam));
            }
            return 1;
        case WM_DESTROY:
            delete stateOf(dialog);
            SetWindowUserData(dialog, 0);
            if (pluginData().optionsDialog == dialog)
                pluginData().optionsDialog = nullptr;
            return 1;
        default:
            return 0;
    }
}

HWND openOptionsDialog(HWND owner) {
    PluginData& data = pluginData();
    if (CWnd* open = data.optionsDialog ? CWnd::FromHandle(data.optionsDialog) : nullptr) {
        open->ShowWindow(SW_SHOW);
        open->SetFocus();
        return data.optionsDialog;
    }
    data.optionsDialog = nullptr;
    const HWND dialog =
        CreateDialogParam(data.instance, IDD_TODAY_OPTIONS, owner, customItemOptionsDlgProc, 0);
    if (CWnd* window = dialog ? CWnd::FromHandle(dialog) : nullptr)
        window->ShowWindow(SW_SHOW);
    return dialog;
}

}  // namespace zentrix::today

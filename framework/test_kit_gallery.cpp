#include "framework/test_kit_gallery.h"

#include <QMessageBox>

#include "framework/controls.h"
#include "framework/image_list.h"
#include "framework/list_ctrl.h"
#include "framework/property_sheet.h"
#include "framework/qt_window.h"
#include "framework/test_kit.h"
#include "resources/resource_ids.h"

namespace zentrix::framework {
namespace {

class SampleDialog : public CDialog {
  public:
    SampleDialog() : CDialog(IDD_SAMPLE) {}
    bool OnInitDialog() override {
        CDialog::OnInitDialog();
        SetDlgItemText(IDC_SAMPLE_NAME, u"Rover 1");
        SetDlgItemText(IDC_SAMPLE_SECRET, u"secret");
        SetDlgItemText(IDC_SAMPLE_PORT, u"2101");
        CheckDlgButton(IDC_SAMPLE_CHECK, 1);
        CheckDlgButton(IDC_SAMPLE_METRES, 1);
        static_cast<CComboBox*>(GetDlgItem(IDC_SAMPLE_MODE))->SetCurSel(2);
        static_cast<CComboBox*>(GetDlgItem(IDC_SAMPLE_HOST))->SetCurSel(0);
        auto* list = static_cast<CListCtrl*>(GetDlgItem(IDC_SAMPLE_LIST));
        list->SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
        list->InsertColumn(0, u"Station", LVCFMT_LEFT, ScaleX(80));
        list->InsertColumn(1, u"Distance", LVCFMT_RIGHT, ScaleX(60));
        const char16_t* rows[][2] = {
            {u"BASE1", u"1.2 km"}, {u"RTCM3", u"12 km"}, {u"VRS", u"0 km"}};
        for (const auto& row : rows) {
            const int i = list->InsertItem(list->GetItemCount(), row[0]);
            list->SetItemText(i, 1, row[1]);
        }
        list->SetItemState(1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        auto* slider = static_cast<CSliderCtrl*>(GetDlgItem(IDC_SAMPLE_SLIDER));
        slider->SetRange(0, 90);
        slider->SetTicFreq(15);
        slider->SetPos(15);
        return true;
    }
};

class SampleMenu : public CDialog {
  public:
    SampleMenu() : CDialog(IDD_SAMPLE_MENU) {}
    bool OnInitDialog() override {
        CDialog::OnInitDialog();
        CBitmap strip;
        strip.LoadBitmap(IDB_SAMPLE);
        images_.Create(32, 32, ILC_COLOR24 | ILC_MASK, 3, 1);
        images_.Add(&strip, RGB(255, 0, 255));
        auto* list = static_cast<CListCtrl*>(GetDlgItem(IDC_SAMPLE_MENU));
        list->SetImageList(&images_, LVSIL_NORMAL);
        const char16_t* items[] = {u"GNSS Settings", u"Differential Mode", u"About"};
        for (int i = 0; i < 3; ++i) {
            list->InsertItem(LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM, i, items[i], 0, 0, i, i + 1);
        }
        return true;
    }

  private:
    CImageList images_;
};

class SampleSheet : public CPropertySheet {
  public:
    SampleSheet() : CPropertySheet(IDS_SAMPLE_SHEET) {
        AddPage(&general_);
        AddPage(&output_);
        AddPage(&extra_);
    }

  private:
    CPropertyPage general_{IDD_SAMPLE_PAGE_GENERAL};
    CPropertyPage output_{IDD_SAMPLE_PAGE_OUTPUT};
    CPropertyPage extra_{IDD_SAMPLE_PAGE_EXTRA};
};

}  // namespace

void GalleryRegistry::add(std::string name, std::function<std::unique_ptr<CWnd>()> make,
                          std::function<void(CWnd&, ScopedTestKit&)> settle,
                          std::function<CWnd*(CWnd&)> view) {
    entries_.push_back({std::move(name), std::move(make), std::move(settle), std::move(view)});
}

const GalleryEntry* GalleryRegistry::find(const std::string& name) const {
    for (const auto& entry : entries_) {
        if (entry.name == name)
            return &entry;
    }
    return nullptr;
}

void registerSampleGallery(GalleryRegistry& gallery) {
    gallery.add("sample_dialog", [] { return std::make_unique<SampleDialog>(); });
    gallery.add("sample_sheet", [] { return std::make_unique<SampleSheet>(); });
    gallery.add("sample_menu", [] { return std::make_unique<SampleMenu>(); });
}

namespace {

// The Qt box a message box shows, held as a window of its own.
class MessageBoxWindow : public CWnd {
  public:
    explicit MessageBoxWindow(std::unique_ptr<QMessageBox> box) {
        attachWidget(box.release(), true);
    }
    QMessageBox* box() const { return qobject_cast<QMessageBox*>(widget()); }
};

}  // namespace

std::unique_ptr<CWnd> makeMessageBoxWindow(WideStringView text, WideStringView caption, UINT type) {
    ensureTestApplication();
    MessageBoxRecord record;
    record.text = WideString(text);
    record.caption = WideString(caption);
    record.type = type;
    return std::make_unique<MessageBoxWindow>(createMessageBox(nullptr, record));
}

bool openGalleryWindow(ScopedTestKit& kit, CWnd& window) {
    if (auto* scene = dynamic_cast<GalleryScene*>(&window)) {
        const bool opened = scene->openScene();
        kit.processEvents();
        return opened;
    }
    if (auto* sheet = dynamic_cast<CPropertySheet*>(&window))
        return kit.open(*sheet);
    if (auto* dialog = dynamic_cast<CDialog*>(&window))
        return kit.open(*dialog);
    if (auto* message = dynamic_cast<MessageBoxWindow*>(&window); message && message->box()) {
        message->box()->show();
        kit.processEvents();
        return true;
    }
    return false;
}

bool openGalleryEntry(ScopedTestKit& kit, const GalleryEntry& entry, CWnd& window) {
    if (!openGalleryWindow(kit, window))
        return false;
    if (entry.settle) {
        entry.settle(window, kit);
        kit.processEvents();
    }
    return true;
}

CWnd* galleryPicture(const GalleryEntry& entry, CWnd& window) {
    if (entry.view)
        return entry.view(window);
    if (auto* scene = dynamic_cast<GalleryScene*>(&window))
        return scene->sceneWindow();
    return &window;
}

int runGalleryWindow(CWnd& window) {
    if (auto* scene = dynamic_cast<GalleryScene*>(&window))
        return scene->runScene();
    if (auto* sheet = dynamic_cast<CPropertySheet*>(&window))
        return sheet->DoModal();
    if (auto* dialog = dynamic_cast<CDialog*>(&window))
        return dialog->DoModal();
    if (auto* message = dynamic_cast<MessageBoxWindow*>(&window); message && message->box())
        return message->box()->exec();
    return -1;
}

}  // namespace zentrix::framework

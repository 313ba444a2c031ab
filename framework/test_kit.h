// The test kit: drives any dialog, sheet or window of the layer without a display, the way a
// user would (taps, typing, choices), answers message boxes and modal dialogs, fires timers and
// renders windows to images. Tests and the gallery link it (zentrix_framework_testkit).
//
//     ScopedTestKit kit;                      // a headless application, answers reset
//     CMyDialog dialog;
//     ASSERT_TRUE(kit.open(dialog));          // modeless: OnInitDialog has run
//     kit.type(dialog, IDC_NAME, u"rover");
//     kit.queueMessageBoxAnswers({IDYES});
//     kit.click(dialog, IDOK);
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "framework/file_dialog.h"
#include "framework/message_box.h"
#include "framework/property_sheet.h"

namespace zentrix::framework {

class CBitmap;

/// Makes sure a Qt application exists (on the offscreen platform when no display is set).
void ensureTestApplication();

class ScopedTestKit {
  public:
    ScopedTestKit();
    ~ScopedTestKit();
    ScopedTestKit(const ScopedTestKit&) = delete;
    ScopedTestKit& operator=(const ScopedTestKit&) = delete;

    /// Opens `dialog` modeless (created, OnInitDialog run, shown on the offscreen screen).
    bool open(CDialog& dialog, CWnd* parent = nullptr);
    bool open(CPropertySheet& sheet, CWnd* parent = nullptr);

    /// The control `id` of `window`, or of a sheet's current page.
    CWnd* control(CWnd& window, UINT id) const;

    /// Taps button `id`; false when it is missing, hidden or disabled.
    bool click(CWnd& window, UINT id);
    /// Types `text` into edit (or editable combo) `id` in place of its content, key by key,
    /// so length limits and digit-only filters apply.
    bool type(CWnd& window, UINT id, WideStringView text);
    /// Chooses entry `index` of combo `id` as the user would (CBN_SELCHANGE follows).
    bool selectComboItem(CWnd& window, UINT id, int index);
    /// Opens and closes combo `id`'s list (CBN_DROPDOWN, CBN_CLOSEUP).
    bool dropDownAndClose(CWnd& window, UINT id);
    /// Taps row `row` of list `id` (selects it; NM_CLICK follows).
    bool clickListItem(CWnd& window, UINT id, int row);
    /// Double-taps row `row` (a report row activates; an icon already did on the first tap).
    bool activateListItem(CWnd& window, UINT id, int row);
    /// Presses Return in list `id`.
    bool pressReturnInList(CWnd& window, UINT id);
    /// The caption of row `row` of icon list `id` as drawn: its lines (empty when there is no
    /// such row or the list is a report).
    std::vector<WideString> listItemTextLines(CWnd& window, UINT id, int row);
    /// Taps the header of column `column` of list `id`.
    bool clickListColumn(CWnd& window, UINT id, int column);
    /// Taps tab `index` of tab control `id`.
    bool selectTab(CWnd& window, UINT id, int index);
    /// Drags slider `id` to `position` and lets go.
    bool dragSlider(CWnd& window, UINT id, int position);
    /// Taps the tab of page `index`; true when the sheet then shows it.
    bool switchPage(CPropertySheet& sheet, int index);
    /// Taps on `window` at `point` (pen down and up).
    bool tap(CWnd& window, CPoint point);
    /// The pen's single steps on `window`, for holds and gestures: down at `point`, moved to
    /// `point` with the pen still down, and lifted at `point`.
    bool pressPointer(CWnd& window, CPoint point);
    bool movePointer(CWnd& window, CPoint point);
    bool releasePointer(CWnd& window, CPoint point);

    /// Runs timer `id` of `window` now; false when that timer is not running.
    bool fireTimer(CWnd& window, UINT_PTR id);
    /// Lets queued work (posted messages, deferred paints) run.
    void processEvents();

    /// Answers for the next message boxes, in order; without one a box gets its default
    /// button's answer and counts as unanswered.
    void queueMessageBoxAnswers(const std::vector<int>& answers);
    const std::vector<MessageBoxRecord>& messageBoxes() const;
    int unansweredMessageBoxes() const { return unansweredBoxes_; }

    /// What to do with the next modal dialogs or sheets, in order (click, type ..., then end
    /// them). Without one a modal window is cancelled at once and counts as unanswered.
    void queueModalHandler(std::function<void(CWnd&)> handler);
    int unansweredModals() const { return unansweredModals_; }

    /// Answers for the next file dialogs, in order: a handheld path the user chose
    /// ("\My Documents\x.txt"), or nothing for Cancel. Without one a file dialog is cancelled
    /// and counts as unanswered; no file dialog ever shows.
    void queueFileDialogAnswer(std::optional<WideString> handheldPath);
    /// Every file dialog opened since the kit started, oldest first.
    const std::vector<FileDialogRecord>& fileDialogs() const { return fileDialogs_; }
    int unansweredFileDialogs() const { return unansweredFileDialogs_; }

    int waitCursorDepth() const;
    int waitCursorShowCount() const;

    /// Pretends the screen has `dpi` logical dots per inch (96 = scale 1); undone at the end.
    void setScreenDpi(int dpi);

    /// The window's pixels as they would show (children included).
    bool render(CWnd& window, CBitmap& image);
    bool renderToPng(CWnd& window, const std::string& path);

  private:
    std::deque<int> answers_;
    std::deque<std::function<void(CWnd&)>> modalHandlers_;
    std::deque<std::optional<WideString>> fileAnswers_;
    std::vector<FileDialogRecord> fileDialogs_;
    int unansweredFileDialogs_ = 0;
    int unansweredBoxes_ = 0;
    int unansweredModals_ = 0;
};

}  // namespace zentrix::framework

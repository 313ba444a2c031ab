// CDialog: a window made from a dialog template (resources/), modal or modeless, with the
// platform's data exchange between controls and member variables.
//
// Geometry follows the template's dialog units: x and widths in quarters of the dialog font's
// average character width, y and heights in eighths of its height. The font's pixel size comes
// from its point size and the screen's resolution (screenDpi), so the same template gives a
// 240 x 320 dialog on a 96 DPI screen and a 480 x 640 one at 192 DPI.
#pragma once

#include <functional>
#include <memory>

#include "framework/wnd.h"

class QWidget;

namespace zentrix::framework {

struct DialogTemplate;
class CDataExchange;

class CDialog : public CWnd {
  public:
    explicit CDialog(UINT templateId = 0, CWnd* parent = nullptr);
    ~CDialog() override;

    /// Creates the dialog, runs OnInitDialog, shows it and waits until EndDialog or until the
    /// window is destroyed; the value given to EndDialog (-1 when the window was destroyed
    /// without one), or -1 when the template does not exist.
    virtual int DoModal();
    /// Creates the dialog modeless (OnInitDialog has run when this returns).
    bool Create(UINT templateId, CWnd* parent = nullptr);
    bool CreateModeless() { return Create(templateId_, parent_); }
    /// Ends a modal dialog with `result` (hides a modeless one).
    void EndDialog(int result);

    virtual bool OnInitDialog();
    /// Data exchange into the members, then EndDialog(IDOK); nothing when the exchange fails.
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange* dx);
    /// Controls -> members (`saveAndValidate`) or members -> controls; false when a field is
    /// invalid.
    bool UpdateData(bool saveAndValidate = true);

    UINT GetTemplateId() const { return templateId_; }
    const DialogTemplate* GetTemplate() const;
    /// Converts a rectangle from this dialog's dialog units into pixels.
    void MapDialogRect(CRect* rect) const;
    /// The dialog font's base units in pixels: average character width and height.
    CSize GetDialogBaseUnits() const;
    /// The window icon, from icon resource `iconId`.
    void SetIcon(UINT iconId, bool bigIcon);
    bool IsModal() const;
    /// The value EndDialog was given; -1 before.
    int GetResult() const;

    bool OnNotify(const NotifyInfo& info) override;

    /// Internal: makes the dialog's window from its template as a child of `parent` (a page in
    /// a sheet) or as a top-level window (`parent` null); runs OnInitDialog. A non-empty
    /// `clientSize` replaces the template's size (a page fills its sheet's page area).
    bool createWindow(QWidget* parent, CSize clientSize = {});

  protected:
    UINT templateId_;
    CWnd* parent_;

  private:
    struct Modal;
    std::unique_ptr<Modal> modal_;
};

/// Internal: the client size in pixels a template gets at the current screen resolution.
CSize dialogTemplatePixelSize(UINT templateId);
/// Internal: the font of dialog chrome (sheet tabs and buttons) at the current resolution.
void applyChromeFont(QWidget* widget);

/// The direction and target of a data exchange; a failed field stops it.
class CDataExchange {
  public:
    CDataExchange(CWnd* dialog, bool saveAndValidate)
        : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}
    bool m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
    bool failed = false;
    /// Marks the exchange failed, focusing the field it was working on.
    void Fail();
    /// The control `id`, remembered as the field being exchanged; null when missing.
    CWnd* PrepareCtrl(UINT id);
    /// The control of the last PrepareCtrl, for the DDV_ checks that follow it.
    CWnd* lastControl() const { return lastControl_; }

  private:
    CWnd* lastControl_ = nullptr;
};

void DDX_Text(CDataExchange* dx, UINT id, WideString& value);
/// An integer field; a text that is not one shows a message and fails the exchange.
void DDX_Text(CDataExchange* dx, UINT id, int& value);
void DDX_Check(CDataExchange* dx, UINT id, int& value);
/// The index of the checked radio button in the group that starts at `firstId`, -1 for none.
void DDX_Radio(CDataExchange* dx, UINT firstId, int& value);
void DDX_CBIndex(CDataExchange* dx, UINT id, int& index);
void DDX_CBString(CDataExchange* dx, UINT id, WideString& value);
/// Makes `control` handle control `id` (once).
void DDX_Control(CDataExchange* dx, UINT id, CWnd& control);
void DDV_MaxChars(CDataExchange* dx, const WideString& value, int maxChars);
void DDV_MinMaxInt(CDataExchange* dx, int value, int minimum, int maximum);

/// Modal windows (dialogs, sheets, message boxes aside) call this, when set, after they are
/// shown and before they wait: the test kit answers them through it. A handler that leaves the
/// window open lets it wait as usual.
using ModalHandler = std::function<void(CWnd&)>;
void setModalHandler(ModalHandler handler);

/// Internal: the modal wait shared by dialogs and sheets.
class ModalLoop {
  public:
    /// Shows `window` modally and waits until `end` is called or the window is destroyed; runs
    /// the modal handler first.
    void run(CWnd& window);
    void end(int result);
    /// Ends the wait because its window is gone; the result stays what `end` gave, if anything.
    void abandon();
    bool running() const { return running_; }
    bool ended() const { return ended_; }
    int result() const { return result_; }
    void reset() {
        ended_ = false;
        result_ = -1;
    }

  private:
    bool running_ = false;
    bool ended_ = false;
    int result_ = -1;
    void* loop_ = nullptr;
};

}  // namespace zentrix::framework

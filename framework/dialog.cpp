#include "framework/dialog.h"

#include <QAbstractButton>
#include <QEventLoop>
#include <QFontMetrics>
#include <QIcon>
#include <QPointer>
#include <QRadioButton>
#include <cmath>

#include "framework/controls.h"
#include "framework/dialog_template.h"
#include "framework/message_box.h"
#include "framework/qt_drawing.h"
#include "framework/qt_window.h"
#include "framework/resources.h"

namespace zentrix::framework {
namespace {

ModalHandler& modalHandler() {
    static ModalHandler handler;
    return handler;
}

int mulDiv(int value, int numerator, int denominator) {
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator
                                         : (product - half) / denominator);
}

CRect toPixels(const CRect& dialogUnits, CSize base) {
    return CRect(mulDiv(dialogUnits.left, base.cx, 4), mulDiv(dialogUnits.top, base.cy, 8),
                 mulDiv(dialogUnits.right, base.cx, 4), mulDiv(dialogUnits.bottom, base.cy, 8));
}

struct TemplateFont {
    std::unique_ptr<CFont> font;
    CSize baseUnits;
};

TemplateFont templateFont(int points, const WideString& face) {
    TemplateFont result;
    result.font = std::make_unique<CFont>();
    LOGFONT lf;
    lf.lfHeight = -static_cast<LONG>(std::lround(points * screenDpi() / 72.0));
    setFaceName(lf, face);
    result.font->CreateFontIndirect(&lf);
    // The platform's base units: the average width of the 52 letters, rounded, and the height.
    const QFontMetrics metrics(toQFont(*result.font));
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    result.baseUnits = CSize((letters / 26 + 1) / 2, metrics.height());
    return result;
}

}  // namespace

CSize dialogTemplatePixelSize(UINT templateId) {
    const DialogTemplate* t = findDialogTemplate(templateId);
    if (!t)
        return {};
    return toPixels(CRect(0, 0, t->size.cx, t->size.cy),
                    templateFont(t->fontPoints, t->fontFace).baseUnits)
        .Size();
}

void applyChromeFont(QWidget* widget) {
    TemplateFont f = templateFont(8, u"Tahoma");
    widget->setFont(toQFont(*f.font));
}

void setModalHandler(ModalHandler handler) {
    modalHandler() = std::move(handler);
}

void ModalLoop::run(CWnd& window) {
    const QPointer<QWidget> w = window.widget();
    if (!w)
        return;
    // Destroying the window ends the wait (WindowData::modalLoop).
    windowData(w).modalLoop = this;
    w->setWindowModality(Qt::ApplicationModal);
    w->show();
    if (!ended_ && modalHandler()) {
        // Copy: the handler may install the next one (a dialog that opens another).
        ModalHandler handler = modalHandler();
        handler(window);
    }
    if (!ended_) {
        QEventLoop loop;
        loop_ = &loop;
        running_ = true;
        loop.exec();
        running_ = false;
        loop_ = nullptr;
    }
    if (WindowData* data = findWindowData(w.data()); data && data->modalLoop == this)
        data->modalLoop = nullptr;
    // A window destroyed by its own handler during the wait goes now, unless this wait runs
    // inside another window's handler.
    deleteDestroyedWindows();
}

void ModalLoop::end(int result) {
    ended_ = true;
    result_ = result;
    if (loop_)
        static_cast<QEventLoop*>(loop_)->quit();
}

void ModalLoop::abandon() {
    if (!ended_)
        end(result_);
}

struct CDialog::Modal {
    ModalLoop loop;
    bool modal = false;
};

CDialog::CDialog(UINT templateId, CWnd* parent)
    : templateId_(templateId), parent_(parent), modal_(std::make_unique<Modal>()) {}

CDialog::~CDialog() = default;

const DialogTemplate* CDialog::GetTemplate() const {
    return findDialogTemplate(templateId_);
}

bool CDialog::createWindow(QWidget* parent, CSize clientSize) {
    const DialogTemplate* t = GetTemplate();
    if (!t || IsWindow())
        return false;
    auto* w = new WndWidget(parent);
    if (!parent) {
        w->setWindowFlag(Qt::Window);
        w->setWindowTitle(QString::fromStdU16String(t->caption));
    }
    w->text = t->caption;
    WindowData& data = windowData(w);
    data.id = templateId_;
    data.style = t->style;
    TemplateFont f = templateFont(t->fontPoints, t->fontFace);
    data.ownedFont = std::move(f.font);
    data.font = data.ownedFont.get();
    data.baseUnits = f.baseUnits;
    w->setFont(toQFont(*data.ownedFont));
    CRect client = toPixels(CRect(0, 0, t->size.cx, t->size.cy), data.baseUnits);
    if (clientSize.cx > 0 && clientSize.cy > 0)
        client = CRect(CPoint(0, 0), clientSize);
    w->resize(client.Width(), client.Height());
    // Controls sit where the template puts them; a top-level dialog keeps its size.
    if (!parent)
        w->setFixedSize(client.Width(), client.Height());
    attachWidget(w, true);
    const int comboHeight = toPixels(CRect(0, 0, 0, 13), data.baseUnits).Height();
    for (const ControlTemplate& control : t->controls) {
        CRect r = toPixels(control.rect, data.baseUnits);
        // A combo box's template height is that of its open list.
        if (control.controlClass == ControlClass::ComboBox) {
            r.bottom = r.top + std::min(r.Height(), comboHeight);
        }
        createTemplateControl(control, w, r);
    }
    OnInitDialog();
    return true;
}

int CDialog::DoModal() {
    modal_->loop.reset();
    modal_->modal = true;
    QWidget* owner = parent_ ? parent_->widget() : nullptr;
    if (!createWindow(nullptr)) {
        modal_->modal = false;
        return -1;
    }
    if (widget())
        placeFixedWindow(widget(), owner);
    if (!modal_->loop.ended())
        modal_->loop.run(*this);
    const int result = modal_->loop.result();
    DestroyWindow();
    modal_->modal = false;
    return result;
}

bool CDialog::Create(UINT templateId, CWnd* parent) {
    templateId_ = templateId;
    parent_ = parent;
    modal_->loop.reset();
    modal_->modal = false;
    QWidget* owner = parent ? parent->widget() : nullptr;
    if (!createWindow(nullptr))
        return false;
    if (widget() &&
        (GetTemplate()->style & WS_CAPTION) != WS_CAPTION)  // a border alone is no caption
        makePopupWindow(widget(), owner);
    else if (widget())
        placeFixedWindow(widget(), owner);
    if (widget() && (GetTemplate()->style & WS_VISIBLE))
        widget()->show();
    return true;
}

void CDialog::EndDialog(int result) {
    modal_->loop.end(result);
    if (QWidget* w = widget(); w && w->isWindow())
        w->hide();
}

bool CDialog::IsModal() const {
    return modal_->modal;
}
int CDialog::GetResult() const {
    return modal_->loop.result();
}

bool CDialog::OnInitDialog() {
    UpdateData(false);
    return true;
}

void CDialog::OnOK() {
    if (!UpdateData(true))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void CDialog::DoDataExchange(CDataExchange*) {}

bool CDialog::UpdateData(bool saveAndValidate) {
    if (!IsWindow())
        return false;
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return !dx.failed;
}

void CDialog::MapDialogRect(CRect* rect) const {
    *rect = toPixels(*rect, GetDialogBaseUnits());
}

CSize CDialog::GetDialogBaseUnits() const {
    WindowData* data = findWindowData(widget());
    return data ? data->baseUnits : CSize(6, 13);
}

void CDialog::SetIcon(UINT iconId, bool) {
    QWidget* w = widget();
    const QImage image = iconResourceImage(iconId);
    if (!w || image.isNull())
        return;
    w->window()->setWindowIcon(QIcon(QPixmap::fromImage(image)));
}

bool CDialog::OnNotify(const NotifyInfo& info) {
    if (CWnd::OnNotify(info))
        return true;
    if (info.code == BN_CLICKED && info.idFrom == static_cast<UINT>(IDOK)) {
        OnOK();
        return true;
    }
    if (info.code == BN_CLICKED && info.idFrom == static_cast<UINT>(IDCANCEL)) {
        OnCancel();
        return true;
    }
    return false;
}

// ---- Data exchange ----

void CDataExchange::Fail() {
    failed = true;
    if (lastControl_)
        lastControl_->SetFocus();
}

CWnd* CDataExchange::PrepareCtrl(UINT id) {
    lastControl_ = m_pDlgWnd ? m_pDlgWnd->GetDlgItem(id) : nullptr;
    return lastControl_;
}

void DDX_Text(CDataExchange* dx, UINT id, WideString& value) {
    if (dx->failed)
        return;
    CWnd* control = dx->PrepareCtrl(id);
    if (!control)
        return;
    if (dx->m_bSaveAndValidate) {
        value = control->GetWindowText();
    } else {
        control->SetWindowText(value);
    }
}

void DDX_Text(CDataExchange* dx, UINT id, int& value) {
    if (dx->failed)
        return;
    CWnd* control = dx->PrepareCtrl(id);
    if (!control)
        return;
    if (!dx->m_bSaveAndValidate) {
        dx->m_pDlgWnd->SetDlgItemInt(id, value);
        return;
    }
    bool ok = false;
    int parsed = dx->m_pDlgWnd->GetDlgItemInt(id, &ok);
    if (!ok) {
        showMessageBox(dx->m_pDlgWnd, u"Please enter an integer.", {}, MB_OK | MB_ICONEXCLAMATION);
        dx->Fail();
        return;
    }
    value = parsed;
}

void DDX_Check(CDataExchange* dx, UINT id, int& value) {
    if (dx->failed)
        return;
    auto* button = dynamic_cast<CButton*>(dx->PrepareCtrl(id));
    if (!button)
        return;
    if (dx->m_bSaveAndValidate) {
        value = button->GetCheck();
    } else {
        button->SetCheck(value);
    }
}

void DDX_Radio(CDataExchange* dx, UINT firstId, int& value) {
    if (dx->failed)
        return;
    CWnd* first = dx->PrepareCtrl(firstId);
    if (!first || !first->widget() || !first->widget()->parentWidget())
        return;
    // The group: the first button and the radio buttons after it up to the next WS_GROUP.
    std::vector<CButton*> group;
    bool inGroup = false;
    for (QObject* child : first->widget()->parentWidget()->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        WindowData* data = findWindowData(w);
        if (!data || data->destroyed)
            continue;
        if (w == first->widget()) {
            inGroup = true;
        } else if (inGroup && (data->style & WS_GROUP)) {
            break;
        }
        if (inGroup && qobject_cast<QRadioButton*>(w)) {
            group.push_back(dynamic_cast<CButton*>(data->owner));
        }
    }
    if (dx->m_bSaveAndValidate) {
        value = -1;
        for (size_t i = 0; i < group.size(); ++i) {
            if (group[i] && group[i]->GetCheck())
                value = static_cast<int>(i);
        }
    } else {
        for (size_t i = 0; i < group.size(); ++i) {
            if (group[i])
                group[i]->SetCheck(static_cast<int>(i) == value ? 1 : 0);
        }
    }
}

void DDX_CBIndex(CDataExchange* dx, UINT id, int& index) {
    if (dx->failed)
        return;
    auto* combo = dynamic_cast<CComboBox*>(dx->PrepareCtrl(id));
    if (!combo)
        return;
    if (dx->m_bSaveAndValidate) {
        index = combo->GetCurSel();
    } else {
        combo->SetCurSel(index);
    }
}

void DDX_CBString(CDataExchange* dx, UINT id, WideString& value) {
    if (dx->failed)
        return;
    auto* combo = dynamic_cast<CComboBox*>(dx->PrepareCtrl(id));
    if (!combo)
        return;
    if (dx->m_bSaveAndValidate) {
        value = combo->GetWindowText();
    } else if (combo->SelectString(-1, value) == CB_ERR) {
        combo->SetWindowText(value);
    }
}

void DDX_Control(CDataExchange* dx, UINT id, CWnd& control) {
    if (dx->failed || control.IsWindow())
        return;
    control.SubclassDlgItem(id, dx->m_pDlgWnd);
}

void DDV_MaxChars(CDataExchange* dx, const WideString& value, int maxChars) {
    if (dx->failed)
        return;
    if (dx->m_bSaveAndValidate) {
        if (static_cast<int>(value.size()) > maxChars)
            dx->Fail();
        return;
    }
    // Loading: the field itself refuses longer input from now on.
    if (auto* edit = dynamic_cast<CEdit*>(dx->lastControl()))
        edit->LimitText(maxChars);
}

void DDV_MinMaxInt(CDataExchange* dx, int value, int minimum, int maximum) {
    if (dx->failed || !dx->m_bSaveAndValidate)
        return;
    if (value < minimum || value > maximum) {
        std::string text = "Please enter an integer between " + std::to_string(minimum) + " and " +
                           std::to_string(maximum) + ".";
        showMessageBox(dx->m_pDlgWnd, WideString(text.begin(), text.end()), {},
                       MB_OK | MB_ICONEXCLAMATION);
        dx->Fail();
    }
}

}  // namespace zentrix::framework

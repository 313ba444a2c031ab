#include "framework/controls.h"

#include <QAbstractItemView>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSlider>
#include <QTabBar>
#include <utility>

#include "framework/dialog_template.h"
#include "framework/list_ctrl.h"
#include "framework/qt_drawing.h"
#include "framework/qt_window.h"
#include "framework/resources.h"
#include "framework/resources_data.h"
#include "framework/system_colors.h"

namespace zentrix::framework {
namespace {

QString qs(WideStringView text) {
    return QString::fromStdU16String(WideString(text));
}
WideString ws(const QString& text) {
    return text.toStdU16String();
}

void notify(QWidget* control, UINT code, int item = -1, int pos = 0) {
    NotifyInfo info;
    info.code = code;
    info.iItem = item;
    info.nPos = pos;
    notifyFromWidget(control, info);
}

// Focus changes of edits, which Qt reports as events rather than signals.
class FocusNotifier : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject* object, QEvent* event) override {
        auto* widget = qobject_cast<QWidget*>(object);
        if (event->type() == QEvent::FocusIn)
            notify(widget, EN_SETFOCUS);
        if (event->type() == QEvent::FocusOut)
            notify(widget, EN_KILLFOCUS);
        return false;
    }
};

class ComboWidget : public QComboBox {
  public:
    using QComboBox::QComboBox;
    void showPopup() override {
        notify(this, CBN_DROPDOWN);
        open_ = true;
        QComboBox::showPopup();
    }
    void hidePopup() override {
        QComboBox::hidePopup();
        // Qt also closes a list that never opened (when the combo hides); only a real close
        // counts.
        if (std::exchange(open_, false))
            notify(this, CBN_CLOSEUP);
    }
    bool sorted = false;

  private:
    bool open_ = false;
};

QWidget* makeWidget(ControlClass controlClass, DWORD style, QWidget* parent) {
    switch (controlClass) {
        case ControlClass::Static:
            return new WndWidget(parent);
        case ControlClass::Button: {
            QAbstractButton* button = nullptr;
            switch (style & BS_TYPEMASK) {
                case BS_GROUPBOX: {
                    auto* box = new QGroupBox(parent);
                    box->setAttribute(Qt::WA_TransparentForMouseEvents);
                    return box;
                }
                case BS_CHECKBOX:
                case BS_AUTOCHECKBOX:
                    button = new QCheckBox(parent);
                    break;
                case BS_RADIOBUTTON:
                case BS_AUTORADIOBUTTON: {
                    auto* radio = new QRadioButton(parent);
                    radio->setAutoExclusive(false);
                    // A WS_GROUP radio starts a group; the others join their parent's last one.
                    auto* group = parent->property("zxRadioGroup").value<QButtonGroup*>();
                    if (!group || (style & WS_GROUP)) {
                        group = new QButtonGroup(parent);
                        parent->setProperty("zxRadioGroup", QVariant::fromValue(group));
                    }
                    group->addButton(radio);
                    button = radio;
                    break;
                }
                default: {
                    auto* push = new QPushButton(parent);
                    push->setAutoDefault(false);
                    push->setDefault((style & BS_TYPEMASK) == BS_DEFPUSHBUTTON);
                    button = push;
                    break;
                }
            }
            // The style draws check marks and radio dots for 96 DPI; a finger on a finer screen
            // needs them as large as the text beside them.
            if (screenScale() > 1.0 && button->isCheckable()) {
                button->setStyleSheet(
                    QStringLiteral("::indicator { width: %1px; height: %1px; }").arg(ScaleX(13)));
            }
            QObject::connect(button, &QAbstractButton::clicked, button, [button, style] {
                // A plain (not automatic) check box leaves the state to the program.
                if ((style & BS_TYPEMASK) == BS_CHECKBOX)
                    button->setChecked(!button->isChecked());
                notify(button, BN_CLICKED);
            });
            return button;
        }
        case ControlClass::Edit: {
            if (style & ES_MULTILINE) {
                auto* edit = new QPlainTextEdit(parent);
                edit->setReadOnly(style & ES_READONLY);
                QObject::connect(edit, &QPlainTextEdit::textChanged, edit,
                                 [edit] { notify(edit, EN_CHANGE); });
                return edit;
            }
            auto* edit = new QLineEdit(parent);
            if (style & ES_PASSWORD)
                edit->setEchoMode(QLineEdit::Password);
            if (style & ES_NUMBER) {
                edit->setValidator(
                    new QRegularExpressionValidator(QRegularExpression("[0-9]*"), edit));
            }
            edit->setReadOnly(style & ES_READONLY);
            edit->setFrame(style & WS_BORDER);
            if (style & ES_CENTER)
                edit->setAlignment(Qt::AlignCenter);
            if (style & ES_RIGHT)
                edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (style & (ES_UPPERCASE | ES_LOWERCASE)) {
                QObject::connect(edit, &QLineEdit::textEdited, edit, [edit, style](QString t) {
                    int cursor = edit->cursorPosition();
                    edit->setText((style & ES_UPPERCASE) ? t.toUpper() : t.toLower());
                    edit->setCursorPosition(cursor);
                });
            }
            QObject::connect(edit, &QLineEdit::textChanged, edit,
                             [edit] { notify(edit, EN_CHANGE); });
            edit->installEventFilter(new FocusNotifier(edit));
            return edit;
        }
        case ControlClass::ComboBox: {
            auto* combo = new ComboWidget(parent);
            const DWORD type = style & CBS_TYPEMASK;
            combo->setEditable(type == CBS_DROPDOWN || type == CBS_SIMPLE);
            combo->sorted = style & CBS_SORT;
            combo->setInsertPolicy(QComboBox::NoInsert);
            if (combo->isEditable()) {
                combo->setCompleter(nullptr);
                QObject::connect(combo->lineEdit(), &QLineEdit::textEdited, combo,
                                 [combo] { notify(combo, CBN_EDITCHANGE); });
            }
            QObject::connect(combo, &QComboBox::activated, combo,
                             [combo](int index) { notify(combo, CBN_SELCHANGE, index); });
            return combo;
        }
        case ControlClass::ListView:
            return createListWidget(style, parent);
        case ControlClass::TabControl: {
            auto* tabs = new QTabBar(parent);
            tabs->setExpanding(false);
            tabs->setDrawBase(true);
            if (style & TCS_BOTTOM)
                tabs->setShape(QTabBar::RoundedSouth);
            QObject::connect(tabs, &QTabBar::currentChanged, tabs,
                             [tabs](int index) { notify(tabs, TCN_SELCHANGE, index); });
            return tabs;
        }
        case ControlClass::Slider: {
            auto* slider = new QSlider((style & TBS_VERT) ? Qt::Vertical : Qt::Horizontal, parent);
            slider->setRange(0, 100);
            if (style & TBS_AUTOTICKS)
                slider->setTickPosition(QSlider::TicksBelow);
            QObject::connect(slider, &QSlider::sliderMoved, slider,
                             [slider](int pos) { notify(slider, TB_THUMBTRACK, -1, pos); });
            QObject::connect(slider, &QSlider::sliderReleased, slider, [slider] {
                notify(slider, TB_THUMBPOSITION, -1, slider->value());
                // The handler may have destroyed the slider's window (a page that goes).
                if (isLiveWindow(slider))
                    notify(slider, TB_ENDTRACK, -1, slider->value());
            });
            // Steps by keys or by tapping beside the thumb end a track of their own.
            QObject::connect(slider, &QSlider::valueChanged, slider, [slider](int pos) {
                if (!slider->isSliderDown())
                    notify(slider, TB_ENDTRACK, -1, pos);
            });
            return slider;
        }
    }
    return new WndWidget(parent);
}

std::unique_ptr<CWnd> makeObject(ControlClass controlClass) {
    switch (controlClass) {
        case ControlClass::Static:
            return std::make_unique<CStatic>();
        case ControlClass::Button:
            return std::make_unique<CButton>();
        case ControlClass::Edit:
            return std::make_unique<CEdit>();
        case ControlClass::ComboBox:
            return std::make_unique<CComboBox>();
        case ControlClass::ListView:
            return std::make_unique<CListCtrl>();
        case ControlClass::TabControl:
            return std::make_unique<CTabCtrl>();
        case ControlClass::Slider:
            return std::make_unique<CSliderCtrl>();
    }
    return std::make_unique<CWnd>();
}

// Makes a control from code: the widget, owned by `object`, as a child of `parent`.
bool createControl(CWnd& object, ControlClass controlClass, WideStringView text, DWORD style,
                   const CRect& rect, CWnd* parent, UINT id) {
    if (object.IsWindow() || !parent || !parent->widget())
        return false;
    QWidget* w = makeWidget(controlClass, style, parent->widget());
    WindowData& data = windowData(w);
    data.id = id;
    data.style = style;
    w->setGeometry(rect.left, rect.top, std::max(0, rect.Width()), std::max(0, rect.Height()));
    w->setEnabled(!(style & WS_DISABLED));
    object.attachWidget(w, true);
    object.PreSubclassWindow();
    if (!text.empty())
        object.SetWindowText(text);
    w->setVisible(style & WS_VISIBLE);
    return true;
}

QImage imageResource(const WideString& nameOrNumber) {
    std::string key(nameOrNumber.begin(), nameOrNumber.end());
    UINT id = 0;
    try {
        id = static_cast<UINT>(std::stoul(key));
    } catch (...) {
        const BuiltInResources& r = zentrixBuiltInResources();
        for (std::size_t i = 0; i < r.imageCount; ++i) {
            if (key == r.images[i].name)
                id = r.images[i].id;
        }
    }
    QImage image;
    if (auto bytes = bitmapResourceBytes(id)) {
        image.loadFromData(reinterpret_cast<const uchar*>(bytes->data()),
                           static_cast<int>(bytes->size()));
    }
    return image;
}

template <class W>
W* as(const CWnd* wnd) {
    return qobject_cast<W*>(wnd->widget());
}

}  // namespace

QWidget* createTemplateControl(const ControlTemplate& control, QWidget* parent,
                               const CRect& geometry) {
    QWidget* w = makeWidget(control.controlClass, control.style, parent);
    WindowData& data = windowData(w);
    data.id = control.id;
    data.style = control.style;
    data.defaultWrapper = makeObject(control.controlClass);
    data.defaultWrapper->attachWidget(w, false);
    w->setGeometry(geometry.left, geometry.top, geometry.Width(), geometry.Height());
    CWnd* object = data.defaultWrapper.get();
    const DWORD type = control.style & SS_TYPEMASK;
    if (control.controlClass == ControlClass::Static && (type == SS_BITMAP || type == SS_ICON)) {
        // An icon is drawn with its mask; a template bitmap shows the dialog's background there
        // (DefaultPaint).
        data.image =
            type == SS_ICON ? keyedOut(imageResource(control.text)) : imageResource(control.text);
    } else if (!control.text.empty()) {
        object->SetWindowText(control.text);
    }
    if (auto* combo = dynamic_cast<CComboBox*>(object)) {
        for (const auto& item : control.items) combo->AddString(item);
    } else if (auto* tabs = dynamic_cast<CTabCtrl*>(object)) {
        for (const auto& item : control.items) tabs->InsertItem(tabs->GetItemCount(), item);
    } else if (auto* list = dynamic_cast<CListCtrl*>(object)) {
        for (const auto& item : control.items) list->InsertItem(list->GetItemCount(), item);
    }
    w->setEnabled(!(control.style & WS_DISABLED));
    w->setVisible(control.style & WS_VISIBLE);
    return w;
}

// ---- CStatic ----

bool CStatic::Create(WideStringView text, DWORD style, const CRect& rect, CWnd* parent, UINT id) {
    return createControl(*this, ControlClass::Static, text, style, rect, parent, id);
}

namespace {

// The program's object for a picture's data, or one made for it when the program's is gone.
CBitmap* bitmapObject(WindowData& data, const std::shared_ptr<GdiData>& bitmap) {
    if (!bitmap)
        return nullptr;
    if (bitmap->owner)
        return static_cast<CBitmap*>(bitmap->owner);
    auto standIn = std::make_unique<CBitmap>();
    standIn->adopt(bitmap);
    data.bitmapStandIns.push_back(std::move(standIn));
    return data.bitmapStandIns.back().get();
}

}  // namespace

CBitmap* CStatic::SetBitmap(CBitmap* bitmap) {
    QWidget* w = widget();
    if (!w)
        return nullptr;
    WindowData& data = windowData(w);
    // The control keeps the bitmap's pixels, as a context keeps what is selected into it: a
    // page may show a bitmap local to OnInitDialog, or delete its object while it shows.
    std::shared_ptr<GdiData> previous =
        std::exchange(data.bitmap, bitmap ? bitmap->data() : std::shared_ptr<GdiData>());
    Invalidate();
    return bitmapObject(data, previous);
}

CBitmap* CStatic::GetBitmap() const {
    WindowData* data = findWindowData(widget());
    return data ? bitmapObject(*data, data->bitmap) : nullptr;
}

void CStatic::DefaultPaint(CDC& dc) {
    QPainter* painter = painterOf(dc);
    WindowData* data = findWindowData(widget());
    if (!painter || !data)
        return;
    // The erase handler's context may have left its own mode on the shared painter.
    painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    CRect rect;
    GetClientRect(&rect);
    const QRect area(0, 0, rect.Width(), rect.Height());
    const DWORD type = data->style & SS_TYPEMASK;
    if (type == SS_BITMAP || type == SS_ICON) {
        QImage image =
            data->bitmap ? static_cast<const BitmapData&>(*data->bitmap).image : data->image;
        if (image.isNull())
            return;
        // Icons stand for themselves: the magenta mask of a template image shows the
        // background. Composed here into an opaque image, so the painter's mode does not matter.
        if (data->image.cacheKey() == image.cacheKey() && !image.hasAlphaChannel()) {
            QImage composed = image.convertToFormat(QImage::Format_RGB32);
            const QRgb background = toQColor(BackgroundColor()).rgb();
            for (int y = 0; y < composed.height(); ++y) {
                auto* line = reinterpret_cast<QRgb*>(composed.scanLine(y));
                for (int x = 0; x < composed.width(); ++x) {
                    if ((line[x] & 0xFFFFFF) == 0xFF00FF)
                        line[x] = background;
                }
            }
            image = composed;
        }
        if (screenScale() != 1.0) {
            image = image.scaled(image.size() * screenScale(), Qt::IgnoreAspectRatio,
                                 Qt::FastTransformation);
        }
        QPoint at(0, 0);
        if (data->style & SS_CENTERIMAGE || type == SS_ICON) {
            at = QPoint((area.width() - image.width()) / 2, (area.height() - image.height()) / 2);
        }
        painter->drawImage(at, image);
        return;
    }
    auto* ww = dynamic_cast<WndWidget*>(widget());
    if (!ww)
        return;
    int flags = Qt::TextShowMnemonic;
    if (data->style & SS_NOPREFIX)
        flags = 0;
    if (type == SS_CENTER) {
        flags |= Qt::AlignHCenter;
    } else if (type == SS_RIGHT) {
        flags |= Qt::AlignRight;
    } else {
        flags |= Qt::AlignLeft;
    }
    flags |= (data->style & SS_CENTERIMAGE) ? Qt::AlignVCenter : Qt::AlignTop;
    flags |= Qt::TextWordWrap;
    painter->setFont(ww->font());
    painter->setPen(toQColor(GetSysColor(ww->isEnabled() ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT)));
    painter->drawText(area, flags, qs(ww->text));
}

// ---- CButton ----

bool CButton::Create(WideStringView text, DWORD style, const CRect& rect, CWnd* parent, UINT id) {
    return createControl(*this, ControlClass::Button, text, style, rect, parent, id);
}

int CButton::GetCheck() const {
    auto* button = as<QAbstractButton>(this);
    return button && button->isChecked() ? BST_CHECKED : BST_UNCHECKED;
}

void CButton::SetCheck(int check) {
    auto* button = as<QAbstractButton>(this);
    if (!button || !button->isCheckable())
        return;
    // A radio button's group is exclusive only through the program or the user's tap, as on the
    // platform: checking one here does not clear the others unless the group says so.
    auto* group = button->group();
    const bool exclusive = group && group->exclusive();
    if (group && check != BST_CHECKED)
        group->setExclusive(false);
    button->setChecked(check == BST_CHECKED);
    if (group)
        group->setExclusive(exclusive);
}

void CButton::SetWindowText(WideStringView text) {
    if (auto* button = as<QAbstractButton>(this)) {
        button->setText(qs(text));
    } else if (auto* box = as<QGroupBox>(this)) {
        box->setTitle(qs(text));
    }
}

WideString CButton::GetWindowText() const {
    if (auto* button = as<QAbstractButton>(this))
        return ws(button->text());
    if (auto* box = as<QGroupBox>(this))
        return ws(box->title());
    return {};
}

// ---- CEdit ----

bool CEdit::Create(DWORD style, const CRect& rect, CWnd* parent, UINT id) {
    return createControl(*this, ControlClass::Edit, {}, style, rect, parent, id);
}

void CEdit::LimitText(int maxChars) {
    if (auto* edit = as<QLineEdit>(this))
        edit->setMaxLength(maxChars > 0 ? maxChars : 32767);
}

int CEdit::GetLimitText() const {
    auto* edit = as<QLineEdit>(this);
    return edit ? edit->maxLength() : 0;
}

void CEdit::SetSel(int start, int end) {
    if (auto* edit = as<QLineEdit>(this)) {
        const int length = static_cast<int>(edit->text().size());
        if (start == -1) {
            edit->deselect();
            return;
        }
        if (end < 0 || end > length)
            end = length;
        start = std::clamp(start, 0, length);
        edit->setSelection(start, end - start);
    }
}

void CEdit::GetSel(int& start, int& end) const {
    start = end = 0;
    if (auto* edit = as<QLineEdit>(this)) {
        if (edit->hasSelectedText()) {
            start = edit->selectionStart();
            end = edit->selectionEnd();
        } else {
            start = end = edit->cursorPosition();
        }
    }
}

void CEdit::ReplaceSel(WideStringView text) {
    if (auto* edit = as<QLineEdit>(this)) {
        edit->insert(qs(text));
    } else if (auto* plain = as<QPlainTextEdit>(this)) {
        plain->insertPlainText(qs(text));
    }
}

void CEdit::SetReadOnly(bool readOnly) {
    if (auto* edit = as<QLineEdit>(this))
        edit->setReadOnly(readOnly);
    if (auto* plain = as<QPlainTextEdit>(this))
        plain->setReadOnly(readOnly);
}

void CEdit::SetPasswordChar(char16_t ch) {
    if (auto* edit = as<QLineEdit>(this)) {
        edit->setEchoMode(ch ? QLineEdit::Password : QLineEdit::Normal);
    }
}

void CEdit::SetWindowText(WideStringView text) {
    if (auto* edit = as<QLineEdit>(this)) {
        // Qt cuts at the length limit too; the validator of a digits-only edit applies only to
        // typing, as on the platform.
        edit->setText(qs(text));
    } else if (auto* plain = as<QPlainTextEdit>(this)) {
        plain->setPlainText(qs(text));
    }
}

WideString CEdit::GetWindowText() const {
    if (auto* edit = as<QLineEdit>(this))
        return ws(edit->text());
    if (auto* plain = as<QPlainTextEdit>(this))
        return ws(plain->toPlainText());
    return {};
}

// ---- CComboBox ----

bool CComboBox::Create(DWORD style, const CRect& rect, CWnd* parent, UINT id) {
    return createControl(*this, ControlClass::ComboBox, {}, style, rect, parent, id);
}

int CComboBox::AddString(WideStringView text) {
    auto* combo = dynamic_cast<ComboWidget*>(widget());
    if (!combo)
        return CB_ERR;
    int index = combo->count();
    if (combo->sorted) {
        const QString t = qs(text);
        index = 0;
        while (index < combo->count() &&
               QString::compare(combo->itemText(index), t, Qt::CaseInsensitive) <= 0) {
            ++index;
        }
    }
    return InsertString(index, text);
}

int CComboBox::InsertString(int index, WideStringView text) {
    auto* combo = as<QComboBox>(this);
    if (!combo || index > combo->count())
        return CB_ERR;
    if (index < 0)
        index = combo->count();
    const QSignalBlocker block(combo);
    const QString editText = combo->isEditable() ? combo->currentText() : QString();
    const int selected = combo->currentIndex();
    combo->insertItem(index, qs(text), QVariant::fromValue<qulonglong>(0));
    // Inserting into an empty list must not select the new entry: the platform keeps none.
    if (selected < 0)
        combo->setCurrentIndex(-1);
    if (combo->isEditable())
        combo->setEditText(editText);
    return index;
}

int CComboBox::DeleteString(UINT index) {
    auto* combo = as<QComboBox>(this);
    if (!combo || static_cast<int>(index) >= combo->count())
        return CB_ERR;
    const QSignalBlocker block(combo);
    combo->removeItem(static_cast<int>(index));
    return combo->count();
}

void CComboBox::ResetContent() {
    if (auto* combo = as<QComboBox>(this)) {
        const QSignalBlocker block(combo);
        combo->clear();
        if (combo->isEditable())
            combo->setEditText({});
    }
}

int CComboBox::GetCount() const {
    auto* combo = as<QComboBox>(this);
    return combo ? combo->count() : CB_ERR;
}

int CComboBox::GetCurSel() const {
    auto* combo = as<QComboBox>(this);
    return combo ? combo->currentIndex() : CB_ERR;
}

int CComboBox::SetCurSel(int index) {
    auto* combo = as<QComboBox>(this);
    if (!combo)
        return CB_ERR;
    const QSignalBlocker block(combo);
    if (index < 0 || index >= combo->count()) {
        combo->setCurrentIndex(-1);
        return index < 0 ? -1 : CB_ERR;
    }
    combo->setCurrentIndex(index);
    return index;
}

int CComboBox::GetLBText(int index, WideString& text) const {
    auto* combo = as<QComboBox>(this);
    if (!combo || index < 0 || index >= combo->count())
        return CB_ERR;
    text = ws(combo->itemText(index));
    return static_cast<int>(text.size());
}

WideString CComboBox::GetLBText(int index) const {
    WideString text;
    GetLBText(index, text);
    return text;
}

int CComboBox::GetLBTextLen(int index) const {
    WideString text;
    return GetLBText(index, text);
}

int CComboBox::SetItemData(int index, DWORD_PTR data) {
    auto* combo = as<QComboBox>(this);
    if (!combo || index < 0 || index >= combo->count())
        return CB_ERR;
    combo->setItemData(index, QVariant::fromValue<qulonglong>(data));
    return 0;
}

DWORD_PTR CComboBox::GetItemData(int index) const {
    auto* combo = as<QComboBox>(this);
    if (!combo || index < 0 || index >= combo->count())
        return static_cast<DWORD_PTR>(CB_ERR);
    return static_cast<DWORD_PTR>(combo->itemData(index).value<qulonglong>());
}

namespace {

int findInCombo(const QComboBox* combo, int startAfter, const QString& text, bool exact) {
    if (!combo)
        return CB_ERR;
    const int count = combo->count();
    if (count == 0)
        return CB_ERR;
    const int first = (startAfter < 0 || startAfter >= count) ? 0 : startAfter + 1;
    for (int n = 0; n < count; ++n) {
        const int i = (first + n) % count;
        const QString item = combo->itemText(i);
        const bool match = exact ? QString::compare(item, text, Qt::CaseInsensitive) == 0
                                 : item.startsWith(text, Qt::CaseInsensitive);
        if (match)
            return i;
    }
    return CB_ERR;
}

}  // namespace

int CComboBox::FindString(int startAfter, WideStringView prefix) const {
    return findInCombo(as<QComboBox>(this), startAfter, qs(prefix), false);
}

int CComboBox::FindStringExact(int startAfter, WideStringView text) const {
    return findInCombo(as<QComboBox>(this), startAfter, qs(text), true);
}

int CComboBox::SelectString(int startAfter, WideStringView prefix) {
    int index = FindString(startAfter, prefix);
    if (index != CB_ERR)
        SetCurSel(index);
    return index;
}

bool CComboBox::LimitText(int maxChars) {
    auto* combo = as<QComboBox>(this);
    if (!combo || !combo->lineEdit())
        return false;
    combo->lineEdit()->setMaxLength(maxChars > 0 ? maxChars : 32767);
    return true;
}

void CComboBox::ShowDropDown(bool show) {
    if (auto* combo = as<QComboBox>(this)) {
        if (show) {
            combo->showPopup();
        } else {
            combo->hidePopup();
        }
    }
}

bool CComboBox::GetDroppedState() const {
    auto* combo = as<QComboBox>(this);
    return combo && combo->view() && combo->view()->isVisible();
}

WideString CComboBox::GetWindowText() const {
    auto* combo = as<QComboBox>(this);
    return combo ? ws(combo->currentText()) : WideString();
}

void CComboBox::SetWindowText(WideStringView text) {
    auto* combo = as<QComboBox>(this);
    if (combo && combo->isEditable()) {
        const QSignalBlocker block(combo);
        combo->setEditText(qs(text));
    }
}

// ---- CTabCtrl ----

bool CTabCtrl::Create(DWORD style, const CRect& rect, CWnd* parent, UINT id) {
    return createControl(*this, ControlClass::TabControl, {}, style, rect, parent, id);
}

int CTabCtrl::InsertItem(int index, WideStringView text) {
    auto* tabs = as<QTabBar>(this);
    if (!tabs)
        return -1;
    const QSignalBlocker block(tabs);
    return tabs->insertTab(index, qs(text));
}

bool CTabCtrl::DeleteItem(int index) {
    auto* tabs = as<QTabBar>(this);
    if (!tabs || index < 0 || index >= tabs->count())
        return false;
    const QSignalBlocker block(tabs);
    tabs->removeTab(index);
    return true;
}

bool CTabCtrl::DeleteAllItems() {
    auto* tabs = as<QTabBar>(this);
    if (!tabs)
        return false;
    const QSignalBlocker block(tabs);
    while (tabs->count() > 0) tabs->removeTab(0);
    return true;
}

int CTabCtrl::GetItemCount() const {
    auto* tabs = as<QTabBar>(this);
    return tabs ? tabs->count() : 0;
}

int CTabCtrl::GetCurSel() const {
    auto* tabs = as<QTabBar>(this);
    return tabs ? tabs->currentIndex() : -1;
}

int CTabCtrl::SetCurSel(int index) {
    auto* tabs = as<QTabBar>(this);
    if (!tabs || index < 0 || index >= tabs->count())
        return -1;
    const int previous = tabs->currentIndex();
    const QSignalBlocker block(tabs);
    tabs->setCurrentIndex(index);
    return previous;
}

WideString CTabCtrl::GetItemText(int index) const {
    auto* tabs = as<QTabBar>(this);
    return tabs ? ws(tabs->tabText(index)) : WideString();
}

bool CTabCtrl::SetItemText(int index, WideStringView text) {
    auto* tabs = as<QTabBar>(this);
    if (!tabs || index < 0 || index >= tabs->count())
        return false;
    tabs->setTabText(index, qs(text));
    return true;
}

bool CTabCtrl::GetItemRect(int index, CRect* rect) const {
    auto* tabs = as<QTabBar>(this);
    if (!tabs || index < 0 || index >= tabs->count())
        return false;
    QRect r = tabs->tabRect(index);
    *rect = CRect(r.left(), r.top(), r.left() + r.width(), r.top() + r.height());
    return true;
}

// ---- CSliderCtrl ----

bool CSliderCtrl::Create(DWORD style, const CRect& rect, CWnd* parent, UINT id) {
    return createControl(*this, ControlClass::Slider, {}, style, rect, parent, id);
}

void CSliderCtrl::SetRange(int minimum, int maximum, bool) {
    if (auto* slider = as<QSlider>(this)) {
        const QSignalBlocker block(slider);
        slider->setRange(minimum, maximum);
    }
}

void CSliderCtrl::GetRange(int& minimum, int& maximum) const {
    auto* slider = as<QSlider>(this);
    minimum = slider ? slider->minimum() : 0;
    maximum = slider ? slider->maximum() : 0;
}

int CSliderCtrl::GetRangeMin() const {
    auto* slider = as<QSlider>(this);
    return slider ? slider->minimum() : 0;
}

int CSliderCtrl::GetRangeMax() const {
    auto* slider = as<QSlider>(this);
    return slider ? slider->maximum() : 0;
}

void CSliderCtrl::SetPos(int position) {
    if (auto* slider = as<QSlider>(this)) {
        const QSignalBlocker block(slider);
        slider->setValue(position);
    }
}

int CSliderCtrl::GetPos() const {
    auto* slider = as<QSlider>(this);
    return slider ? slider->value() : 0;
}

void CSliderCtrl::SetTicFreq(int frequency) {
    if (auto* slider = as<QSlider>(this))
        slider->setTickInterval(frequency);
}

int CSliderCtrl::SetPageSize(int size) {
    auto* slider = as<QSlider>(this);
    if (!slider)
        return 0;
    const int previous = slider->pageStep();
    slider->setPageStep(size);
    return previous;
}

int CSliderCtrl::SetLineSize(int size) {
    auto* slider = as<QSlider>(this);
    if (!slider)
        return 0;
    const int previous = slider->singleStep();
    slider->setSingleStep(size);
    return previous;
}

}  // namespace zentrix::framework

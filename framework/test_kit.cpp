#include "framework/test_kit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSlider>
#include <QTabBar>
#include <QTableView>
#include <QTimer>
#include <clocale>
#include <cstdlib>

#include "framework/busy_wait.h"
#include "framework/qt_drawing.h"
#include "framework/qt_window.h"

namespace zentrix::framework {
namespace {

template <class W>
W* find(CWnd* wnd) {
    if (!wnd || !wnd->widget())
        return nullptr;
    if (auto* w = qobject_cast<W*>(wnd->widget()))
        return w;
    return wnd->widget()->findChild<W*>();
}

bool usable(CWnd* wnd) {
    return wnd && wnd->IsWindowVisible() && wnd->IsWindowEnabled();
}

void sendMouse(QWidget* target, QEvent::Type type, QPoint at) {
    QMouseEvent event(type, QPointF(at), target->mapToGlobal(QPointF(at)), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

void sendKey(QWidget* target, int key, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &release);
}

QAbstractItemView* listView(CWnd* wnd) {
    if (!wnd || !wnd->widget())
        return nullptr;
    auto* view = wnd->widget()->findChild<QAbstractItemView*>();
    if (view)
        view->doItemsLayout();
    return view;
}

}  // namespace

void ensureTestApplication() {
    if (QApplication::instance())
        return;
    if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") &&
        !std::getenv("WAYLAND_DISPLAY")) {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    }
    static int argc = 1;
    static char name[] = "zentrix-test";
    static char* argv[] = {name, nullptr};
    // Lives as long as the process: Qt allows one application object, and destroying it
    // among the exit handlers would run after Qt's own globals are gone.
    new QApplication(argc, argv);
    // As in the program, long receiver waits on this thread keep the windows painted.
    installBusyWaitHookForProcess();
    // As the program does: Qt set the C library's locale from the environment, numbers keep ".".
    std::setlocale(LC_NUMERIC, "C");
}

ScopedTestKit::ScopedTestKit() {
    ensureTestApplication();
    clearMessageBoxLog();
    setMessageBoxHandler([this](const MessageBoxRecord& box) {
        if (answers_.empty()) {
            ++unansweredBoxes_;
            return defaultMessageBoxAnswer(box.type);
        }
        const int answer = answers_.front();
        answers_.pop_front();
        return answer;
    });
    setModalHandler([this](CWnd& window) {
        if (modalHandlers_.empty()) {
            ++unansweredModals_;
            if (auto* sheet = dynamic_cast<CPropertySheet*>(&window)) {
                sheet->EndDialog(IDCANCEL);
            } else if (auto* dialog = dynamic_cast<CDialog*>(&window)) {
                dialog->EndDialog(IDCANCEL);
            }
            return;
        }
        auto handler = std::move(modalHandlers_.front());
        modalHandlers_.pop_front();
        handler(window);
    });
    setFileDialogHandler([this](const FileDialogRecord& dialog) -> std::optional<WideString> {
        fileDialogs_.push_back(dialog);
        if (fileAnswers_.empty()) {
            ++unansweredFileDialogs_;
            return std::nullopt;
        }
        std::optional<WideString> answer = std::move(fileAnswers_.front());
        fileAnswers_.pop_front();
        return answer;
    });
}

ScopedTestKit::~ScopedTestKit() {
    setMessageBoxHandler(nullptr);
    setModalHandler(nullptr);
    setFileDialogHandler(nullptr);
    setScreenDpiOverride(0);
}

bool ScopedTestKit::open(CDialog& dialog, CWnd* parent) {
    if (!dialog.Create(dialog.GetTemplateId(), parent))
        return false;
    dialog.ShowWindow(SW_SHOW);
    processEvents();
    return true;
}

bool ScopedTestKit::open(CPropertySheet& sheet, CWnd* parent) {
    if (!sheet.Create(parent))
        return false;
    processEvents();
    return true;
}

CWnd* ScopedTestKit::control(CWnd& window, UINT id) const {
    if (CWnd* item = window.GetDlgItem(id))
        return item;
    if (auto* sheet = dynamic_cast<CPropertySheet*>(&window)) {
        if (CPropertyPage* page = sheet->GetActivePage())
            return page->GetDlgItem(id);
    }
    return nullptr;
}

bool ScopedTestKit::click(CWnd& window, UINT id) {
    CWnd* item = control(window, id);
    auto* button = item ? qobject_cast<QAbstractButton*>(item->widget()) : nullptr;
    if (!button || !usable(item))
        return false;
    button->click();
    return true;
}

bool ScopedTestKit::type(CWnd& window, UINT id, WideStringView text) {
    CWnd* item = control(window, id);
    if (!usable(item))
        return false;
    QLineEdit* edit = find<QLineEdit>(item);
    QWidget* target = edit;
    if (edit) {
        edit->setFocus();
        edit->selectAll();
        sendKey(edit, Qt::Key_Delete, {});
    } else if (auto* plain = find<QPlainTextEdit>(item)) {
        plain->clear();
        target = plain;
    } else {
        return false;
    }
    for (char16_t ch : text) {
        const QString s = QString(QChar(ch));
        sendKey(target, ch == u'\n' ? Qt::Key_Return : Qt::Key_unknown, s);
    }
    return true;
}

bool ScopedTestKit::selectComboItem(CWnd& window, UINT id, int index) {
    CWnd* item = control(window, id);
    auto* combo = find<QComboBox>(item);
    if (!combo || !usable(item) || index < 0 || index >= combo->count())
        return false;
    combo->setCurrentIndex(index);
    emit combo->activated(index);
    return true;
}

bool ScopedTestKit::dropDownAndClose(CWnd& window, UINT id) {
    CWnd* item = control(window, id);
    auto* combo = find<QComboBox>(item);
    if (!combo || !usable(item))
        return false;
    combo->showPopup();
    combo->hidePopup();
    return true;
}

bool ScopedTestKit::clickListItem(CWnd& window, UINT id, int row) {
    CWnd* item = control(window, id);
    QAbstractItemView* view = listView(item);
    if (!view || !usable(item) || row < 0 || row >= view->model()->rowCount())
        return false;
    const QModelIndex index = view->model()->index(row, 0);
    view->scrollTo(index);
    const QPoint at = view->visualRect(index).center();
    sendMouse(view->viewport(), QEvent::MouseButtonPress, at);
    sendMouse(view->viewport(), QEvent::MouseButtonRelease, at);
    return true;
}

bool ScopedTestKit::activateListItem(CWnd& window, UINT id, int row) {
    if (!clickListItem(window, id, row))
        return false;
    QAbstractItemView* view = listView(control(window, id));
    const QModelIndex index = view->model()->index(row, 0);
    NotifyInfo info;
    info.code = NM_DBLCLK;
    info.iItem = row;
    notifyFromWidget(control(window, id)->widget(), info);
    emit view->doubleClicked(index);
    return true;
}

bool ScopedTestKit::pressReturnInList(CWnd& window, UINT id) {
    CWnd* item = control(window, id);
    QAbstractItemView* view = listView(item);
    if (!view || !usable(item))
        return false;
    sendKey(view, Qt::Key_Return, QStringLiteral("\r"));
    return true;
}

std::vector<WideString> ScopedTestKit::listItemTextLines(CWnd& window, UINT id, int row) {
    CWnd* item = control(window, id);
    if (!item || !item->widget())
        return {};
    processEvents();
    return iconCaptionLines(item->widget(), row);
}

bool ScopedTestKit::clickListColumn(CWnd& window, UINT id, int column) {
    CWnd* item = control(window, id);
    auto* table = find<QTableView>(item);
    if (!table || !usable(item) || column < 0 || column >= table->model()->columnCount()) {
        return false;
    }
    QHeaderView* header = table->horizontalHeader();
    if (!header->sectionsClickable())
        return false;
    const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
    const QPoint at(x, header->height() / 2);
    sendMouse(header->viewport(), QEvent::MouseButtonPress, at);
    sendMouse(header->viewport(), QEvent::MouseButtonRelease, at);
    return true;
}

bool ScopedTestKit::selectTab(CWnd& window, UINT id, int index) {
    CWnd* item = control(window, id);
    auto* tabs = find<QTabBar>(item);
    if (!tabs || !usable(item) || index < 0 || index >= tabs->count())
        return false;
    tabs->setCurrentIndex(index);
    return true;
}

bool ScopedTestKit::dragSlider(CWnd& window, UINT id, int position) {
    CWnd* item = control(window, id);
    auto* slider = find<QSlider>(item);
    if (!slider || !usable(item))
        return false;
    slider->setSliderDown(true);
    slider->setSliderPosition(position);
    slider->setSliderDown(false);
    return true;
}

bool ScopedTestKit::switchPage(CPropertySheet& sheet, int index) {
    CTabCtrl* tabs = sheet.GetTabControl();
    auto* bar = tabs ? qobject_cast<QTabBar*>(tabs->widget()) : nullptr;
    if (!bar || index < 0 || index >= bar->count())
        return false;
    bar->setCurrentIndex(index);
    return sheet.GetActiveIndex() == index;
}

bool ScopedTestKit::tap(CWnd& window, CPoint point) {
    QWidget* w = window.widget();
    if (!w)
        return false;
    sendMouse(w, QEvent::MouseButtonPress, QPoint(point.x, point.y));
    sendMouse(w, QEvent::MouseButtonRelease, QPoint(point.x, point.y));
    return true;
}

bool ScopedTestKit::pressPointer(CWnd& window, CPoint point) {
    QWidget* w = window.widget();
    if (!w)
        return false;
    sendMouse(w, QEvent::MouseButtonPress, QPoint(point.x, point.y));
    return true;
}

bool ScopedTestKit::movePointer(CWnd& window, CPoint point) {
    QWidget* w = window.widget();
    if (!w)
        return false;
    const QPoint at(point.x, point.y);
    QMouseEvent event(QEvent::MouseMove, QPointF(at), w->mapToGlobal(QPointF(at)), Qt::NoButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
    return true;
}

bool ScopedTestKit::releasePointer(CWnd& window, CPoint point) {
    QWidget* w = window.widget();
    if (!w)
        return false;
    sendMouse(w, QEvent::MouseButtonRelease, QPoint(point.x, point.y));
    return true;
}

bool ScopedTestKit::fireTimer(CWnd& window, UINT_PTR id) {
    QWidget* w = window.widget();
    if (!w)
        return false;
    const QString name = QStringLiteral("zxTimer%1").arg(static_cast<qulonglong>(id));
    auto* timer = w->findChild<QTimer*>(name, Qt::FindDirectChildrenOnly);
    if (!timer || !timer->isActive())
        return false;
    if (CWnd* owner = CWnd::fromWidget(w))
        owner->OnTimer(id);
    return true;
}

void ScopedTestKit::processEvents() {
    QApplication::sendPostedEvents();
    QApplication::processEvents();
}

void ScopedTestKit::queueMessageBoxAnswers(const std::vector<int>& answers) {
    answers_.insert(answers_.end(), answers.begin(), answers.end());
}

const std::vector<MessageBoxRecord>& ScopedTestKit::messageBoxes() const {
    return messageBoxLog();
}

void ScopedTestKit::queueFileDialogAnswer(std::optional<WideString> handheldPath) {
    fileAnswers_.push_back(std::move(handheldPath));
}

void ScopedTestKit::queueModalHandler(std::function<void(CWnd&)> handler) {
    modalHandlers_.push_back(std::move(handler));
}

int ScopedTestKit::waitCursorDepth() const {
    return framework::waitCursorDepth();
}
int ScopedTestKit::waitCursorShowCount() const {
    return framework::waitCursorShowCount();
}

void ScopedTestKit::setScreenDpi(int dpi) {
    setScreenDpiOverride(dpi);
}

bool ScopedTestKit::render(CWnd& window, CBitmap& image) {
    QWidget* w = window.widget();
    if (!w)
        return false;
    processEvents();
    QImage pixels = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
    if (pixels.isNull())
        return false;
    setImage(image, pixels);
    return true;
}

bool ScopedTestKit::renderToPng(CWnd& window, const std::string& path) {
    QWidget* w = window.widget();
    if (!w)
        return false;
    processEvents();
    return w->grab().save(QString::fromStdString(path), "PNG");
}

}  // namespace zentrix::framework

// The font library keeps caches for the life of the process, which the application object
// (above) deliberately shares; the leak checker of sanitizer builds is told so.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\n";
}

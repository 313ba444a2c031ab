#include "framework/message_box.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>

#include "framework/resources.h"
#include "framework/win_app.h"
#include "framework/wnd.h"

namespace zentrix::framework {
namespace {

MessageBoxHandler& handler() {
    static MessageBoxHandler h;
    return h;
}

std::vector<MessageBoxRecord>& log() {
    static std::vector<MessageBoxRecord> records;
    return records;
}

int g_waitDepth = 0;
int g_waitShows = 0;

std::vector<int> buttonsOf(UINT type) {
    switch (type & MB_TYPEMASK) {
        case MB_OKCANCEL:
            return {IDOK, IDCANCEL};
        case MB_YESNOCANCEL:
            return {IDYES, IDNO, IDCANCEL};
        case MB_YESNO:
            return {IDYES, IDNO};
        default:
            return {IDOK};
    }
}

}  // namespace

int defaultMessageBoxAnswer(UINT type) {
    const auto buttons = buttonsOf(type);
    const size_t index = (type & MB_DEFMASK) >> 8;
    return buttons[index < buttons.size() ? index : 0];
}

namespace {

int defaultAnswer(UINT type) {
    return defaultMessageBoxAnswer(type);
}

bool headless() {
    return QGuiApplication::platformName() == QLatin1String("offscreen") ||
           QGuiApplication::platformName() == QLatin1String("minimal");
}

int showWithQt(QWidget* owner, const MessageBoxRecord& box) {
    QMessageBox dialog(owner);
    dialog.setWindowTitle(QString::fromStdU16String(box.caption));
    dialog.setText(QString::fromStdU16String(box.text));
    switch (box.type & MB_ICONMASK) {
        case MB_ICONHAND:
            dialog.setIcon(QMessageBox::Critical);
            break;
        case MB_ICONQUESTION:
            dialog.setIcon(QMessageBox::Question);
            break;
        case MB_ICONEXCLAMATION:
            dialog.setIcon(QMessageBox::Warning);
            break;
        case MB_ICONASTERISK:
            dialog.setIcon(QMessageBox::Information);
            break;
        default:
            break;
    }
    struct Choice {
        int answer;
        QMessageBox::StandardButton button;
    };
    std::vector<Choice> choices;
    for (int answer : buttonsOf(box.type)) {
        QMessageBox::StandardButton b = answer == IDOK       ? QMessageBox::Ok
                                        : answer == IDCANCEL ? QMessageBox::Cancel
                                        : answer == IDYES    ? QMessageBox::Yes
                                                             : QMessageBox::No;
        dialog.addButton(b);
        choices.push_back({answer, b});
    }
    const int def = defaultAnswer(box.type);
    for (const auto& c : choices) {
        if (c.answer == def)
            dialog.setDefaultButton(c.button);
    }
    // The user must see the normal cursor over the box, whatever runs around it.
    const bool waiting = g_waitDepth > 0;
    if (waiting)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    const int pressed = dialog.exec();
    if (waiting)
        QApplication::restoreOverrideCursor();
    for (const auto& c : choices) {
        if (c.button == pressed)
            return c.answer;
    }
    // Closed without a button: the platform answers Cancel where there is one, else the default.
    for (const auto& c : choices) {
        if (c.answer == IDCANCEL)
            return IDCANCEL;
    }
    return choices.size() == 1 ? choices[0].answer : def;
}

}  // namespace

int showMessageBox(CWnd* owner, WideStringView text, WideStringView caption, UINT type) {
    MessageBoxRecord box;
    box.text = WideString(text);
    box.caption = WideString(caption);
    box.type = type;
    box.waitCursor = g_waitDepth > 0;
    QWidget* ownerWidget = owner ? owner->widget() : nullptr;
    if (box.caption.empty()) {
        QString title = ownerWidget ? ownerWidget->window()->windowTitle() : QString();
        // Like the platform's, a box without a caption of its own is titled with the
        // application's name ("GNSS Zentrix"), not with the executable's.
        if (title.isEmpty() && AfxGetApp())
            title = QString::fromStdU16String(AfxGetApp()->applicationName());
        if (title.isEmpty())
            title = QGuiApplication::applicationDisplayName();
        box.caption = title.toStdU16String();
    }
    if (handler()) {
        MessageBoxHandler h = handler();
        box.answer = h(box);
    } else if (headless()) {
        box.answer = defaultAnswer(type);
    } else {
        box.answer = showWithQt(ownerWidget, box);
    }
    log().push_back(box);
    return box.answer;
}

int AfxMessageBox(WideStringView text, UINT type) {
    return showMessageBox(nullptr, text, {}, type);
}

int AfxMessageBox(UINT stringId, UINT type) {
    return showMessageBox(nullptr, loadString(stringId), {}, type);
}

void setMessageBoxHandler(MessageBoxHandler h) {
    handler() = std::move(h);
}
const std::vector<MessageBoxRecord>& messageBoxLog() {
    return log();
}
void clearMessageBoxLog() {
    log().clear();
}

void BeginWaitCursor() {
    if (g_waitDepth++ == 0) {
        ++g_waitShows;
        if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
        }
    }
}

void EndWaitCursor() {
    if (g_waitDepth == 0)
        return;
    if (--g_waitDepth == 0 && qobject_cast<QApplication*>(QCoreApplication::instance())) {
        QApplication::restoreOverrideCursor();
    }
}

int waitCursorDepth() {
    return g_waitDepth;
}
int waitCursorShowCount() {
    return g_waitShows;
}

}  // namespace zentrix::framework

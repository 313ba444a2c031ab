#include "framework/message_box.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>

#include "framework/qt_window.h"
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

QMessageBox::StandardButton standardButton(int answer) {
    return answer == IDOK       ? QMessageBox::Ok
           : answer == IDCANCEL ? QMessageBox::Cancel
           : answer == IDYES    ? QMessageBox::Yes
                                : QMessageBox::No;
}

int showWithQt(QWidget* owner, const MessageBoxRecord& box) {
    const std::unique_ptr<QMessageBox> dialog = createMessageBox(owner, box);
    // The user must see the normal cursor over the box, whatever runs around it.
    const bool waiting = g_waitDepth > 0;
    if (waiting)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    const int pressed = dialog->exec();
    if (waiting)
        QApplication::restoreOverrideCursor();
    const std::vector<int> answers = buttonsOf(box.type);
    for (int answer : answers) {
        if (standardButton(answer) == pressed)
            return answer;
    }
    // Closed without a button: the platform answers Cancel where there is one, else the default.
    for (int answer : answers) {
        if (answer == IDCANCEL)
            return IDCANCEL;
    }
    return answers.size() == 1 ? answers[0] : defaultAnswer(box.type);
}

}  // namespace

std::unique_ptr<QMessageBox> createMessageBox(QWidget* owner, const MessageBoxRecord& box) {
    // A box of its own sits over the window the user works in, as the platform's did.
    QWidget* parent = owner ? owner->window() : QApplication::activeWindow();
    auto dialog = std::make_unique<QMessageBox>(parent);
    dialog->setWindowTitle(QString::fromStdU16String(box.caption));
    dialog->setText(QString::fromStdU16String(box.text));
    // Plain text: a path or a device name is shown as it is, never read as markup.
    dialog->setTextFormat(Qt::PlainText);
    switch (box.type & MB_ICONMASK) {
        case MB_ICONHAND:
            dialog->setIcon(QMessageBox::Critical);
            break;
        case MB_ICONQUESTION:
            dialog->setIcon(QMessageBox::Question);
            break;
        case MB_ICONEXCLAMATION:
            dialog->setIcon(QMessageBox::Warning);
            break;
        case MB_ICONASTERISK:
            dialog->setIcon(QMessageBox::Information);
            break;
        default:
            break;
    }
    const int def = defaultAnswer(box.type);
    for (int answer : buttonsOf(box.type)) {
        dialog->addButton(standardButton(answer));
        if (answer == def)
            dialog->setDefaultButton(standardButton(answer));
    }
    // The box sizes itself to its text: a fixed dialog with a close button and nothing to
    // maximise or minimise, with or without a window under it.
    dialog->setWindowFlags(fixedWindowFlags(true));
    return dialog;
}

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

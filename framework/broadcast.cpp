#include "framework/broadcast.h"

#include <QApplication>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QWidget>
#include <charconv>
#include <memory>

#include "framework/qt_window.h"
#include "platform/broadcast_channel.h"

namespace zentrix::framework {

namespace {

struct Listening {
    platform::BroadcastListener listener;
    std::unique_ptr<QSocketNotifier> notifier;
};

std::unique_ptr<Listening>& listening() {
    static std::unique_ptr<Listening> current;
    return current;
}

void postToTopLevelWindows(const BroadcastRecord& record) {
    for (HWND window : topLevelWindows())
        PostMessage(window, record.message, record.wParam, record.lParam);
}

template <class T>
bool parseNumber(std::string_view& text, T* value) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    const char* end = text.data() + text.size();
    const auto [next, error] = std::from_chars(text.data(), end, *value);
    if (error != std::errc() || next == text.data() || (next != end && *next != ' '))
        return false;
    text.remove_prefix(static_cast<size_t>(next - text.data()));
    return true;
}

}  // namespace

std::string formatBroadcast(const BroadcastRecord& record) {
    return std::to_string(record.message) + ' ' + std::to_string(record.wParam) + ' ' +
           std::to_string(record.lParam);
}

std::optional<BroadcastRecord> parseBroadcast(std::string_view text) {
    BroadcastRecord record;
    if (!parseNumber(text, &record.message) || !parseNumber(text, &record.wParam) ||
        !parseNumber(text, &record.lParam)) {
        return std::nullopt;
    }
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    if (!text.empty())
        return std::nullopt;
    return record;
}

std::vector<HWND> topLevelWindows() {
    std::vector<HWND> windows;
    if (!qApp)
        return windows;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        const WindowData* data = findWindowData(widget);
        if (data && !data->destroyed && data->handle)
            windows.push_back(data->handle);
    }
    return windows;
}

int BroadcastMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const BroadcastRecord record{message, wParam, lParam};
    // Here by posting; the channel skips this process's own socket, so nothing arrives twice.
    postToTopLevelWindows(record);
    return platform::sendBroadcast(formatBroadcast(record)).reached;
}

bool ListenForBroadcasts(std::string* error) {
    if (listening())
        return true;
    if (!QCoreApplication::instance()) {
        if (error)
            *error = "the window system has not started";
        return false;
    }
    auto current = std::make_unique<Listening>();
    if (!current->listener.listen()) {
        if (error)
            *error = current->listener.error();
        return false;
    }
    current->notifier =
        std::make_unique<QSocketNotifier>(current->listener.fd(), QSocketNotifier::Read);
    Listening* self = current.get();
    QObject::connect(self->notifier.get(), &QSocketNotifier::activated, self->notifier.get(),
                     [self] {
                         self->listener.receive([](std::string_view text) {
                             const auto record = parseBroadcast(text);
                             if (record && record->message == WM_WININICHANGE)
                                 postToTopLevelWindows({record->message, record->wParam, 0});
                         });
                     });
    listening() = std::move(current);
    // The notifier must go before the event loop it is registered with.
    static const bool stopAtQtEnd = [] {
        qAddPostRoutine(StopListeningForBroadcasts);
        return true;
    }();
    (void)stopAtQtEnd;
    return true;
}

void StopListeningForBroadcasts() {
    listening().reset();
}

}  // namespace zentrix::framework

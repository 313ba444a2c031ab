#include "framework/instance_channel.h"

#include <QSocketNotifier>
#include <QWidget>

#include "framework/win_app.h"
#include "framework/wnd.h"
#include "platform/local_channel.h"

namespace zentrix::framework {

namespace {

std::string answer(std::string_view message) {
    if (message != kRaiseMessage)
        return "unknown";
    CWinApp* app = AfxGetApp();
    QWidget* widget = app && app->m_pMainWnd ? app->m_pMainWnd->widget() : nullptr;
    if (!widget)
        return kNoWindowAnswer;
    QWidget* window = widget->window();
    if (window->isMinimized())
        window->showNormal();
    else
        window->show();
    window->raise();
    window->activateWindow();
    return kRaisedAnswer;
}

}  // namespace

struct InstanceChannel::Impl {
    platform::LocalChannelListener listener;
    std::unique_ptr<QSocketNotifier> notifier;
};

InstanceChannel::InstanceChannel(const std::string& name) : impl_(std::make_unique<Impl>()) {
    if (!impl_->listener.listen(name))
        return;
    impl_->notifier =
        std::make_unique<QSocketNotifier>(impl_->listener.fd(), QSocketNotifier::Read);
    QObject::connect(impl_->notifier.get(), &QSocketNotifier::activated, [this] { serveNow(); });
}

InstanceChannel::~InstanceChannel() {
    impl_->notifier.reset();
    impl_->listener.close();
}

bool InstanceChannel::listening() const {
    return impl_->listener.listening();
}

const std::string& InstanceChannel::error() const {
    return impl_->listener.error();
}

int InstanceChannel::serveNow() {
    return impl_->listener.serve(answer);
}

}  // namespace zentrix::framework

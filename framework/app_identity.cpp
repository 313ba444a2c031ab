// Which application object this process runs, and the icon its windows carry.
#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QPixmap>

#include "framework/resources.h"
#include "framework/win_app.h"

namespace zentrix::framework {
namespace {
CWinApp* g_currentApp = nullptr;
}  // namespace

CWinApp* AfxGetApp() {
    return g_currentApp;
}

void detail::setCurrentApp(CWinApp* app, bool current) {
    if (current)
        g_currentApp = app;
    else if (g_currentApp == app)
        g_currentApp = nullptr;
}

void setApplicationIcon(UINT iconId) {
    const auto bytes = bitmapResourceBytes(iconId);
    if (!bytes || !qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    QImage image;
    if (image.loadFromData(reinterpret_cast<const uchar*>(bytes->data()),
                           static_cast<int>(bytes->size())))
        QApplication::setWindowIcon(QIcon(QPixmap::fromImage(image)));
}

}  // namespace zentrix::framework

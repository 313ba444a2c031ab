// Which application object this process runs, and the icon its windows carry.
#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QPixmap>

#include "framework/qt_drawing.h"
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
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    const QImage image = iconResourceImage(iconId);
    if (!image.isNull())
        QApplication::setWindowIcon(QIcon(QPixmap::fromImage(image)));
}

}  // namespace zentrix::framework

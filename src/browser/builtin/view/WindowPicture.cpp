#include "browser/builtin/view/WindowPicture.h"

#include "browser/builtin/view/BuiltinWindowView.h"
#include "browser/builtin/view/PageView.h"

#include <QApplication>
#include <QBuffer>
#include <QPixmap>
#include <QStatusBar>

QByteArray windowPicturePng(const std::shared_ptr<BuiltinWindow> &window)
{
    if (!window || !qobject_cast<QApplication *>(QCoreApplication::instance()))
        return {};
    BuiltinWindowView view(window);
    // Shown off the screen, the view places its widgets as a window does, and the picture never
    // appears on a screen the user looks at. The page's layout and the status bar's wait for the
    // event loop: both are done at once.
    view.setAttribute(Qt::WA_DontShowOnScreen);
    view.show();
    QCoreApplication::sendPostedEvents(view.statusBar(), QEvent::LayoutRequest);
    view.findChild<PageView *>()->refreshNow();
    const QPixmap picture = view.grab();
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    return png;
}

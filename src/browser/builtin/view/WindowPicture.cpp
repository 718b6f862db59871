#include "browser/builtin/view/WindowPicture.h"

#include "browser/builtin/view/BuiltinWindowView.h"
#include "browser/builtin/view/PageView.h"

#include <QApplication>
#include <QBuffer>
#include <QPixmap>
#include <QStatusBar>

namespace {

// How often the wait looks whether the page has settled.
constexpr int PollMilliseconds = 20;

[[nodiscard]] QByteArray pngOf(const QPixmap &picture)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    return png;
}

} // namespace

WindowPicture windowPicture(const std::shared_ptr<BuiltinWindow> &window, QDeadlineTimer deadline)
{
    if (!window || !qobject_cast<QApplication *>(QCoreApplication::instance()))
        return {};
    BuiltinWindowView view(window);
    // Shown off the screen, the view places its widgets as a window does, and the picture never
    // appears on a screen the user looks at.
    view.setAttribute(Qt::WA_DontShowOnScreen);
    view.show();
    auto *page = view.findChild<PageView *>();
    while (!page->isSettled() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents,
                                        int(std::min<qint64>(PollMilliseconds, std::max<qint64>(1, deadline.remainingTime()))));
    QCoreApplication::sendPostedEvents(view.statusBar(), QEvent::LayoutRequest);
    WindowPicture picture;
    if (!page->isLaidOut()) {
        picture.notes << QStringLiteral("The picture was given up: the page was still being laid out at the deadline.");
        return picture;
    }
    if (page->shownAsPlainText())
        picture.notes << QStringLiteral("The page took too long to lay out: it is drawn as plain text.");
    for (const QString &address : page->unfinishedResources())
        picture.notes << QStringLiteral("Given up at the deadline, drawn without it: %1").arg(address);
    for (const QString &address : page->skippedResources())
        picture.notes << QStringLiteral("Skipped, the page's budget of 64 MB spent, drawn without it: %1").arg(address);
    picture.png = pngOf(view.grab());
    return picture;
}

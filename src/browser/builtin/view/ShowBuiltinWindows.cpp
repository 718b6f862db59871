#include "browser/builtin/view/ShowBuiltinWindows.h"

#include "browser/builtin/BuiltinBrowser.h"
#include "browser/builtin/BuiltinWindow.h"
#include "browser/builtin/view/BuiltinWindowView.h"

namespace {

constexpr char ViewsShownMarker[] = "builtinWindowViewsShown";

void showView(BuiltinWindow &window)
{
    if (window.isClosed())
        return;
    auto *view = new BuiltinWindowView(window.shared_from_this());
    view->show();
}

} // namespace

void showBuiltinWindows(BuiltinBrowser &browser)
{
    if (browser.findChild<QObject *>(QString::fromLatin1(ViewsShownMarker), Qt::FindDirectChildrenOnly))
        return;
    auto *marker = new QObject(&browser);
    marker->setObjectName(QString::fromLatin1(ViewsShownMarker));
    for (const auto &window : browser.builtinWindows())
        showView(*window);
    QObject::connect(&browser, &BuiltinBrowser::windowOpened, marker, [](BuiltinWindow *window) { showView(*window); });
}

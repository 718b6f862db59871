#include "cli/WindowPartsModule.h"

#include "browser/builtin/view/ShowBuiltinWindows.h"
#include "browser/builtin/view/WindowPicture.h"

#include <QApplication>

namespace {

QCoreApplication *createApplication(int &argc, char **argv)
{
    return new QApplication(argc, argv);
}

QByteArray windowPicturePng(const std::shared_ptr<BuiltinWindow> &window, QDeadlineTimer deadline, QStringList &notes)
{
    WindowPicture picture = windowPicture(window, deadline);
    notes = picture.notes;
    return picture.png;
}

} // namespace

extern "C" Q_DECL_EXPORT const WindowPartsFunctions navrelay_window_parts = {
    createApplication,
    showBuiltinWindows,
    windowPicturePng,
};

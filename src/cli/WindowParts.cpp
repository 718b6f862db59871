#include "cli/WindowParts.h"

#include "cli/WindowPartsModule.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <dlfcn.h>

namespace {

// Beside the program in a build, in the program's own library folder once installed.
QStringList moduleCandidates()
{
    const QDir programDir = QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath()).dir();
    const QString file = QString::fromLatin1(WindowPartsModuleFile);
    return {programDir.filePath(file),
            QDir::cleanPath(programDir.filePath(QStringLiteral(NAVRELAY_INSTALLED_MODULE_DIR "/") + file))};
}

} // namespace

std::unique_ptr<WindowParts> WindowParts::load(QString &error)
{
    for (const QString &path : moduleCandidates()) {
        if (!QFileInfo::exists(path))
            continue;
        // Never unloaded: Qt's widget classes live as long as the run.
        void *const module = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
        if (!module) {
            error = QString::fromLocal8Bit(dlerror());
            return nullptr;
        }
        const auto *functions = static_cast<const WindowPartsFunctions *>(dlsym(module, WindowPartsSymbol));
        if (!functions) {
            error = QStringLiteral("%1 has no %2").arg(path, QLatin1String(WindowPartsSymbol));
            return nullptr;
        }
        return std::unique_ptr<WindowParts>(new WindowParts(*functions));
    }
    error = QStringLiteral("%1 is not installed").arg(QLatin1String(WindowPartsModuleFile));
    return nullptr;
}

std::unique_ptr<QCoreApplication> WindowParts::createApplication(int &argc, char **argv) const
{
    return std::unique_ptr<QCoreApplication>(m_functions.createApplication(argc, argv));
}

void WindowParts::showBuiltinWindows(BuiltinBrowser &browser) const
{
    m_functions.showBuiltinWindows(browser);
}

QByteArray WindowParts::windowPicturePng(const std::shared_ptr<BuiltinWindow> &window, QDeadlineTimer deadline,
                                         QStringList &notes) const
{
    return m_functions.windowPicturePng(window, deadline, notes);
}

#include "cli/RunEvidence.h"

#include "browser/BrowserConnection.h"
#include "browser/builtin/BuiltinWindow.h"
#include "browser/builtin/dom/HtmlDocument.h"
#include "browser/chromium/ChromiumWindow.h"
#include "cli/PrivateFiles.h"
#include "cli/WindowParts.h"
#include "engine/ScriptError.h"

#include <QDir>

namespace {

// The script numbered line by line, the failing line marked with ">" and followed by the message.
QString markedScript(const QStringList &lines, int failingLine, const QString &message)
{
    const int width = int(QString::number(lines.size() + 1).size());
    QString text;
    for (int number = 1; number <= lines.size() + 1; ++number) {
        const bool failing = number == failingLine;
        if (number > lines.size() && !failing)
            break;
        text += QStringLiteral("%1 %2 | %3\n")
                    .arg(failing ? QStringLiteral(">") : QStringLiteral(" "))
                    .arg(number, width)
                    .arg(number <= lines.size() ? lines.at(number - 1) : QString());
        if (failing)
            text += QStringLiteral("%1   ^ %2\n").arg(QString(width, QLatin1Char(' ')), message);
    }
    return text;
}

bool writeFile(const QString &path, const QByteArray &bytes, QString &error)
{
    const auto file = createPrivateFile(path, error);
    if (!file)
        return false;
    if (file->write(bytes) == bytes.size() && file->flush())
        return true;
    error = file->errorString();
    return false;
}

QByteArray windowPicture(const std::shared_ptr<BrowserWindow> &window, const WindowParts *windowParts,
                         QDeadlineTimer deadline, QStringList &notes)
{
    if (const auto builtin = std::dynamic_pointer_cast<BuiltinWindow>(window))
        return windowParts ? windowParts->windowPicturePng(builtin, deadline, notes) : QByteArray();
    if (const auto chromium = std::dynamic_pointer_cast<ChromiumWindow>(window))
        return chromium->screenshotPng();
    return {};
}

} // namespace

QByteArray pagePicture(BrowserConnection &connection, const WindowParts *windowParts, QDeadlineTimer deadline)
{
    const auto window = connection.attachedWindow();
    QStringList notes;
    try {
        return window ? windowPicture(window, windowParts, deadline, notes) : QByteArray();
    } catch (const ScriptError &) {
        return {}; // the window went away
    }
}

QString writePicture(const QString &folder, const QString &fileName, const QByteArray &png, QString &error)
{
    const QString path = QDir(folder).filePath(fileName);
    return makePrivateFolders(folder, error) && writeFile(path, png, error) ? path : QString();
}

PageEvidence capturePage(BrowserConnection &connection, const WindowParts *windowParts, QDeadlineTimer pictureDeadline)
{
    PageEvidence page;
    const auto window = connection.attachedWindow();
    if (!window)
        return page;
    try {
        page.address = window->locationUrl();
        if (const auto builtin = std::dynamic_pointer_cast<BuiltinWindow>(window)) {
            if (const auto document = builtin->document())
                page.html = documentHtml(*document);
        } else if (const auto chromium = std::dynamic_pointer_cast<ChromiumWindow>(window)) {
            page.html = chromium->pageHtml();
        }
        page.png = windowPicture(window, windowParts, pictureDeadline, page.pictureNotes);
    } catch (const ScriptError &) {
        // The window went away: what was gathered before stays.
    }
    return page;
}

QStringList writeEvidence(const QString &folder, const QString &stem, const QStringList &scriptLines,
                          int failingLine, const QString &message, const PageEvidence &page,
                          const SecretMask &mask, QString &error)
{
    QStringList written;
    if (!makePrivateFolders(folder, error))
        return written;
    const QDir dir(folder);
    const auto keep = [&](const QString &suffix, const QByteArray &bytes) {
        const QString path = dir.filePath(stem + suffix);
        if (writeFile(path, bytes, error))
            written << path;
    };
    // The byte order mark says UTF-8 over whatever charset the page's own markup names.
    keep(QStringLiteral(".page.html"), QByteArrayLiteral("\xEF\xBB\xBF") + mask.apply(page.html).toUtf8());
    keep(QStringLiteral(".address.txt"), mask.apply(page.address).toUtf8() + '\n');
    keep(QStringLiteral(".script.txt"), mask.apply(markedScript(scriptLines, failingLine, message)).toUtf8());
    if (!page.png.isEmpty())
        keep(QStringLiteral(".page.png"), page.png);
    if (!page.pictureNotes.isEmpty())
        keep(QStringLiteral(".page-note.txt"), mask.apply(page.pictureNotes.join(QLatin1Char('\n'))).toUtf8() + '\n');
    return written;
}

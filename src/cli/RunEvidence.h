#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class BrowserConnection;
class WindowParts;

// What a failed run keeps of the page it was on.
struct PageEvidence {
    QString address;
    QString html; // as the engine holds the document now
    QByteArray png; // empty when the engine cannot draw the page
};

// The attached window's page, as far as the window can still give it; the built-in engine's
// picture of it needs the window parts.
[[nodiscard]] PageEvidence capturePage(BrowserConnection &connection, const WindowParts *windowParts);

// Writes NAME.page.html, NAME.address.txt, NAME.script.txt (the script with the failing line
// marked and the message under it) and, when there is a picture, NAME.page.png into the
// folder, making it if needed; returns the paths written.
[[nodiscard]] QStringList writeEvidence(const QString &folder, const QString &scriptName, const QStringList &scriptLines,
                                        int failingLine, const QString &message, const PageEvidence &page);

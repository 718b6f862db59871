#pragma once

#include "engine/SecretMask.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>
#include <QStringList>

class BrowserConnection;
class WindowParts;

// What a failed run keeps of the page it was on.
struct PageEvidence {
    QString address;
    QString html; // as the engine holds the document now
    QByteArray png; // empty when the engine cannot draw the page
    QStringList pictureNotes; // what the picture lacks, or why there is none
};

// The attached window's page, as far as the window can still give it; the built-in engine's
// picture of it needs the window parts, and waits for the page's resources until the deadline.
[[nodiscard]] PageEvidence capturePage(BrowserConnection &connection, const WindowParts *windowParts,
                                       QDeadlineTimer pictureDeadline);

// The picture of the attached window's page, its resources waited for until the deadline; empty
// when the engine cannot draw it.
[[nodiscard]] QByteArray pagePicture(BrowserConnection &connection, const WindowParts *windowParts,
                                     QDeadlineTimer deadline);

// Writes the picture as a new file of that name into the folder, made if needed, as below.
// Returns the path written; empty, and `error` says why, when it could not be.
[[nodiscard]] QString writePicture(const QString &folder, const QString &fileName, const QByteArray &png, QString &error);

// Writes STEM.page.html, STEM.address.txt, STEM.script.txt (the script as written, the failing
// line marked and the message under it), when there is a picture STEM.page.png, and when the
// picture lacks something or was given up STEM.page-note.txt saying so, into the
// folder, making it if needed: new files that no other run's replace (the stem names the run),
// readable by their owner only, in folders made so. Everything but the picture goes through
// the mask. Returns the paths written; `error` says why one could not be.
[[nodiscard]] QStringList writeEvidence(const QString &folder, const QString &stem, const QStringList &scriptLines,
                                        int failingLine, const QString &message, const PageEvidence &page,
                                        const SecretMask &mask, QString &error);

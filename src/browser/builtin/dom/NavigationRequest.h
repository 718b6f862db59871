#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

// A navigation a document asks its window for: a followed link or a submitted form.
struct NavigationRequest {
    QUrl url;
    // The path and query as sent when they are not QUrl's (which decodes "%41"); empty otherwise.
    QByteArray wireTarget;
    QByteArray method = "GET";
    QByteArray body;        // request body, for POST
    QByteArray contentType; // Content-Type of the body, for POST
    QString target;         // the browsing context name: empty, "_self", "_blank", "_top", ... or a window name
    QUrl referrer;
    QUrl initiator; // the address of the document that asked for the navigation
};

namespace dom {
class Element;
}

// What a document's clicks and edits need of the window that shows it.
class NavigationHost {
public:
    virtual ~NavigationHost() = default;

    // Navigates the window the request's target names (a new window for "_blank" or an unknown
    // name). Raises navigationStarted before it returns; the load itself completes later.
    virtual void followHyperlink(const NavigationRequest &request) = 0;

    // The document may look different: a value, a checked box, its tree or its selection changed.
    virtual void documentEdited() {}
    // A click or a new value is about to act on this element of the document.
    virtual void elementActedOn(const dom::Element &element) { (void)element; }
};

#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

// A navigation a document asks its window for: a followed link or a submitted form.
struct NavigationRequest {
    QUrl url;
    QByteArray method = "GET";
    QByteArray body;        // request body, for POST
    QByteArray contentType; // Content-Type of the body, for POST
    QString target;         // the browsing context name: empty, "_self", "_blank", "_top", ... or a window name
    QUrl referrer;
    QUrl initiator; // the address of the document that asked for the navigation
};

// What a document's clicks need of the window that shows it.
class NavigationHost {
public:
    virtual ~NavigationHost() = default;

    // Navigates the window the request's target names (a new window for "_blank" or an unknown
    // name). Raises navigationStarted before it returns; the load itself completes later.
    virtual void followHyperlink(const NavigationRequest &request) = 0;
};

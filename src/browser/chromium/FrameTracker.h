#pragma once

#include <QJsonObject>
#include <QString>

#include <map>
#include <optional>
#include <vector>

// What a page's protocol events mean for the window's own events.
struct PageNotification {
    enum class Kind { NavigationStarted, DocumentCompleted };

    Kind kind;
    QString url;

    friend bool operator==(const PageNotification &, const PageNotification &) = default;
};

// Follows the frames of one page through its Page and Runtime events: their addresses,
// documents, loads and script contexts. Every navigation it announces with navigationStarted it
// ends with one documentCompleted: at the frame's "load" of the document that navigation
// brought; when no new document comes (a fragment, a download, an empty answer, a stop), once
// the frame stops loading; for a page brought back from the back-forward cache, which loads
// nothing and stops before it shows, when it shows. A frame that completes while its page is
// still loading is reported together with the page, just before it: nothing runs between the
// two, as if the page had completed at once.
class FrameTracker {
public:
    explicit FrameTracker(QString mainFrameId);

    // Takes one event in and gives the notifications it causes, in order.
    [[nodiscard]] std::vector<PageNotification> apply(const QString &method, const QJsonObject &params);
    // Takes in what Page.getFrameTree reports of frames already shown.
    void seedFrameTree(const QJsonObject &frameTree);
    // The main frame was found still loading when the page was first seen.
    void assumeMainFrameLoading();

    [[nodiscard]] QString mainFrameUrl() const;
    [[nodiscard]] QString mainFrameMimeType() const;
    // The main frame shows the browser's error page for an address it could not reach.
    [[nodiscard]] bool mainFrameShowsErrorPage() const;
    // The main frame's default script context, while its document has one.
    [[nodiscard]] std::optional<int> mainFrameContext() const;
    // A frame is loading.
    [[nodiscard]] bool isLoading() const;
    // A navigation has started whose document has not come yet.
    [[nodiscard]] bool awaitsDocument() const;

private:
    struct Frame {
        QString parentId;
        QString url;
        QString mimeType;
        bool errorPage = false; // the browser's page for an address that could not be reached
        QString expectedLoaderId; // the document whose "load" ends the navigation under way
        QString requestedUrl;     // where the page asked the frame to go
        QString navigationUrl;    // where the navigation under way goes
        QString navigationType;   // of the navigation under way
        std::optional<int> contextId;
        int staleLoads = 0; // loads of earlier documents seen since the navigation started
        bool loading = false;
        bool navigating = false; // navigationStarted given, documentCompleted not yet
        bool committed = true;   // the navigation under way has brought its document
    };

    Frame &frame(const QString &id);
    [[nodiscard]] const Frame *findFrame(const QString &id) const;
    void takeFrame(const QJsonObject &description);
    void removeFrame(const QString &id);
    void onStartedNavigating(const QJsonObject &params, std::vector<PageNotification> &out);
    void onStartedLoading(const QString &frameId, std::vector<PageNotification> &out);
    void onStoppedLoading(const QString &frameId, std::vector<PageNotification> &out);
    void onNavigated(const QJsonObject &params, std::vector<PageNotification> &out);
    void onLifecycle(const QJsonObject &params, std::vector<PageNotification> &out);
    void onContextCreated(const QJsonObject &context);
    void onContextDestroyed(int contextId);
    void complete(Frame &frame, std::vector<PageNotification> &out);
    void releaseHeldCompletions(std::vector<PageNotification> &out);

    QString m_mainFrameId;
    std::map<QString, Frame> m_frames;
    std::vector<PageNotification> m_heldCompletions; // of frames, until their page completes
};

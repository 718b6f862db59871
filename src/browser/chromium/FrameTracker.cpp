#include "browser/chromium/FrameTracker.h"

#include "browser/chromium/ProtocolJson.h"

#include <QJsonArray>

namespace {

bool isSameDocument(const QString &navigationType)
{
    return navigationType == QLatin1String("sameDocument") || navigationType == QLatin1String("historySameDocument");
}

bool isHistory(const QString &navigationType)
{
    return navigationType.startsWith(QLatin1String("history")) || navigationType.startsWith(QLatin1String("restore"));
}

} // namespace

FrameTracker::FrameTracker(QString mainFrameId)
    : m_mainFrameId(std::move(mainFrameId))
{
    m_frames.emplace(m_mainFrameId, Frame{});
}

std::vector<PageNotification> FrameTracker::apply(const QString &method, const QJsonObject &params)
{
    std::vector<PageNotification> out;
    const QString frameId = jsonText(params, "frameId");
    if (method == QLatin1String("Page.frameStartedNavigating")) {
        onStartedNavigating(params, out);
    } else if (method == QLatin1String("Page.frameStartedLoading")) {
        onStartedLoading(frameId, out);
    } else if (method == QLatin1String("Page.frameRequestedNavigation")
               || method == QLatin1String("Page.frameScheduledNavigation")) {
        frame(frameId).requestedUrl = jsonText(params, "url");
    } else if (method == QLatin1String("Page.frameNavigated")) {
        onNavigated(params, out);
    } else if (method == QLatin1String("Page.navigatedWithinDocument")) {
        frame(frameId).url = jsonText(params, "url");
    } else if (method == QLatin1String("Page.lifecycleEvent")) {
        onLifecycle(params, out);
    } else if (method == QLatin1String("Page.frameStoppedLoading")) {
        onStoppedLoading(frameId, out);
    } else if (method == QLatin1String("Page.frameAttached")) {
        frame(frameId).parentId = jsonText(params, "parentFrameId");
    } else if (method == QLatin1String("Page.frameDetached")) {
        // A frame swapped into a process of its own goes on loading there.
        if (jsonText(params, "reason") != QLatin1String("swap"))
            removeFrame(frameId);
    } else if (method == QLatin1String("Runtime.executionContextCreated")) {
        onContextCreated(params.value(QLatin1String("context")).toObject());
    } else if (method == QLatin1String("Runtime.executionContextDestroyed")) {
        onContextDestroyed(params.value(QLatin1String("executionContextId")).toInt());
    } else if (method == QLatin1String("Runtime.executionContextsCleared")) {
        for (auto &[id, each] : m_frames)
            each.contextId.reset();
    }
    return out;
}

void FrameTracker::seedFrameTree(const QJsonObject &frameTree)
{
    takeFrame(frameTree.value(QLatin1String("frame")).toObject());
    for (const QJsonValue &child : frameTree.value(QLatin1String("childFrames")).toArray())
        seedFrameTree(child.toObject());
}

void FrameTracker::assumeMainFrameLoading()
{
    Frame &main = frame(m_mainFrameId);
    main.navigating = true;
    main.loading = true;
}

QString FrameTracker::mainFrameUrl() const
{
    return findFrame(m_mainFrameId)->url;
}

QString FrameTracker::mainFrameMimeType() const
{
    return findFrame(m_mainFrameId)->mimeType;
}

bool FrameTracker::mainFrameShowsErrorPage() const
{
    return findFrame(m_mainFrameId)->errorPage;
}

std::optional<int> FrameTracker::mainFrameContext() const
{
    return findFrame(m_mainFrameId)->contextId;
}

bool FrameTracker::isLoading() const
{
    for (const auto &[id, each] : m_frames) {
        if (each.loading)
            return true;
    }
    return false;
}

bool FrameTracker::awaitsDocument() const
{
    for (const auto &[id, each] : m_frames) {
        if (each.navigating && !each.committed)
            return true;
    }
    return false;
}

FrameTracker::Frame &FrameTracker::frame(const QString &id)
{
    return m_frames[id.isEmpty() ? m_mainFrameId : id];
}

const FrameTracker::Frame *FrameTracker::findFrame(const QString &id) const
{
    const auto found = m_frames.find(id);
    return found == m_frames.end() ? nullptr : &found->second;
}

void FrameTracker::takeFrame(const QJsonObject &description)
{
    Frame &taken = frame(jsonText(description, "id"));
    taken.parentId = jsonText(description, "parentId");
    const QString unreachable = jsonText(description, "unreachableUrl");
    // An error page stands for the address that could not be reached, as the address bar shows.
    taken.url = unreachable.isEmpty() ? jsonText(description, "url") + jsonText(description, "urlFragment") : unreachable;
    taken.errorPage = !unreachable.isEmpty();
    taken.mimeType = jsonText(description, "mimeType");
    taken.expectedLoaderId = jsonText(description, "loaderId");
    taken.requestedUrl.clear();
}

void FrameTracker::removeFrame(const QString &id)
{
    if (id == m_mainFrameId)
        return;
    std::vector<QString> children;
    for (const auto &[childId, each] : m_frames) {
        if (each.parentId == id)
            children.push_back(childId);
    }
    m_frames.erase(id);
    for (const QString &child : children)
        removeFrame(child);
}

void FrameTracker::onStartedNavigating(const QJsonObject &params, std::vector<PageNotification> &out)
{
    const QString frameId = jsonText(params, "frameId");
    if (frameId == m_mainFrameId)
        releaseHeldCompletions(out); // of the document the page leaves
    Frame &navigating = frame(frameId);
    navigating.navigationType = jsonText(params, "navigationType");
    // Lifecycle events of the document being replaced may still come: only the new one counts.
    if (!isSameDocument(navigating.navigationType)) {
        navigating.expectedLoaderId = jsonText(params, "loaderId");
        navigating.navigationUrl = jsonText(params, "url");
        navigating.committed = false;
        navigating.staleLoads = 0;
    }
    navigating.navigating = true;
    out.push_back({PageNotification::Kind::NavigationStarted, jsonText(params, "url")});
}

void FrameTracker::onStartedLoading(const QString &frameId, std::vector<PageNotification> &out)
{
    Frame &loading = frame(frameId);
    loading.loading = true;
    if (loading.navigating)
        return;
    // The page moved within its document (a fragment link): no navigation was announced.
    loading.navigating = true;
    loading.navigationType.clear();
    out.push_back({PageNotification::Kind::NavigationStarted,
                   loading.requestedUrl.isEmpty() ? loading.url : loading.requestedUrl});
}

void FrameTracker::onStoppedLoading(const QString &frameId, std::vector<PageNotification> &out)
{
    Frame &stopped = frame(frameId);
    stopped.loading = false;
    if (!stopped.navigating)
        return;
    if (!stopped.committed && isHistory(stopped.navigationType))
        return; // a page from the back-forward cache stops loading just before it shows
    if (!stopped.committed && stopped.staleLoads > 0) {
        --stopped.staleLoads; // the end of an earlier document's load, not of this navigation
        return;
    }
    complete(stopped, out); // no new document came: the frame shows what it showed
}

void FrameTracker::onNavigated(const QJsonObject &params, std::vector<PageNotification> &out)
{
    const QJsonObject description = params.value(QLatin1String("frame")).toObject();
    takeFrame(description);
    Frame &shown = frame(jsonText(description, "id"));
    shown.committed = true;
    if (shown.navigating && !shown.loading && jsonText(params, "type") == QLatin1String("BackForwardCacheRestore"))
        complete(shown, out);
}

void FrameTracker::onLifecycle(const QJsonObject &params, std::vector<PageNotification> &out)
{
    Frame &loaded = frame(jsonText(params, "frameId"));
    const QString name = jsonText(params, "name");
    if (!loaded.navigating)
        return;
    if (jsonText(params, "loaderId") != loaded.expectedLoaderId) {
        if (name == QLatin1String("load") && !loaded.committed)
            ++loaded.staleLoads;
        return;
    }
    // A page's very first document can come without Page.frameNavigated: its commit says where.
    if (name == QLatin1String("commit") && !loaded.committed) {
        loaded.committed = true;
        if (!loaded.navigationUrl.isEmpty())
            loaded.url = loaded.navigationUrl;
    } else if (name == QLatin1String("load")) {
        complete(loaded, out);
    }
}

void FrameTracker::onContextCreated(const QJsonObject &context)
{
    const QJsonObject auxData = context.value(QLatin1String("auxData")).toObject();
    if (auxData.value(QLatin1String("isDefault")).toBool())
        frame(jsonText(auxData, "frameId")).contextId = context.value(QLatin1String("id")).toInt();
}

void FrameTracker::onContextDestroyed(int contextId)
{
    for (auto &[id, each] : m_frames) {
        if (each.contextId == contextId)
            each.contextId.reset();
    }
}

void FrameTracker::complete(Frame &frame, std::vector<PageNotification> &out)
{
    frame.navigating = false;
    frame.loading = false; // the window is no longer busy once its page is complete
    const PageNotification completion{PageNotification::Kind::DocumentCompleted, frame.url};
    if (&frame != &this->frame(m_mainFrameId)) {
        if (this->frame(m_mainFrameId).navigating)
            m_heldCompletions.push_back(completion);
        else
            out.push_back(completion);
        return;
    }
    releaseHeldCompletions(out);
    out.push_back(completion);
}

void FrameTracker::releaseHeldCompletions(std::vector<PageNotification> &out)
{
    out.insert(out.end(), m_heldCompletions.begin(), m_heldCompletions.end());
    m_heldCompletions.clear();
}

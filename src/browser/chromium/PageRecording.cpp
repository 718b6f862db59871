#include "browser/chromium/PageRecording.h"

#include "browser/chromium/PageSession.h"
#include "browser/chromium/ProtocolJson.h"
#include "browser/chromium/RecordingScript.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTimer>
#include <QUrl>

#include <algorithm>

namespace {

constexpr int kHistoryAttempts = 40;
constexpr int kHistoryRetryMs = 25;

ClickedElement clickedElementFrom(const QJsonObject &facts)
{
    ClickedElement element;
    element.tagName = jsonText(facts, "tagName");
    element.type = jsonText(facts, "type");
    element.text = jsonText(facts, "text");
    element.value = jsonText(facts, "value");
    element.name = jsonText(facts, "name");
    element.id = jsonText(facts, "id");
    element.position = facts.value(QStringLiteral("position")).toInt(-1);
    element.positionInName = facts.value(QStringLiteral("positionInName")).toInt(-1);
    element.firstLinkWithText = facts.value(QStringLiteral("firstLinkWithText")).toBool();
    element.firstButtonWithCaption = facts.value(QStringLiteral("firstButtonWithCaption")).toBool();
    element.firstWithName = facts.value(QStringLiteral("firstWithName")).toBool();
    element.firstWithId = facts.value(QStringLiteral("firstWithId")).toBool();
    element.opensNewWindow = facts.value(QStringLiteral("opensNewWindow")).toBool();
    return element;
}

ChangedField changedFieldFrom(const QJsonObject &facts)
{
    ChangedField field;
    field.position = facts.value(QStringLiteral("position")).toInt(-1);
    field.tagName = jsonText(facts, "tagName");
    field.type = jsonText(facts, "type");
    field.name = jsonText(facts, "name");
    field.id = jsonText(facts, "id");
    field.value = jsonText(facts, "value");
    field.firstWithName = facts.value(QStringLiteral("firstWithName")).toBool();
    field.firstWithId = facts.value(QStringLiteral("firstWithId")).toBool();
    return field;
}

// How an entry came into the history when the person opened it from the address bar (or a
// bookmark, which stands for a typed address).
bool isTypedTransition(const QString &transitionType)
{
    return transitionType == QLatin1String("typed") || transitionType == QLatin1String("address_bar")
        || transitionType == QLatin1String("generated") || transitionType == QLatin1String("auto_bookmark");
}

// Whether the history's current entry is the document the frame shows (an error page shows
// another address than its entry's: it is given its time, then taken as it is).
bool showsCurrentEntry(const QJsonObject &history, const QString &shownUrl)
{
    const int current = history.value(QStringLiteral("currentIndex")).toInt(-1);
    const QJsonObject entry = history.value(QStringLiteral("entries")).toArray().at(current).toObject();
    const auto withoutFragment = [](const QString &url) { return url.section(QLatin1Char('#'), 0, 0); };
    return withoutFragment(jsonText(entry, "url")) == withoutFragment(shownUrl);
}

// Only a page a script can go to again: not the browser's own pages.
bool isNavigable(const QUrl &url)
{
    const QString scheme = url.scheme();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https") || scheme == QLatin1String("file");
}

} // namespace

PageRecording::PageRecording(std::shared_ptr<PageSession> session, std::shared_ptr<PersonActionQueue> actions)
    : m_session(std::move(session))
    , m_actions(std::move(actions))
    , m_scriptId(std::make_shared<QString>())
    , m_alive(std::make_shared<bool>(true))
{
    const QString source = PageScripts::recorderSource();
    m_session->post(QStringLiteral("Runtime.addBinding"), {{QStringLiteral("name"), QLatin1String(PageScripts::kRecordingBinding)}});
    m_session->post(QStringLiteral("Page.addScriptToEvaluateOnNewDocument"), {{QStringLiteral("source"), source}},
                    [session = m_session, scriptId = m_scriptId, alive = m_alive](const DevToolsReply &reply) {
                        *scriptId = jsonText(reply.result, "identifier");
                        if (!*alive && !scriptId->isEmpty())
                            session->post(QStringLiteral("Page.removeScriptToEvaluateOnNewDocument"),
                                          {{QStringLiteral("identifier"), *scriptId}});
                    });
    m_session->post(QStringLiteral("Runtime.evaluate"), {{QStringLiteral("expression"), source}});
    readHistory({});
}

PageRecording::~PageRecording()
{
    *m_alive = false;
    for (; m_historyReads > 0; --m_historyReads)
        m_actions->release();
    if (!m_scriptId->isEmpty())
        m_session->post(QStringLiteral("Page.removeScriptToEvaluateOnNewDocument"), {{QStringLiteral("identifier"), *m_scriptId}});
    m_session->post(QStringLiteral("Runtime.removeBinding"), {{QStringLiteral("name"), QLatin1String(PageScripts::kRecordingBinding)}});
    m_session->post(QStringLiteral("Runtime.evaluate"), {{QStringLiteral("expression"), PageScripts::recorderStopSource()}});
}

void PageRecording::ownNavigationRequested(OwnNavigation navigation)
{
    ++(navigation == OwnNavigation::Address ? m_ownAddresses : m_ownBacks);
}

void PageRecording::ownNavigationRefused(OwnNavigation navigation)
{
    int &count = navigation == OwnNavigation::Address ? m_ownAddresses : m_ownBacks;
    count = std::max(count - 1, 0);
}

void PageRecording::handleEvent(const QString &method, const QJsonObject &params)
{
    if (method == QLatin1String("Runtime.bindingCalled")) {
        onBindingCalled(params);
        return;
    }
    const QJsonObject frame = params.value(QStringLiteral("frame")).toObject();
    if (method == QLatin1String("Page.frameNavigated") && jsonText(frame, "parentId").isEmpty())
        readHistory(jsonText(frame, "url"));
    else if (method == QLatin1String("Page.navigatedWithinDocument") && jsonText(params, "frameId") == m_session->targetId())
        readHistory(jsonText(params, "url"));
    else if (method == QLatin1String("Page.frameStartedNavigating") && jsonText(params, "frameId") == m_session->targetId()
             && jsonText(params, "navigationType").startsWith(QLatin1String("history")))
        ++m_historyMoves;
}

void PageRecording::onBindingCalled(const QJsonObject &params)
{
    if (jsonText(params, "name") != QLatin1String(PageScripts::kRecordingBinding))
        return;
    const QJsonObject facts = QJsonDocument::fromJson(jsonText(params, "payload").toUtf8()).object();
    const QString kind = jsonText(facts, "kind");
    if (kind == QLatin1String("click")) {
        const ClickedElement element = clickedElementFrom(facts);
        m_actions->tell([element](PersonActions &receiver) { receiver.elementClicked(element); });
    } else if (kind == QLatin1String("field")) {
        const ChangedField field = changedFieldFrom(facts);
        m_actions->tell([field](PersonActions &receiver) { receiver.fieldChanged(field); });
    }
}

void PageRecording::readHistory(const QString &shownUrl)
{
    ++m_historyReads;
    m_actions->hold();
    postHistoryReading(shownUrl, ++m_readingsStarted, m_historyMoves, kHistoryAttempts);
}

void PageRecording::postHistoryReading(const QString &shownUrl, int reading, int historyMoves, int attemptsLeft)
{
    m_session->post(QStringLiteral("Page.getNavigationHistory"), {},
                    [this, alive = m_alive, shownUrl, reading, historyMoves, attemptsLeft](const DevToolsReply &reply) {
        if (!*alive)
            return;
        const bool answered = !reply.error && !reply.connectionLost;
        const bool current = answered && (shownUrl.isEmpty() || showsCurrentEntry(reply.result, shownUrl));
        const bool superseded = reading != m_readingsStarted;
        if (!current && !superseded && !reply.connectionLost && attemptsLeft > 1) {
            // The page shows the document before its history holds its entry, and may refuse to
            // be asked while it commits.
            QTimer::singleShot(kHistoryRetryMs, [this, alive, shownUrl, reading, historyMoves, attemptsLeft] {
                if (*alive)
                    postHistoryReading(shownUrl, reading, historyMoves, attemptsLeft - 1);
            });
            return;
        }
        if (answered && (current || !superseded))
            onHistory(reply.result, historyMoves);
        --m_historyReads;
        m_actions->release();
    });
}

void PageRecording::onHistory(const QJsonObject &history, int historyMoves)
{
    History now;
    now.currentIndex = history.value(QStringLiteral("currentIndex")).toInt(-1);
    const QJsonArray entries = history.value(QStringLiteral("entries")).toArray();
    for (const QJsonValue &entry : entries)
        now.entryIds << entry.toObject().value(QStringLiteral("id")).toInt();
    if (now.currentIndex < 0 || now.currentIndex >= entries.size())
        return;
    const History before = std::exchange(m_history, now);
    if (!std::exchange(m_historyKnown, true))
        return;
    // Chromium answers during a navigation only once it is over: one reading may show several
    // moves. The entries both readings share are where the person went back to before opening
    // the new ones; without a move in the history since the last reading, a changed entry was
    // replaced (a redirect in the page, the first empty page), not left by going back.
    const bool movedInHistory = historyMoves > m_historyMovesRead;
    m_historyMovesRead = std::max(m_historyMovesRead, historyMoves); // readings may come back out of order
    qsizetype shared = 0;
    while (shared < before.entryIds.size() && shared < now.entryIds.size()
           && before.entryIds.at(shared) == now.entryIds.at(shared))
        ++shared;
    const bool opened = shared < now.entryIds.size();
    const int backTo = opened ? int(shared) - 1 : now.currentIndex;
    if (movedInHistory)
        wentBack(before.currentIndex - backTo);
    if (!opened)
        return;
    for (qsizetype index = shared; index < entries.size(); ++index)
        onEntryOpened(entries.at(index).toObject());
    if (movedInHistory)
        wentBack(int(now.entryIds.size()) - 1 - now.currentIndex);
}

void PageRecording::wentBack(int steps)
{
    for (int step = 0; step < steps; ++step) {
        if (m_ownBacks > 0) {
            --m_ownBacks;
            continue;
        }
        m_actions->tell([](PersonActions &receiver) { receiver.wentBack(); });
    }
}

void PageRecording::onEntryOpened(const QJsonObject &entry)
{
    // The address as typed, before the server redirected it.
    QString address = jsonText(entry, "userTypedURL");
    if (address.isEmpty())
        address = jsonText(entry, "url");
    if (!isTypedTransition(jsonText(entry, "transitionType")) || !isNavigable(QUrl(address)))
        return;
    if (m_ownAddresses > 0) {
        --m_ownAddresses;
        return;
    }
    m_actions->tell([address](PersonActions &receiver) { receiver.addressTyped(address); });
}

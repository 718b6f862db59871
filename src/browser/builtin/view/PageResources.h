#pragma once

#include "browser/builtin/net/LoadLimits.h"

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <deque>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class PageLoader;
class NetworkAccess;
struct LoadedResponse;

// A style sheet or an image a page names, on its way or arrived.
struct PageResource {
    enum class Kind { StyleSheet, Image };
    Kind kind;
    bool arrived = false;
    QString text;
    QImage image;
    qint64 bytes = 0; // what it holds in memory
};

// What of a page's budget the page and its resources have taken: a resource counts the first
// time the page uses it.
class PageBudget {
public:
    void setPageBytes(qint64 bytes) { m_pageBytes = bytes; }
    // Counts the resource; false, and the address named in skipped(), when the budget cannot
    // hold it.
    bool charge(const QUrl &address, qint64 bytes);
    void skip(const QString &address);
    [[nodiscard]] qint64 left() const;
    [[nodiscard]] const QStringList &skipped() const { return m_skipped; }

private:
    QSet<QUrl> m_charged;
    qint64 m_pageBytes = 0;
    qint64 m_chargedBytes = 0;
    QStringList m_skipped;
};

// The page's resources as they were when a layout began, for a layout read away from the
// window's thread: the same answers as PageResources gave then, from shared copies of what had
// arrived. What it is asked for and has not is on its way for it; the asking is handed back to
// the page's resources with adopt(), which fetches it.
class ArrivedResources {
public:
    [[nodiscard]] std::optional<QString> styleSheet(const QUrl &url);
    [[nodiscard]] const QImage *image(const QUrl &url);

private:
    friend class PageResources;
    [[nodiscard]] const PageResource *entryFor(const QUrl &url, PageResource::Kind kind);

    QUrl m_page;
    QHash<QUrl, PageResource> m_entries;
    PageBudget m_budget;
    std::vector<std::pair<QUrl, PageResource::Kind>> m_asked;
    QSet<QUrl> m_askedAddresses;
};

// The style sheets and images the shown page names, fetched through the browser's own network
// access (its cookies, its limits) a few at a time, and kept for the pages that follow. A
// resource is fetched the first time it is asked for; until it has arrived, or when it failed,
// the page is drawn without it. A page and what it names share one budget, PageBudgetBytes:
// a resource past it is skipped, and named in skipped().
class PageResources final : public QObject {
    Q_OBJECT
public:
    PageResources(NetworkAccess &network, const LoadLimits &limits, QObject *parent = nullptr);
    ~PageResources() override;

    static constexpr qint64 PageBudgetBytes = 64 * 1024 * 1024;

    // Starts a new page at this address (what resources are resolved against and sent as
    // referrer): fetches still waiting for the last page are dropped.
    void startPage(const QUrl &page, const QByteArray &pageEncoding);
    // Forgets what has arrived, so that the page's next layout asks for it again.
    void forgetArrived();
    // What the page's own text takes of its budget.
    void setPageBytes(qint64 bytes) { m_budget.setPageBytes(bytes); }
    // What has arrived, for a layout to read on another thread.
    [[nodiscard]] ArrivedResources arrived() const;
    // Asks for what a layout read from arrived() asked for, as the layout had asked here.
    void adopt(const ArrivedResources &arrived);

    // The style sheet's text: nullopt while it is on its way, an empty text when it failed.
    [[nodiscard]] std::optional<QString> styleSheet(const QUrl &url);
    // The image, or null while it is on its way or when it failed or is not an image.
    [[nodiscard]] const QImage *image(const QUrl &url);
    // The addresses the page asked for that have neither arrived nor failed yet.
    [[nodiscard]] QStringList unfinished() const;
    [[nodiscard]] bool styleSheetsUnfinished() const;
    // The addresses the page asked for that were skipped, its budget spent.
    [[nodiscard]] const QStringList &skipped() const { return m_budget.skipped(); }

signals:
    // A resource the page asked for arrived or failed.
    void resourceFinished();

private:
    using Kind = PageResource::Kind;
    using Entry = PageResource;

    // The entry of an address this page may fetch, asking for it when it is new; null for an
    // address the page may not reach.
    Entry *entryFor(const QUrl &url, Kind kind);
    void fetchNext();
    void onFetched(PageLoader *loader, const QUrl &address);
    void take(Entry &entry, const LoadedResponse &response);

    NetworkAccess &m_network;
    const LoadLimits m_limits;
    QUrl m_page;
    QByteArray m_pageEncoding;
    QHash<QUrl, Entry> m_entries;
    // What the page shown asked for, arrived or not, and which of it counts against its budget.
    QSet<QUrl> m_pageAsked;
    PageBudget m_budget;
    std::deque<QUrl> m_waiting;
    std::vector<std::unique_ptr<PageLoader>> m_loading;
    qint64 m_imageBytes = 0;
};

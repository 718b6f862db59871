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

// A style sheet, an image or a font a page names, on its way or arrived.
struct PageResource {
    enum class Kind { StyleSheet, Image, Font };
    Kind kind;
    bool arrived = false;
    QString text;
    QImage image;
    QByteArray font;
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
// arrived (fonts registered beforehand, on the window's thread). What it is asked for and has
// not is on its way for it; the asking is handed back to the page's resources with adopt(),
// which fetches it.
class ArrivedResources {
public:
    [[nodiscard]] std::optional<QString> styleSheet(const QUrl &url);
    [[nodiscard]] const QImage *image(const QUrl &url);
    [[nodiscard]] QStringList fontFamilies(const QUrl &url);

private:
    friend class PageResources;
    [[nodiscard]] const PageResource *entryFor(const QUrl &url, PageResource::Kind kind);

    QUrl m_page;
    QHash<QUrl, PageResource> m_entries;
    QHash<QUrl, QStringList> m_fontFamilies;
    PageBudget m_budget;
    std::vector<std::pair<QUrl, PageResource::Kind>> m_asked;
    QSet<QUrl> m_askedAddresses;
};

// The style sheets, images and fonts the shown page names, fetched through the browser's own
// network access (its cookies, its limits, its cache) a few at a time. A resource is fetched the
// first time the page asks for it; until it has arrived, or when it failed, the page is drawn
// without it. A later page uses it as it was read (decoded) only while the browser's cache holds
// it fresh: otherwise it is fetched again, and the cache asks its server whether it changed. A
// page and what it names share one budget, PageBudgetBytes:
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
    // The next page started fetches everything it names again from the servers, past the cache,
    // as a browser's Reload does.
    void reloadNextPage() { m_reloadNext = true; }
    // What the page's own text takes of its budget.
    void setPageBytes(qint64 bytes) { m_budget.setPageBytes(bytes); }
    // What has arrived, for a layout to read on another thread; the fonts among it that the page
    // asked for are registered first.
    [[nodiscard]] ArrivedResources arrived();
    // Asks for what a layout read from arrived() asked for, as the layout had asked here.
    void adopt(const ArrivedResources &arrived);

    // The style sheet's text: nullopt while it is on its way, an empty text when it failed.
    [[nodiscard]] std::optional<QString> styleSheet(const QUrl &url);
    // The image, or null while it is on its way or when it failed or is not an image.
    [[nodiscard]] const QImage *image(const QUrl &url);
    // The families of the font file at the address, registered with the application's fonts
    // until the next page starts; empty while it is on its way or when it failed or is no font.
    [[nodiscard]] QStringList fontFamilies(const QUrl &url);
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
    // Drops what earlier pages read that may not be used as it is any longer.
    void forgetStale();
    // The families of an arrived font, registered for the page shown the first time it is asked.
    [[nodiscard]] QStringList registeredFamilies(const QUrl &address, const Entry &entry);
    void removePageFonts();

    NetworkAccess &m_network;
    const LoadLimits m_limits;
    QUrl m_page;
    QByteArray m_pageEncoding;
    QHash<QUrl, Entry> m_entries;
    // What the page shown asked for, arrived or not, and which of it counts against its budget.
    QSet<QUrl> m_pageAsked;
    PageBudget m_budget;
    // The fonts registered for the page shown, by address: their ids with the font database (-1
    // for data it could not read).
    QHash<QUrl, int> m_pageFonts;
    std::deque<QUrl> m_waiting;
    std::vector<std::unique_ptr<PageLoader>> m_loading;
    qint64 m_imageBytes = 0;
    bool m_reloadNext = false;
    bool m_reloading = false; // the page's fetches go past the cache
};

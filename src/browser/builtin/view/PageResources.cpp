#include "browser/builtin/view/PageResources.h"

#include "browser/builtin/BuiltinWindow.h"
#include "browser/builtin/net/NavigationAddress.h"
#include "browser/builtin/net/NetworkAccess.h"
#include "browser/builtin/net/PageLoader.h"
#include "browser/builtin/dom/EncodingSniffer.h"
#include "browser/builtin/dom/TextCodec.h"
#include "browser/builtin/view/SvgImage.h"

#include <QBuffer>
#include <QFontDatabase>
#include <QImageReader>

#include <algorithm>
#include <utility>

namespace {

// A few fetches at a time leave connections free for the navigations of a run.
constexpr size_t MaxParallelFetches = 4;
// A page naming more resources than this gets the first ones only.
constexpr size_t MaxWaitingFetches = 2000;
// An image of more pixels than this (64 MB decoded) is not drawn: decoding it would hold the
// window up for seconds. An image whose size is unknown until it is decoded is bounded by the
// image reader's own allocation limit.
constexpr qint64 MaxImagePixels = 4096 * 4096;
// Decoded images kept for the session; past this, the images of earlier pages are dropped.
constexpr qint64 MaxKeptImageBytes = 256 * 1024 * 1024;

// A page reaches the network and data addresses; local files only from a local page.
[[nodiscard]] bool mayFetch(const QUrl &page, const QUrl &resource)
{
    switch (addressKind(resource)) {
    case AddressKind::Network:
    case AddressKind::Data: return true;
    case AddressKind::File: return addressKind(page) == AddressKind::File;
    default: return false;
    }
}

// The encoding of a style sheet: its byte order mark, its Content-Type charset, its @charset
// rule, else the page's own.
[[nodiscard]] QString decodeStyleSheet(const QByteArray &body, const QByteArray &contentType,
                                       const QByteArray &pageEncoding)
{
    if (body.startsWith("\xEF\xBB\xBF"))
        return dom::decodeText(QByteArrayView(body).sliced(3), dom::Utf8Encoding);
    std::optional<QByteArray> encoding = dom::encodingForLabel(dom::charsetParameter(contentType));
    if (!encoding && body.startsWith("@charset \"")) {
        const qsizetype end = body.indexOf('"', 10);
        if (end > 10)
            encoding = dom::encodingForLabel(QByteArrayView(body).sliced(10, end - 10));
    }
    if (!encoding)
        encoding = dom::encodingForLabel(pageEncoding);
    return dom::decodeText(body, encoding ? QByteArrayView(*encoding) : dom::Utf8Encoding);
}

[[nodiscard]] QImage decodeImage(const QByteArray &body)
{
    QBuffer buffer;
    buffer.setData(body);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > MaxImagePixels)
        return {};
    QImage image = reader.read();
    if (qint64(image.width()) * image.height() > MaxImagePixels)
        return {};
    return image;
}

// A style sheet's text as the page may use it: nullopt while it is on its way, an empty text
// when it failed, is not a style sheet, or the budget cannot hold it.
[[nodiscard]] std::optional<QString> styleSheetOf(const PageResource *entry, const QUrl &address, PageBudget &budget)
{
    if (!entry || (entry->arrived && entry->kind != PageResource::Kind::StyleSheet))
        return QString();
    if (!entry->arrived)
        return std::nullopt;
    return budget.charge(address, entry->bytes) ? entry->text : QString();
}

[[nodiscard]] const QImage *imageOf(const PageResource *entry, const QUrl &address, PageBudget &budget)
{
    if (!entry || !entry->arrived || entry->image.isNull())
        return nullptr;
    return budget.charge(address, entry->bytes) ? &entry->image : nullptr;
}

} // namespace

bool PageBudget::charge(const QUrl &address, qint64 bytes)
{
    if (m_charged.contains(address))
        return true;
    if (bytes > left()) {
        skip(address.toString());
        return false;
    }
    m_charged.insert(address);
    m_chargedBytes += bytes;
    return true;
}

void PageBudget::skip(const QString &address)
{
    if (!m_skipped.contains(address))
        m_skipped.append(address);
}

qint64 PageBudget::left() const
{
    return std::max<qint64>(0, PageResources::PageBudgetBytes - m_pageBytes - m_chargedBytes);
}

std::optional<QString> ArrivedResources::styleSheet(const QUrl &url)
{
    return styleSheetOf(entryFor(url, PageResource::Kind::StyleSheet), url.adjusted(QUrl::RemoveFragment), m_budget);
}

const QImage *ArrivedResources::image(const QUrl &url)
{
    return imageOf(entryFor(url, PageResource::Kind::Image), url.adjusted(QUrl::RemoveFragment), m_budget);
}

QStringList ArrivedResources::fontFamilies(const QUrl &url)
{
    const PageResource *entry = entryFor(url, PageResource::Kind::Font);
    if (!entry || !entry->arrived || entry->font.isEmpty())
        return {};
    const QUrl address = url.adjusted(QUrl::RemoveFragment);
    return m_budget.charge(address, entry->bytes) ? m_fontFamilies.value(address) : QStringList();
}

const PageResource *ArrivedResources::entryFor(const QUrl &url, PageResource::Kind kind)
{
    static const PageResource onItsWay{};
    if (!url.isValid() || !mayFetch(m_page, url))
        return nullptr;
    const QUrl address = url.adjusted(QUrl::RemoveFragment);
    if (!m_askedAddresses.contains(address)) {
        m_askedAddresses.insert(address);
        m_asked.emplace_back(url, kind);
    }
    const auto found = m_entries.constFind(address);
    return found == m_entries.cend() ? &onItsWay : &found.value();
}

PageResources::PageResources(NetworkAccess &network, const LoadLimits &limits, QObject *parent)
    : QObject(parent)
    , m_network(network)
    , m_limits(limits)
{
}

PageResources::~PageResources()
{
    removePageFonts();
}

void PageResources::removePageFonts()
{
    for (const int id : std::as_const(m_pageFonts))
        if (id >= 0)
            QFontDatabase::removeApplicationFont(id);
    m_pageFonts.clear();
}

void PageResources::startPage(const QUrl &page, const QByteArray &pageEncoding)
{
    m_page = page;
    m_pageEncoding = pageEncoding;
    m_pageAsked.clear();
    m_budget = {};
    removePageFonts();
    for (const QUrl &url : m_waiting)
        m_entries.remove(url);
    m_waiting.clear();
    m_reloading = std::exchange(m_reloadNext, false);
    forgetStale();
}

void PageResources::forgetStale()
{
    const bool tooManyImages = m_imageBytes > MaxKeptImageBytes;
    m_entries.removeIf([this, tooManyImages](const auto &entry) {
        const Entry &held = entry.value();
        return held.arrived
            && (m_reloading || !m_network.cache().holdsFresh(entry.key()) || (tooManyImages && held.kind == Kind::Image));
    });
    m_imageBytes = 0;
    for (const Entry &entry : std::as_const(m_entries))
        m_imageBytes += entry.kind == Kind::Image ? entry.bytes : 0;
}

std::optional<QString> PageResources::styleSheet(const QUrl &url)
{
    return styleSheetOf(entryFor(url, Kind::StyleSheet), url.adjusted(QUrl::RemoveFragment), m_budget);
}

const QImage *PageResources::image(const QUrl &url)
{
    return imageOf(entryFor(url, Kind::Image), url.adjusted(QUrl::RemoveFragment), m_budget);
}

QStringList PageResources::fontFamilies(const QUrl &url)
{
    const Entry *entry = entryFor(url, Kind::Font);
    if (!entry || !entry->arrived || entry->font.isEmpty())
        return {};
    const QUrl address = url.adjusted(QUrl::RemoveFragment);
    return m_budget.charge(address, entry->bytes) ? registeredFamilies(address, *entry) : QStringList();
}

QStringList PageResources::registeredFamilies(const QUrl &address, const Entry &entry)
{
    auto registered = m_pageFonts.constFind(address);
    if (registered == m_pageFonts.cend())
        registered = m_pageFonts.insert(address, QFontDatabase::addApplicationFontFromData(entry.font));
    return *registered < 0 ? QStringList() : QFontDatabase::applicationFontFamilies(*registered);
}

ArrivedResources PageResources::arrived()
{
    ArrivedResources arrived;
    arrived.m_page = m_page;
    arrived.m_entries = m_entries;
    arrived.m_budget = m_budget;
    for (const QUrl &address : std::as_const(m_pageAsked))
        if (const auto entry = m_entries.constFind(address);
            entry != m_entries.cend() && entry->kind == Kind::Font && entry->arrived && !entry->font.isEmpty())
            arrived.m_fontFamilies.insert(address, registeredFamilies(address, *entry));
    return arrived;
}

void PageResources::adopt(const ArrivedResources &arrived)
{
    for (const auto &[url, kind] : arrived.m_asked) {
        switch (kind) {
        case Kind::StyleSheet: (void)styleSheet(url); break;
        case Kind::Image: (void)image(url); break;
        case Kind::Font: (void)fontFamilies(url); break;
        }
    }
}

bool PageResources::styleSheetsUnfinished() const
{
    return std::any_of(m_pageAsked.cbegin(), m_pageAsked.cend(), [this](const QUrl &address) {
        const auto entry = m_entries.constFind(address);
        return entry != m_entries.cend() && !entry->arrived && entry->kind == Kind::StyleSheet;
    });
}

QStringList PageResources::unfinished() const
{
    QStringList addresses;
    for (const QUrl &address : m_pageAsked) {
        const auto entry = m_entries.constFind(address);
        if (entry != m_entries.cend() && !entry->arrived)
            addresses.append(address.toString());
    }
    addresses.sort();
    return addresses;
}

PageResources::Entry *PageResources::entryFor(const QUrl &url, Kind kind)
{
    if (!url.isValid() || !mayFetch(m_page, url))
        return nullptr;
    const QUrl address = url.adjusted(QUrl::RemoveFragment);
    if (const auto found = m_entries.find(address); found != m_entries.end()) {
        m_pageAsked.insert(address);
        return &found.value();
    }
    if (m_waiting.size() >= MaxWaitingFetches)
        return nullptr;
    m_pageAsked.insert(address);
    Entry &entry = m_entries[address];
    entry.kind = kind;
    m_waiting.push_back(address);
    fetchNext();
    return &entry;
}

void PageResources::fetchNext()
{
    while (m_loading.size() < MaxParallelFetches && !m_waiting.empty()) {
        NavigationRequest request;
        request.url = m_waiting.front();
        request.referrer = m_page;
        m_waiting.pop_front();
        // An answer bigger than what is left of the page's budget is not read to its end.
        LoadLimits limits = m_limits;
        limits.maxBodyBytes = std::clamp<qint64>(m_budget.left(), 1, m_limits.maxBodyBytes);
        auto loader = std::make_unique<PageLoader>(m_network, limits, request,
                                                   m_reloading ? CacheUse::Reload : CacheUse::Normal);
        PageLoader *started = loader.get();
        connect(started, &PageLoader::finished, this,
                [this, started, address = request.url] { onFetched(started, address); });
        m_loading.push_back(std::move(loader));
        started->start();
    }
}

void PageResources::onFetched(PageLoader *loader, const QUrl &address)
{
    const auto owned = std::find_if(m_loading.begin(), m_loading.end(),
                                    [loader](const auto &each) { return each.get() == loader; });
    if (owned == m_loading.end())
        return;
    // The loader is in the middle of reporting its end: it is deleted from the event loop.
    const std::unique_ptr<PageLoader, PageLoaderDisposal> finished(owned->release());
    m_loading.erase(owned);
    if (const auto entry = m_entries.find(address); entry != m_entries.end())
        take(entry.value(), finished->response());
    fetchNext();
}

void PageResources::take(Entry &entry, const LoadedResponse &response)
{
    entry.arrived = true;
    const bool answered = !response.failure && response.httpStatus < 400;
    if (response.failure && response.failure->kind == LoadFailureKind::TooLarge && m_budget.left() < m_limits.maxBodyBytes)
        m_budget.skip(response.request.url.toString());
    if (entry.kind == Kind::StyleSheet && answered) {
        entry.text = decodeStyleSheet(response.body, response.contentType, m_pageEncoding);
        entry.bytes = entry.text.size() * qint64(sizeof(QChar));
    } else if (entry.kind == Kind::Font && answered) {
        entry.font = response.body;
        entry.bytes = entry.font.size();
    } else if (entry.kind == Kind::Image && answered && m_imageBytes <= MaxKeptImageBytes) {
        entry.image = looksLikeSvg(response.body, response.contentType) ? drawSvg(response.body, MaxImagePixels)
                                                                        : decodeImage(response.body);
        entry.bytes = entry.image.sizeInBytes();
        m_imageBytes += entry.bytes;
    }
    emit resourceFinished();
}

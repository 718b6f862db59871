#include "browser/builtin/PageDocument.h"

#include "browser/builtin/ErrorPage.h"
#include "browser/builtin/dom/EncodingSniffer.h"
#include "browser/builtin/dom/HtmlDocument.h"
#include "browser/builtin/dom/TextCodec.h"
#include "browser/builtin/dom/UrlParsing.h"

#include <QMimeDatabase>
#include <QStringDecoder>

namespace {

constexpr char HtmlUtf8[] = "text/html; charset=utf-8";

[[nodiscard]] QByteArray essenceOf(const QByteArray &contentType)
{
    const qsizetype semicolon = contentType.indexOf(';');
    return (semicolon < 0 ? contentType : contentType.first(semicolon)).trimmed().toLower();
}

[[nodiscard]] ContentKind kindOfEssence(const QByteArray &essence)
{
    if (essence == "text/html" || essence == "application/xhtml+xml")
        return ContentKind::Html;
    const bool textual = essence.startsWith("text/") || essence == "application/json"
        || essence == "application/xml" || essence == "application/javascript"
        || essence == "application/x-javascript" || essence == "application/ecmascript"
        || essence.endsWith("+json");
    return textual ? ContentKind::Text : ContentKind::Other;
}

[[nodiscard]] QByteArray sniffedType(const QUrl &url, const QByteArray &body)
{
    const QMimeDatabase mimes;
    // An empty answer is an empty page, whatever its name says.
    if (body.isEmpty())
        return "text/html";
    const QMimeType type = url.isLocalFile() ? mimes.mimeTypeForFileNameAndData(url.fileName(), body)
                                             : mimes.mimeTypeForData(body);
    if (type.inherits(QStringLiteral("text/html")))
        return "text/html";
    return type.inherits(QStringLiteral("text/plain")) ? QByteArray("text/plain") : type.name().toLatin1();
}

[[nodiscard]] QByteArray effectiveType(const LoadedResponse &response)
{
    if (!essenceOf(response.contentType).isEmpty())
        return response.contentType;
    return sniffedType(response.request.url, response.body);
}

[[nodiscard]] QString decodedText(const QByteArray &body, const QByteArray &contentType)
{
    if (const auto bom = QStringConverter::encodingForData(body)) {
        QStringDecoder decoder(*bom);
        return decoder(body);
    }
    if (const auto declared = dom::encodingForLabel(dom::charsetParameter(contentType)))
        return dom::decodeText(body, *declared);
    QStringDecoder utf8(QStringConverter::Utf8);
    QString text = utf8(body);
    if (!utf8.hasError())
        return text;
    // Undeclared text that is not UTF-8 is read as windows-1252, as browsers in the West do.
    return dom::decodeText(body, dom::Windows1252Encoding);
}

} // namespace

ContentKind contentKindOf(const QByteArray &contentType, const QUrl &url, const QByteArray &body)
{
    const QByteArray essence = essenceOf(contentType);
    return kindOfEssence(essence.isEmpty() ? sniffedType(url, body) : essence);
}

// The text is held as UTF-16 only while it is turned into UTF-8, and escaped straight into the
// page: a large text file costs a few times its size, not ten.
QByteArray textAsHtml(const QByteArray &body, const QByteArray &contentType)
{
    const QByteArray text = decodedText(body, contentType).toUtf8();
    QByteArray html = "<html><head></head><body><pre>";
    html.reserve(text.size() + text.size() / 8 + 64);
    for (const char c : text) {
        switch (c) {
        case '<': html += "&lt;"; break;
        case '>': html += "&gt;"; break;
        case '&': html += "&amp;"; break;
        case '"': html += "&quot;"; break;
        default: html += c;
        }
    }
    html += "</pre></body></html>";
    return html;
}

std::shared_ptr<Document> pageDocument(LoadedResponse response, std::weak_ptr<NavigationHost> host,
                                       dom::HtmlParser &parser, std::stop_token stop)
{
    const QUrl &url = response.request.url;
    const QString written = dom::writtenUrl(url, response.request.wireTarget);
    if (response.failure)
        return buildHtmlDocument(errorPageHtml(*response.failure, url), HtmlUtf8, url, std::move(host), parser,
                                 std::move(stop), written);
    const QByteArray type = effectiveType(response);
    switch (kindOfEssence(essenceOf(type))) {
    case ContentKind::Html:
        return buildHtmlDocument(std::move(response.body), type, url, std::move(host), parser, std::move(stop), written);
    case ContentKind::Text: {
        QByteArray html = textAsHtml(response.body, type);
        response.body.clear();
        return buildHtmlDocument(std::move(html), HtmlUtf8, url, std::move(host), parser, std::move(stop), written);
    }
    case ContentKind::Other: break;
    }
    return buildOtherDocument(url, type);
}

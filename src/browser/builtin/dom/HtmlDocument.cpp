#include "browser/builtin/dom/HtmlDocument.h"

#include "browser/builtin/dom/AsciiText.h"
#include "browser/builtin/dom/DocumentModel.h"
#include "browser/builtin/dom/Editing.h"
#include "browser/builtin/dom/ElementHandle.h"
#include "browser/builtin/dom/FormControls.h"
#include "browser/builtin/dom/EncodingSniffer.h"
#include "browser/builtin/dom/HtmlParser.h"
#include "browser/builtin/dom/HtmlSerializer.h"
#include "browser/builtin/dom/TreeWalk.h"
#include "engine/ScriptError.h"

#include <functional>

namespace {

// A page parsed into the built-in engine's document model.
class HtmlDocument : public Document {
public:
    explicit HtmlDocument(std::shared_ptr<dom::DocumentModel> model) : m_model(std::move(model)) {}

    [[nodiscard]] dom::DocumentModel &model() const { return *m_model; }
    [[nodiscard]] std::shared_ptr<dom::DocumentModel> sharedModel() const { return m_model; }

    [[nodiscard]] DocumentKind kind() const override { return DocumentKind::Html; }

    [[nodiscard]] std::unique_ptr<Element> body() const override
    {
        const dom::Element *html = m_model->tree().documentElement();
        if (!html)
            return nullptr;
        for (const auto &child : html->children()) {
            dom::Element *element = child->asElement();
            if (element && (element->is(QLatin1StringView("body")) || element->is(QLatin1StringView("frameset"))))
                return std::make_unique<dom::ElementHandle>(m_model, *element);
        }
        return nullptr;
    }

    [[nodiscard]] std::unique_ptr<Collection> all() const override
    {
        return select([](const dom::Element &) { return true; });
    }

    [[nodiscard]] std::unique_ptr<Collection> links() const override
    {
        return select([](const dom::Element &element) {
            return (element.is(QLatin1StringView("a")) || element.is(QLatin1StringView("area"))) && element.hasAttribute(u"href");
        });
    }

    [[nodiscard]] std::unique_ptr<Collection> getElementsByName(const QString &name) const override
    {
        return select([&name](const dom::Element &element) {
            const QString *value = element.attribute(u"name");
            return element.isHtml() && value && *value == name;
        });
    }

    [[nodiscard]] std::unique_ptr<Element> getElementById(const QString &id) const override
    {
        dom::Element *found = dom::elementById(m_model->tree(), id);
        return found ? std::make_unique<dom::ElementHandle>(m_model, *found) : nullptr;
    }

    [[nodiscard]] std::unique_ptr<Collection> getElementsByTagName(const QString &tagName) const override
    {
        if (tagName == QLatin1StringView("*"))
            return all();
        const QString lower = dom::asciiLowercase(tagName);
        return select([&](const dom::Element &element) {
            return element.localName() == (element.isHtml() ? lower : tagName);
        });
    }

    void execCommand(const QString &command, bool, const QVariant &value) override
    {
        dom::execCommand(*m_model, command, value);
        m_model->notifyEdited();
    }

private:
    [[nodiscard]] std::unique_ptr<Collection> select(const std::function<bool(const dom::Element &)> &test) const
    {
        std::vector<dom::Element *> elements;
        dom::forEachElement(m_model->tree(), [&](dom::Element &element) {
            if (test(element))
                elements.push_back(&element);
            return dom::Walk::Continue;
        });
        return std::make_unique<dom::ElementList>(m_model, std::move(elements));
    }

    std::shared_ptr<dom::DocumentModel> m_model;
};

// A document that is not HTML: every document operation is a type mismatch.
class OtherDocument : public Document {
public:
    [[nodiscard]] DocumentKind kind() const override { return DocumentKind::Other; }
    [[nodiscard]] std::unique_ptr<Element> body() const override { throw ScriptError(TypeMismatch); }
    [[nodiscard]] std::unique_ptr<Collection> all() const override { throw ScriptError(TypeMismatch); }
    [[nodiscard]] std::unique_ptr<Collection> links() const override { throw ScriptError(TypeMismatch); }
    [[nodiscard]] std::unique_ptr<Collection> getElementsByName(const QString &) const override
    {
        throw ScriptError(TypeMismatch);
    }
    [[nodiscard]] std::unique_ptr<Element> getElementById(const QString &) const override
    {
        throw ScriptError(TypeMismatch);
    }
    [[nodiscard]] std::unique_ptr<Collection> getElementsByTagName(const QString &) const override
    {
        throw ScriptError(TypeMismatch);
    }
    void execCommand(const QString &, bool, const QVariant &) override { throw ScriptError(TypeMismatch); }
};

[[nodiscard]] const HtmlDocument *asHtml(const Document &document)
{
    return dynamic_cast<const HtmlDocument *>(&document);
}

} // namespace

std::shared_ptr<Document> buildHtmlDocument(const QByteArray &body, const QByteArray &contentType, const QUrl &url,
                                            std::weak_ptr<NavigationHost> host)
{
    dom::HtmlParser parser;
    return buildHtmlDocument(body, contentType, url, std::move(host), parser);
}

std::shared_ptr<Document> buildHtmlDocument(QByteArray body, const QByteArray &contentType, const QUrl &url,
                                            std::weak_ptr<NavigationHost> host, dom::HtmlParser &parser,
                                            std::stop_token stop, const QString &writtenUrl)
{
    dom::SniffedPage page = dom::decodeHtmlBytes(body, contentType);
    const bool tentative = page.confidence == dom::EncodingConfidence::Tentative;
    if (!tentative)
        body.clear();
    auto tree = parser.parse(page.utf8, stop);
    if (!tree)
        return nullptr;
    // A <meta> the prescan did not reach may still name the encoding: the page is read again in it, once.
    const auto declared = parser.declaredEncoding();
    if (const auto changed = tentative && declared ? dom::changedEncoding(page.encoding, *declared) : std::nullopt) {
        page = dom::decodeHtmlBytesAs(body, *changed);
        tree = parser.parse(page.utf8, std::move(stop));
        if (!tree)
            return nullptr;
    }
    body.clear();
    page.utf8.clear();
    return std::make_shared<HtmlDocument>(
        std::make_shared<dom::DocumentModel>(std::move(tree), url, std::move(page.encoding), std::move(host),
                                             writtenUrl));
}

std::shared_ptr<Document> buildOtherDocument(const QUrl &, const QByteArray &)
{
    return std::make_shared<OtherDocument>();
}

QString documentHtml(const Document &document)
{
    const HtmlDocument *html = asHtml(document);
    return html ? dom::serializeChildren(html->model().tree()) : QString();
}

QString documentTitle(const Document &document)
{
    const HtmlDocument *html = asHtml(document);
    if (!html)
        return {};
    QString title;
    dom::forEachElement(html->model().tree(), [&title](const dom::Element &element) {
        if (element.localName() != QLatin1StringView("title") || element.elementNamespace() == dom::Namespace::MathMl)
            return dom::Walk::Continue;
        title = dom::stripAndCollapseAsciiWhitespace(element.childTextContent());
        return dom::Walk::Stop;
    });
    return title;
}

void clearDocumentSelection(Document &document)
{
    if (const HtmlDocument *html = asHtml(document)) {
        dom::clearSelection(html->model());
        html->model().notifyEdited();
    }
}

std::shared_ptr<dom::DocumentModel> documentModel(const Document &document)
{
    const HtmlDocument *html = asHtml(document);
    return html ? html->sharedModel() : nullptr;
}

QString documentCharset(const Document &document)
{
    const HtmlDocument *html = asHtml(document);
    return html ? QString::fromLatin1(html->model().encoding()) : QString();
}

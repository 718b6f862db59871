#pragma once

#include "engine/ActionTarget.h"
#include "engine/ScriptError.h"

#include <QString>
#include <QStringView>
#include <QVariant>

#include <functional>
#include <memory>
#include <optional>

class Collection;

// An element of an HTML document, as the page actions see it. Every operation may throw
// ScriptError: NotSupported (438) for a property the element does not have, RemoteUnavailable
// (462) when its document or browser is gone. Handles are cheap and owned by the caller.
class Element {
public:
    virtual ~Element() = default;

    [[nodiscard]] virtual QString tagName() const = 0; // upper case, as the DOM gives it: "INPUT"
    [[nodiscard]] virtual QString innerText() const = 0;
    [[nodiscard]] virtual QString innerHTML() const = 0;
    // innerHTML() handed to `read` piece by piece, in order, until `read` returns false: a
    // search that finds its text early is spared the rest of a long page.
    virtual void readInnerHTML(const std::function<bool(QStringView)> &read) const { read(innerHTML()); }
    [[nodiscard]] virtual QString className() const = 0;
    [[nodiscard]] virtual QString id() const = 0;
    [[nodiscard]] virtual QString name() const = 0;
    [[nodiscard]] virtual QString type() const = 0;
    // type(), or nothing for an element without the property: a search through every element
    // of a page asks each, and most have none.
    [[nodiscard]] virtual std::optional<QString> typeIfAny() const
    {
        try {
            return type();
        } catch (const ScriptError &error) {
            if (error.number() != NotSupported)
                throw;
            return std::nullopt;
        }
    }
    [[nodiscard]] virtual QString value() const = 0;
    [[nodiscard]] virtual QString src() const = 0;
    [[nodiscard]] virtual QString href() const = 0;
    [[nodiscard]] virtual QString target() const = 0;

    virtual void setValue(const QString &value) = 0;
    virtual void setInnerText(const QString &text) = 0;
    virtual void setTarget(const QString &target) = 0;

    // Acts as a user's click would; may raise the browser's navigation events before it returns.
    virtual void click() = 0;

    // Every element inside this one, in document order.
    [[nodiscard]] virtual std::unique_ptr<Collection> all() const = 0;
};

// A live-at-creation list of elements in document order.
class Collection {
public:
    virtual ~Collection() = default;

    [[nodiscard]] virtual int length() const = 0;
    // The element at a 0-based position, or null past either end.
    [[nodiscard]] virtual std::unique_ptr<Element> item(int index) const = 0;
    // Element::typeIfAny() of the element at the position (nothing past either end). A search
    // through every element asks each: a backend that can read them all in one request does so
    // at the first.
    [[nodiscard]] virtual std::optional<QString> typeIfAnyAt(int index) const
    {
        const auto element = item(index);
        return element ? element->typeIfAny() : std::nullopt;
    }

    // The by-name requests the fill and click commands make of a whole collection. They act on
    // the collection's first element; a collection without elements has no such property (438).
    [[nodiscard]] QString value() const { return firstElement()->value(); }
    void setValue(const QString &value) { firstElement()->setValue(value); }
    void click() { firstElement()->click(); }

private:
    [[nodiscard]] std::unique_ptr<Element> firstElement() const
    {
        auto first = item(0);
        if (!first)
            throw ScriptError(NotSupported);
        return first;
    }
};

enum class DocumentKind { Html, Other };

// A document shown by a browser window.
class Document {
public:
    virtual ~Document() = default;

    [[nodiscard]] virtual DocumentKind kind() const = 0;
    // The body element, or null when the document has none.
    [[nodiscard]] virtual std::unique_ptr<Element> body() const = 0;
    [[nodiscard]] virtual std::unique_ptr<Collection> all() const = 0;
    [[nodiscard]] virtual std::unique_ptr<Collection> links() const = 0;
    [[nodiscard]] virtual std::unique_ptr<Collection> getElementsByName(const QString &name) const = 0;
    // The first element with that id, or null.
    [[nodiscard]] virtual std::unique_ptr<Element> getElementById(const QString &id) const = 0;
    [[nodiscard]] virtual std::unique_ptr<Collection> getElementsByTagName(const QString &tagName) const = 0;
    // Whether the element a page action looks for is here. An element found is ready, unless the
    // backend can tell that it is hidden or disabled.
    [[nodiscard]] virtual TargetState targetState(const ActionTarget &target) const;
    // An editing command ("FontName", "FontSize", "SelectAll") on the document's selection.
    virtual void execCommand(const QString &command, bool showUserInterface = false,
                             const QVariant &value = {}) = 0;
};

// The document taken as an HTML document: ObjectNotSet (91) when there is none,
// TypeMismatch (13) when it is of another kind.
[[nodiscard]] inline Document &asHtmlDocument(const std::shared_ptr<Document> &document)
{
    if (!document)
        throw ScriptError(ObjectNotSet);
    if (document->kind() != DocumentKind::Html)
        throw ScriptError(TypeMismatch);
    return *document;
}

// The element taken as an input element: ObjectNotSet (91) when empty, TypeMismatch (13) otherwise.
[[nodiscard]] inline Element &asInputElement(const std::unique_ptr<Element> &element)
{
    if (!element)
        throw ScriptError(ObjectNotSet);
    if (element->tagName() != QLatin1String("INPUT"))
        throw ScriptError(TypeMismatch);
    return *element;
}

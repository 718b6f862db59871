// libFuzzer target: HTML bytes into the built-in engine's document model, then every document
// operation the page actions use, the page actions themselves and the page tools; and the same
// bytes through a parser with a nesting cap low enough for short inputs to reach, and through
// parsers that release the finished part of the page after every token.
// The first input byte picks the Content-Type, the page address and the low cap; the rest is
// the page.
#include "FuzzBrowser.h"
#include "RecordingHost.h"

#include "browser/builtin/dom/HtmlDocument.h"
#include "browser/builtin/dom/HtmlParser.h"
#include "browser/builtin/dom/HtmlSerializer.h"
#include "browser/builtin/dom/InputSanitizer.h"
#include "page/BrowserPageActions.h"
#include "page/CurrentDoc.h"
#include "page/DocumentTools.h"
#include "page/LinkList.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <array>
#include <cstdint>
#include <vector>

namespace {

// Enough elements and names to reach every kind on a page, few enough to keep a run short.
constexpr int kVisitedElements = 128;
constexpr int kLookedUpNames = 8;

const std::array<QByteArray, 8> kContentTypes = {
    QByteArray("text/html; charset=utf-8"), QByteArray("text/html"),
    QByteArray("text/html; charset=windows-1252"), QByteArray("text/html; charset=\"Shift_JIS\""),
    QByteArray("text/html; charset=utf-16le"), QByteArray("text/html;charset=iso-2022-jp"),
    QByteArray("text/html; charset=x-user-defined"), QByteArray(),
};
const std::array<QUrl, 2> kAddresses = {
    QUrl(QStringLiteral("http://user:pw@127.0.0.1:8080/dir/page.html?q=1#top")),
    QUrl(QStringLiteral("file:///tmp/page.html")),
};
const std::array<QString, 4> kWrittenTexts = {
    QString(),
    QStringLiteral("line one\r\nline two\n\nthree\r"),
    QStringLiteral("<b>&amp;</b> \u00e9\u4e2d\U0001F600 ;#$$$"),
    QStringLiteral("_blank"),
};

using Read = QString (Element::*)() const;
const std::array<Read, 11> kReads = {&Element::tagName, &Element::innerText, &Element::innerHTML,
                                     &Element::className, &Element::id, &Element::name, &Element::type,
                                     &Element::value, &Element::src, &Element::href, &Element::target};

// What the elements of the page are called, for the lookups by name, id and text.
struct Names {
    QStringList names;
    QStringList ids;
    QStringList linkTexts;
    QStringList values;
};

template <typename Operation>
void allowingScriptErrors(Operation &&operation)
{
    try {
        operation();
    } catch (const ScriptError &) {
    }
}

void addOnce(QStringList &list, const QString &text)
{
    if (list.size() < kLookedUpNames && !list.contains(text))
        list.append(text);
}

// The values that value sanitisation leaves in the input kinds that hold numbers or colours.
void checkSanitizedValue(Element &element)
{
    if (element.tagName() != QLatin1StringView("INPUT"))
        return;
    static const QRegularExpression colour(QStringLiteral("^#[0-9a-f]{6}$"));
    const QString type = element.type();
    const QString value = element.value();
    if (type == QLatin1StringView("range"))
        require(dom::parseFloatingPointNumber(value).has_value(), "a range input holds a number");
    else if (type == QLatin1StringView("number"))
        require(value.isEmpty() || dom::parseFloatingPointNumber(value), "a number input holds a number or nothing");
    else if (type == QLatin1StringView("color"))
        require(colour.match(value).hasMatch(), "a colour input holds a lower-case #rrggbb");
}

// Reads every property of an element: a property it lacks is 438, nothing else fails.
void readEverything(Element &element, Names &names)
{
    for (const Read read : kReads) {
        try {
            (void)(element.*read)();
        } catch (const ScriptError &error) {
            require(error.number() == NotSupported, "a property read fails only with 438");
        }
    }
    allowingScriptErrors([&] { addOnce(names.names, element.name()); });
    allowingScriptErrors([&] { addOnce(names.values, element.value()); });
    if (const QString id = element.id(); !id.isEmpty())
        addOnce(names.ids, id);
    require(element.all()->length() >= 0, "a collection has a length");
    allowingScriptErrors([&] { checkSanitizedValue(element); });
}

Names readDocument(const Document &document)
{
    (void)documentHtml(document);
    (void)documentTitle(document);
    (void)documentCharset(document);
    if (const auto body = document.body()) {
        (void)body->innerHTML();
        allowingScriptErrors([&] { (void)body->innerText(); });
    }
    Names names;
    const auto all = document.all();
    require(!all->item(-1) && !all->item(all->length()), "no element outside a collection");
    for (int index = 0; index < all->length() && index < kVisitedElements; ++index)
        readEverything(*all->item(index), names);
    const auto links = document.links();
    for (int index = 0; index < links->length() && index < kVisitedElements; ++index) {
        const auto link = links->item(index);
        (void)link->href();
        allowingScriptErrors([&] { addOnce(names.linkTexts, link->innerText()); });
    }
    for (const QString &id : names.ids) {
        const auto element = document.getElementById(id);
        require(element && element->id() == id, "an id found in the page finds its element");
    }
    for (const QString &name : names.names) {
        const auto named = document.getElementsByName(name);
        allowingScriptErrors([&] { (void)named->value(); });
    }
    for (const char *tag : {"INPUT", "a", "*", "svg", "Option"})
        (void)document.getElementsByTagName(QString::fromLatin1(tag))->length();
    return names;
}

// Writes and clicks every element, with the selection and font commands in between.
void changeDocument(Document &document, std::uint8_t seed)
{
    document.execCommand(QStringLiteral("SelectAll"));
    const auto all = document.all();
    for (int index = 0; index < all->length() && index < kVisitedElements; ++index) {
        const auto element = all->item(index);
        const QString &text = kWrittenTexts[(index + seed) % kWrittenTexts.size()];
        allowingScriptErrors([&] { element->setValue(text); });
        allowingScriptErrors([&] { checkSanitizedValue(*element); });
        allowingScriptErrors([&] { element->setTarget(text); });
        if ((index + seed) % 5 == 0)
            allowingScriptErrors([&] { element->setInnerText(text); });
        allowingScriptErrors([&] { element->click(); });
        if (index % 16 == 0)
            document.execCommand(QStringLiteral("FontSize"), false, index % 9 - 2);
    }
    document.execCommand(QStringLiteral("FontName"), false, QStringLiteral("Verdana"));
    document.execCommand(QStringLiteral("fontsize"), true, QStringLiteral("+2"));
    document.execCommand(QStringLiteral("Bold"));
    clearDocumentSelection(document);
    document.execCommand(QStringLiteral("FontSize"), false, 7);
}

// The script commands and menu tools over the page, by the names the page itself uses.
void runPageActions(FuzzBrowserAccess &browser, RunState &state, const Names &names)
{
    BrowserPageActions page(browser, state);
    RecordingHost host;
    LinkList linkList;
    DocumentTools tools(browser, host, linkList);
    tools.listLinks();
    tools.traverseLinks();
    tools.zoomSelection(4);
    tools.zoomAll(5);
    for (const QString &text : names.linkTexts) {
        allowingScriptErrors([&] { page.clickLink(text); });
        allowingScriptErrors([&] { page.clickLinkInNewWindow(text); });
    }
    for (const QString &name : names.names) {
        allowingScriptErrors([&] { page.fillByName(name, name); });
        allowingScriptErrors([&] { page.appendByName(name, QStringLiteral("+")); });
        allowingScriptErrors([&] { page.clickItem(1, name); });
        allowingScriptErrors([&] { page.clickButtonByName(name); });
        allowingScriptErrors([&] { page.clickElementByName(name, true); });
    }
    for (const QString &id : names.ids) {
        allowingScriptErrors([&] { page.fillById(id, id); });
        allowingScriptErrors([&] { page.appendById(id, id); });
        allowingScriptErrors([&] { page.fillByClass(id, id); });
        allowingScriptErrors([&] { page.clickElementById(id, false); });
    }
    for (const QString &value : names.values) {
        allowingScriptErrors([&] { page.clickButton(value, true); });
        allowingScriptErrors([&] { page.clickImageInput(value); });
    }
    allowingScriptErrors([&] { page.clickByClass(QString()); });
    allowingScriptErrors([&] { page.clickItem(-1, QString()); });
    allowingScriptErrors([&] { page.clickItem(3, QString()); });
    CurrentDoc.reset();
}

// No element lies deeper than the cap, whatever the markup; template contents count too.
void checkNestingCap(const QByteArray &html, std::uint8_t choice)
{
    const int cap = 3 + (choice >> 4);
    const auto document = dom::HtmlParser(cap).parse(html);
    require(document != nullptr, "a parse that is not stopped gives a document");
    std::vector<std::pair<const dom::Node *, int>> pending{{document.get(), 0}};
    while (!pending.empty()) {
        const auto [node, depth] = pending.back();
        pending.pop_back();
        require(depth <= cap, "no element deeper than the nesting cap");
        for (const auto &child : node->children())
            if (child->isElement())
                pending.emplace_back(child.get(), depth + 1);
        if (const dom::Element *element = node->asElement(); element && element->templateContentIfAny())
            pending.emplace_back(element->templateContentIfAny(), depth);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication application(*argc, *argv);
    return 0;
}

// Releasing the finished part of the page after every token, as a large page is parsed, gives
// the document the whole tree gives, with the cap as well as without.
void checkReleaseWhileParsing(const QByteArray &html, std::uint8_t choice)
{
    for (const int cap : {dom::MaxNestingDepth, 3 + (choice >> 4)}) {
        const auto whole = dom::HtmlParser(cap, 0).parse(html);
        const auto released = dom::HtmlParser(cap, 1).parse(html);
        require(dom::serializeChildren(*whole) == dom::serializeChildren(*released),
                "releasing the finished part while parsing leaves the document as it is");
    }
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::uint8_t choice = data[0];
    const QByteArray html(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    RunState state;
    FuzzBrowserAccess browser(state);
    auto document = buildHtmlDocument(html, kContentTypes[choice & 7u], kAddresses[(choice >> 3) & 1u],
                                      browser.fuzzWindow);
    browser.fuzzWindow->show(document);
    const Names names = readDocument(*document);
    runPageActions(browser, state, names);
    changeDocument(*document, choice);
    (void)readDocument(*document);
    const QByteArray serialized = documentHtml(*document).toUtf8();
    (void)readDocument(*buildHtmlDocument(serialized, kContentTypes[0], kAddresses[0], browser.fuzzWindow));
    checkNestingCap(html, choice);
    checkReleaseWhileParsing(html, choice);
    return 0;
}

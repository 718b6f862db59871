#include "SuiteData.h"

#include "browser/builtin/dom/DocumentModel.h"
#include "browser/builtin/dom/ElementProperties.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

// The WHATWG URL cases, each resolved as a link's href under a <base href> of the case's base.
constexpr double UrlFloorPercent = 66.8;

// A page at about:blank holding <base href=base> (when there is a base) and <a href=input>:
// the href property the link gives.
[[nodiscard]] QString linkHref(const QString &input, const QJsonValue &base)
{
    auto document = std::make_unique<dom::Document>();
    auto &html = static_cast<dom::Element &>(document->appendChild(std::make_unique<dom::Element>(QStringLiteral("html"), dom::Namespace::Html)));
    auto &head = html.appendChild(std::make_unique<dom::Element>(QStringLiteral("head"), dom::Namespace::Html));
    if (base.isString()) {
        auto baseElement = std::make_unique<dom::Element>(QStringLiteral("base"), dom::Namespace::Html);
        baseElement->setAttribute(QStringLiteral("href"), base.toString());
        head.appendChild(std::move(baseElement));
    }
    auto &body = html.appendChild(std::make_unique<dom::Element>(QStringLiteral("body"), dom::Namespace::Html));
    auto &link = static_cast<dom::Element &>(body.appendChild(std::make_unique<dom::Element>(QStringLiteral("a"), dom::Namespace::Html)));
    link.setAttribute(QStringLiteral("href"), input);
    const dom::DocumentModel model(std::move(document), QUrl(QStringLiteral("about:blank")), "UTF-8", {});
    return *dom::hrefProperty(link, model);
}

TEST(UrlSuite, LinksResolveAsTheStandardSays)
{
    PassRate rate("WHATWG URL", UrlFloorPercent);
    const QJsonArray cases = QJsonDocument::fromJson(readSuiteFile(QStringLiteral("url/urltestdata.json"))).array();
    for (const QJsonValue &value : cases) {
        if (!value.isObject())
            continue; // a comment
        const QJsonObject c = value.toObject();
        const QString input = c.value(u"input").toString();
        // A link whose address does not parse gives its attribute as it is.
        const QString expected = c.value(u"failure").toBool() ? input : c.value(u"href").toString();
        const QString href = linkHref(input, c.value(u"base"));
        rate.count(href == expected);
        if (href != expected && qEnvironmentVariableIsSet("NAVRELAY_SUITE_FAILURES"))
            std::printf("%s | %s | expected %s | got %s\n", qPrintable(input), qPrintable(c.value(u"base").toString()),
                        qPrintable(expected), qPrintable(href));
    }
    rate.print();
    EXPECT_GE(rate.percent(), rate.floorPercent());
}

} // namespace

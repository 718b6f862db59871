#include "SuiteData.h"

#include "browser/builtin/dom/DocumentModel.h"
#include "browser/builtin/dom/ElementProperties.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <set>

namespace {

// The WHATWG URL cases, each resolved as a link's href under a <base href> of the case's base.
constexpr double UrlFloorPercent = 100.0;

using CaseKey = std::pair<QString, QString>; // input, base

// The cases Chromium answers otherwise than the data (tools/record-chromium-urls writes them).
[[nodiscard]] std::set<CaseKey> casesChromiumAnswersOtherwise()
{
    std::set<CaseKey> keys;
    for (const QJsonValue &value : QJsonDocument::fromJson(readSuiteFile(QStringLiteral("url/chromium-differs.json"))).array())
        keys.emplace(value[u"input"].toString(), value[u"base"].toString());
    return keys;
}

// A page of no address of its own holding <base href=base> (when there is a base) and <a href=input>.
class LinkPage {
public:
    LinkPage(const QString &input, const QJsonValue &base)
    {
        auto document = std::make_unique<dom::Document>();
        auto &html = append(*document, "html");
        auto &head = append(html, "head");
        if (base.isString())
            append(head, "base").setAttribute(QStringLiteral("href"), base.toString());
        m_link = &append(append(html, "body"), "a");
        m_link->setAttribute(QStringLiteral("href"), input);
        m_model = std::make_unique<dom::DocumentModel>(std::move(document), QUrl(), "UTF-8",
                                                       std::weak_ptr<NavigationHost>());
    }

    [[nodiscard]] QString href() const { return *dom::hrefProperty(*m_link, *m_model); }
    [[nodiscard]] bool resolves() const { return m_model->resolveUrl(m_link->attributeOrEmpty(u"href")).has_value(); }

private:
    static dom::Element &append(dom::Node &parent, const char *name)
    {
        return static_cast<dom::Element &>(
            parent.appendChild(std::make_unique<dom::Element>(QString::fromLatin1(name), dom::Namespace::Html)));
    }

    dom::Element *m_link = nullptr;
    std::unique_ptr<dom::DocumentModel> m_model;
};

TEST(UrlSuite, LinksResolveAsTheStandardSays)
{
    PassRate rate("WHATWG URL", UrlFloorPercent);
    const std::set<CaseKey> chromiumDiffers = casesChromiumAnswersOtherwise();
    const QJsonArray cases = QJsonDocument::fromJson(readSuiteFile(QStringLiteral("url/urltestdata.json"))).array();
    for (const QJsonValue &value : cases) {
        if (!value.isObject())
            continue; // a comment
        const QJsonObject c = value.toObject();
        const QString input = c.value(u"input").toString();
        const LinkPage page(input, c.value(u"base"));
        // A link whose address does not parse gives its attribute as it is.
        const bool failure = c.value(u"failure").toBool();
        const QString href = page.href();
        const bool passed = failure ? !page.resolves() && href == input : href == c.value(u"href").toString();
        rate.count(passed);
        const bool chromiumAgrees = !chromiumDiffers.contains({input, c.value(u"base").toString()});
        EXPECT_TRUE(passed || !chromiumAgrees) << "Chromium reads it as the data do: " << input.toStdString()
                                                << " against " << c.value(u"base").toString().toStdString()
                                                << " gives " << href.toStdString();
        if (!passed && qEnvironmentVariableIsSet("NAVRELAY_SUITE_FAILURES"))
            std::printf("%s | %s | expected %s | got %s\n", qPrintable(input), qPrintable(c.value(u"base").toString()),
                        failure ? "failure" : qPrintable(c.value(u"href").toString()), qPrintable(href));
    }
    rate.print();
    EXPECT_GE(rate.percent(), rate.floorPercent());
}

} // namespace

#include "EngineDoubles.h"
#include "QtPrinters.h"

#include "engine/RunState.h"
#include "page/BrowserPageActions.h"
#include "page/CurrentDoc.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A tree of elements whose markup is made from their children's, as serialisation makes it,
// and which counts what is asked of it.
struct Node {
    QString tag;
    QString text;
    std::vector<std::shared_ptr<Node>> children;
    int markupReads = 0;
    int clicks = 0;

    [[nodiscard]] QString markup() const
    {
        QString inner = text;
        for (const auto &child : children)
            inner += QLatin1Char('<') + child->tag + QLatin1Char('>') + child->markup() + QStringLiteral("</") + child->tag + QLatin1Char('>');
        return inner;
    }
    void collect(std::vector<std::shared_ptr<Node>> &out) const
    {
        for (const auto &child : children) {
            out.push_back(child);
            child->collect(out);
        }
    }
};

std::shared_ptr<Node> node(const QString &tag, const QString &text, std::vector<std::shared_ptr<Node>> children = {})
{
    return std::make_shared<Node>(Node{tag, text, std::move(children)});
}

class NodeList : public Collection {
public:
    explicit NodeList(std::vector<std::shared_ptr<Node>> nodes) : m_nodes(std::move(nodes)) {}
    int length() const override { return int(m_nodes.size()); }
    std::unique_ptr<Element> item(int index) const override;

private:
    std::vector<std::shared_ptr<Node>> m_nodes;
};

class NodeElement : public Element {
public:
    explicit NodeElement(std::shared_ptr<Node> node) : m_node(std::move(node)) {}
    QString tagName() const override { return m_node->tag; }
    QString innerText() const override { return m_node->text; }
    QString innerHTML() const override { ++m_node->markupReads; return m_node->markup(); }
    QString className() const override { return {}; }
    QString id() const override { return {}; }
    QString name() const override { return {}; }
    QString type() const override { return {}; }
    QString value() const override { throw ScriptError(NotSupported); }
    QString src() const override { return {}; }
    QString href() const override { return {}; }
    QString target() const override { return {}; }
    void setValue(const QString &) override { throw ScriptError(NotSupported); }
    void setInnerText(const QString &) override {}
    void setTarget(const QString &) override {}
    void click() override { ++m_node->clicks; }
    std::unique_ptr<Collection> all() const override
    {
        std::vector<std::shared_ptr<Node>> inside;
        m_node->collect(inside);
        return std::make_unique<NodeList>(std::move(inside));
    }

private:
    std::shared_ptr<Node> m_node;
};

std::unique_ptr<Element> NodeList::item(int index) const
{
    if (index < 0 || index >= length())
        return nullptr;
    return std::make_unique<NodeElement>(m_nodes[std::size_t(index)]);
}

// A document whose whole list may hold several trees one after the other.
class ForestDocument : public BodyOnlyDocument {
public:
    explicit ForestDocument(std::vector<std::shared_ptr<Node>> roots) : BodyOnlyDocument(QString()), m_roots(std::move(roots)) {}
    std::unique_ptr<Collection> all() const override
    {
        std::vector<std::shared_ptr<Node>> nodes;
        for (const auto &root : m_roots) {
            nodes.push_back(root);
            root->collect(nodes);
        }
        return std::make_unique<NodeList>(std::move(nodes));
    }

private:
    std::vector<std::shared_ptr<Node>> m_roots;
};

TEST(clickByClass, ClicksTheOutermostElementHoldingTheImageAndReadsNothingInsideATreeWithout)
{
    const auto deepWithout = node("B", "x", {node("B", "y", {node("B", "z")})});
    const auto lastWithout = node("B", "w");
    const auto without = node("A", "", {deepWithout, lastWithout});
    const auto image = node("IMG", "submit.gif");
    const auto holder = node("P", "", {image});
    const auto with = node("DIV", "", {node("B", "v"), holder});
    const auto after = node("DIV", "submit.gif");

    RunState state;
    RecordingBrowserAccess browser;
    browser.recorder->page = std::make_shared<ForestDocument>(std::vector{without, with, after});
    BrowserPageActions actions(browser, state);
    actions.clickByClass(QStringLiteral("any class"));

    EXPECT_EQ(with->clicks, 1);
    for (const auto &other : {without, deepWithout, holder, image, after})
        EXPECT_EQ(other->clicks, 0);
    EXPECT_EQ(without->markupReads, 1);
    EXPECT_EQ(deepWithout->markupReads + lastWithout->markupReads, 0) << "nothing inside a tree without the image is read";
    EXPECT_EQ(image->markupReads, 0);

    // Nowhere on the page: nothing is clicked.
    browser.recorder->page = std::make_shared<ForestDocument>(std::vector{without});
    actions.clickByClass(QString());
    EXPECT_EQ(without->clicks + deepWithout->clicks, 0);
    CurrentDoc.reset();
}

} // namespace

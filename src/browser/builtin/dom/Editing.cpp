#include "browser/builtin/dom/Editing.h"

#include "browser/builtin/dom/FormControls.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

namespace dom {
namespace {

constexpr int NormalFontSize = 3;

[[nodiscard]] Element *bodyOf(const Document &document)
{
    const Element *html = document.documentElement();
    if (!html)
        return nullptr;
    for (const auto &child : html->children())
        if (Element *element = child->asElement(); element && element->is(QLatin1StringView("body")))
            return element;
    return nullptr;
}

[[nodiscard]] bool isFont(const Node &node)
{
    const Element *element = node.asElement();
    return element && element->is(QLatin1StringView("font"));
}

// The selection, made safe against changes of the tree since it was made.
[[nodiscard]] Selection validSelection(DocumentModel &model)
{
    Selection selection = model.selection();
    if (!selection.container || &treeRoot(*selection.container) != &model.tree())
        return {};
    selection.end = std::min(selection.end, selection.container->children().size());
    return selection;
}

// Sets an attribute of the font element that holds the selected contents, making one first.
void applyFontAttribute(DocumentModel &model, const QString &attribute, const QString &value)
{
    Selection selection = validSelection(model);
    if (selection.isEmpty())
        return;
    Node &container = *selection.container;
    if (isFont(container) && selection.start == 0 && selection.end == container.children().size()) {
        container.asElement()->setAttribute(attribute, value);
        return;
    }
    if (selection.end - selection.start == 1 && isFont(*container.children()[selection.start])) {
        container.children()[selection.start]->asElement()->setAttribute(attribute, value);
        return;
    }
    auto font = std::make_unique<Element>(QStringLiteral("font"), Namespace::Html);
    for (auto &child : container.takeChildren(selection.start, selection.end))
        font->appendChild(std::move(child));
    font->setAttribute(attribute, value);
    Node &inserted = container.insertChild(selection.start, std::move(font));
    model.selection() = {&inserted, 0, inserted.children().size()};
}

// The node and its ancestors, the root first.
[[nodiscard]] std::vector<Node *> pathFromRoot(Node &node)
{
    std::vector<Node *> path;
    for (Node *step = &node; step; step = step->parent())
        path.push_back(step);
    std::reverse(path.begin(), path.end());
    return path;
}

// Whether the point a comes after the point b in tree order.
[[nodiscard]] bool isAfter(const SelectionPoint &a, const SelectionPoint &b)
{
    if (a.node == b.node)
        return a.offset > b.offset;
    const std::vector<Node *> pathA = pathFromRoot(*a.node);
    const std::vector<Node *> pathB = pathFromRoot(*b.node);
    size_t depth = 0;
    while (depth < pathA.size() && depth < pathB.size() && pathA[depth] == pathB[depth])
        ++depth;
    // One node holds the other: the holder comes first.
    if (depth == pathA.size() || depth == pathB.size())
        return depth == pathB.size();
    return pathA[depth]->indexInParent() > pathB[depth]->indexInParent();
}

// Splits a Text node at the offset and gives the part after it, which follows it in the tree;
// null when the offset is at either end of the text.
Node *splitText(Node &node, qsizetype offset)
{
    if (node.type() != NodeType::Text || !node.parent())
        return nullptr;
    auto *text = static_cast<Text *>(&node);
    if (offset <= 0 || offset >= text->data().size())
        return nullptr;
    QString after = text->data().mid(offset);
    text->setData(text->data().left(offset));
    return &node.parent()->insertChild(node.indexInParent() + 1, std::make_unique<Text>(std::move(after)));
}

} // namespace

std::optional<int> legacyFontSize(const QString &value)
{
    const QString text = value.trimmed();
    qsizetype digits = 0;
    const bool relative = text.startsWith(u'+') || text.startsWith(u'-');
    const QString number = relative ? text.mid(1) : text;
    while (digits < number.size() && number[digits].isDigit() && number[digits].unicode() < 0x80)
        ++digits;
    if (digits == 0)
        return std::nullopt;
    const int parsed = number.left(std::min<qsizetype>(digits, 4)).toInt();
    int size = parsed;
    if (relative)
        size = text.startsWith(u'+') ? NormalFontSize + parsed : NormalFontSize - parsed;
    return std::clamp(size, 1, 7);
}

void selectBetween(DocumentModel &model, SelectionPoint from, SelectionPoint to)
{
    if (!from.node || !to.node || &treeRoot(*from.node) != &model.tree() || &treeRoot(*to.node) != &model.tree())
        return;
    if (isAfter(from, to))
        std::swap(from, to);
    if (from.node == to.node && from.node->type() == NodeType::Text && from.offset == to.offset) {
        clearSelection(model);
        return;
    }
    // The end is split first, so that the start's offset still holds when both are in one node.
    (void)splitText(*to.node, to.offset);
    if (Node *after = splitText(*from.node, from.offset)) {
        if (to.node == from.node)
            to.node = after;
        from.node = after;
    }
    const std::vector<Node *> pathFrom = pathFromRoot(*from.node);
    const std::vector<Node *> pathTo = pathFromRoot(*to.node);
    size_t depth = 0;
    while (depth < pathFrom.size() && depth < pathTo.size() && pathFrom[depth] == pathTo[depth])
        ++depth;
    if (depth == pathFrom.size() || depth == pathTo.size()) {
        // One point's node holds the other's: the selection is that node.
        Node &holder = *pathFrom[depth - 1];
        if (!holder.parent()) {
            model.selection() = {&holder, 0, holder.children().size()};
            return;
        }
        const size_t index = holder.indexInParent();
        model.selection() = {holder.parent(), index, index + 1};
        return;
    }
    model.selection() = {pathFrom[depth - 1], pathFrom[depth]->indexInParent(), pathTo[depth]->indexInParent() + 1};
}

void execCommand(DocumentModel &model, const QString &command, const QVariant &value)
{
    if (command.compare(QLatin1StringView("SelectAll"), Qt::CaseInsensitive) == 0) {
        if (Element *body = bodyOf(model.tree()))
            model.selection() = {body, 0, body->children().size()};
    } else if (command.compare(QLatin1StringView("FontName"), Qt::CaseInsensitive) == 0) {
        const QString face = value.toString();
        if (!face.isEmpty())
            applyFontAttribute(model, QStringLiteral("face"), face);
    } else if (command.compare(QLatin1StringView("FontSize"), Qt::CaseInsensitive) == 0) {
        if (const auto size = legacyFontSize(value.toString()))
            applyFontAttribute(model, QStringLiteral("size"), QString::number(*size));
    }
}

void clearSelection(DocumentModel &model)
{
    model.selection() = {};
}

} // namespace dom

#include "browser/builtin/dom/Editing.h"

#include "browser/builtin/dom/FormControls.h"

#include <algorithm>
#include <optional>

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

// The legacy font size (1 to 7) a FontSize value asks for: a number, or "+N"/"-N" relative
// to the normal size 3; nullopt for a value that is not a number.
[[nodiscard]] std::optional<int> legacyFontSize(const QVariant &value)
{
    const QString text = value.toString().trimmed();
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

} // namespace

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
        if (const auto size = legacyFontSize(value))
            applyFontAttribute(model, QStringLiteral("size"), QString::number(*size));
    }
}

void clearSelection(DocumentModel &model)
{
    model.selection() = {};
}

} // namespace dom

// The search a page action makes for its element, asked before it acts: whether the element is
// there yet. Written against the document interface, as the actions are; a backend that can ask
// its page in one request answers it itself.
#include "page/Document.h"
#include "page/ElementSearch.h"

namespace {

bool isButton(Element &element, const QString &caption)
{
    try {
        const std::optional<QString> type = element.typeIfAny();
        return type && (*type == QLatin1String("submit") || *type == QLatin1String("button")) && element.value() == caption;
    } catch (const ScriptError &) {
        return false; // passed over, as clickbutton passes it over
    }
}

bool hasElementNamed(const Document &document, const QString &name)
{
    return document.getElementsByName(name)->length() > 0;
}

bool hasItem(const Document &document, const ActionTarget &target)
{
    const auto all = document.all();
    if (target.text.isEmpty())
        return all->item(target.index) != nullptr;
    return target.index >= 0 && std::size_t(target.index) < namedItems(*all, target.text).size();
}

bool isThere(const Document &document, const ActionTarget &target)
{
    const QString &text = target.text;
    switch (target.kind) {
    case ActionTarget::Kind::Link:
        return findFirst(*document.links(), [&](Element &link) { return link.innerText() == text; }) != nullptr;
    case ActionTarget::Kind::FieldByName:
    case ActionTarget::Kind::ElementByName: return hasElementNamed(document, text);
    case ActionTarget::Kind::ElementByClass:
        return findFirst(*document.all(), [&](Element &element) { return hasClass(element, text); }) != nullptr;
    case ActionTarget::Kind::FieldById: return document.getElementById(text) != nullptr;
    case ActionTarget::Kind::Button: {
        const auto body = document.body();
        return body && findFirst(*body->all(), [&](Element &element) { return isButton(element, text); }) != nullptr;
    }
    case ActionTarget::Kind::Item: return hasItem(document, target);
    case ActionTarget::Kind::ImageInput:
        return findFirst(*document.getElementsByTagName(QStringLiteral("INPUT")), [&](Element &input) { return input.src() == text; }) != nullptr;
    case ActionTarget::Kind::ElementById:
        return findFirst(*document.all(), [&](Element &element) { return element.id() == text; }) != nullptr;
    }
    return false;
}

} // namespace

TargetState Document::targetState(const ActionTarget &target) const
{
    return isThere(*this, target) ? TargetState::Ready : TargetState::Missing;
}

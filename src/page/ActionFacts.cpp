// Reading, at the moment a person acts, which script lookup finds the element again.
#include "page/ActionFacts.h"

#include "page/ElementSearch.h"

namespace {

// A property the element's kind may not have reads as empty.
QString readOrEmpty(const std::function<QString()> &read)
{
    try {
        return read();
    } catch (const ScriptError &) {
        return {};
    }
}

bool firstIsTarget(const Collection &collection, const ElementTest &isTarget)
{
    const auto first = collection.item(0);
    return first && isTarget(*first);
}

struct Position {
    int inAll = -1;
    int inName = -1;
    bool firstWithId = false;
};

// Where the target stands in "all": its index, its index among the elements the name names,
// and whether an earlier element has its id.
Position positionOf(const Document &document, const ElementTest &isTarget, const QString &name, const QString &id)
{
    Position position;
    const auto all = document.all();
    const int length = all->length();
    int named = 0;
    bool idSeen = false;
    for (int index = 0; index < length; ++index) {
        const auto element = all->item(index);
        if (!element)
            continue;
        const bool target = isTarget(*element);
        if (target) {
            position.inAll = index;
            position.inName = name.isEmpty() ? -1 : named;
            position.firstWithId = !id.isEmpty() && !idSeen;
            return position;
        }
        if (!name.isEmpty() && hasNameOrId(*element, name))
            ++named;
        if (!id.isEmpty() && element->id() == id)
            idSeen = true;
    }
    return position;
}

bool firstLinkWithText(const Document &document, const ElementTest &isTarget, const QString &text)
{
    const auto links = document.links();
    const auto link = findFirst(*links, [&](Element &candidate) { return candidate.innerText() == text; });
    return link && isTarget(*link);
}

bool firstButtonWithCaption(const Document &document, const ElementTest &isTarget, const QString &caption)
{
    const auto body = document.body();
    if (!body)
        return false;
    const auto controls = body->all();
    const auto button = findFirst(*controls, [&](Element &candidate) {
        try {
            return isButtonWithCaption(candidate, caption);
        } catch (const ScriptError &) {
            return false; // an element whose type cannot be read is passed over, as clickbutton does
        }
    });
    return button && isTarget(*button);
}

std::unique_ptr<Element> findTarget(const Document &document, const ElementTest &isTarget)
{
    const auto all = document.all();
    auto target = findFirst(*all, isTarget);
    if (!target)
        throw ScriptError(ObjectNotSet);
    return target;
}

} // namespace

ClickedElement clickedElementFacts(const Document &document, const ElementTest &isTarget, bool opensNewWindow)
{
    const auto target = findTarget(document, isTarget);
    ClickedElement facts;
    facts.tagName = target->tagName();
    facts.type = readOrEmpty([&] { return target->type().toLower(); });
    facts.name = readOrEmpty([&] { return target->name(); });
    facts.id = target->id();
    facts.opensNewWindow = opensNewWindow;
    if (facts.tagName == QLatin1String("A")) {
        facts.text = target->innerText();
        facts.firstLinkWithText = firstLinkWithText(document, isTarget, facts.text);
    } else {
        facts.value = readOrEmpty([&] { return target->value(); });
        facts.firstButtonWithCaption = firstButtonWithCaption(document, isTarget, facts.value);
    }
    if (!facts.name.isEmpty())
        facts.firstWithName = firstIsTarget(*document.getElementsByName(facts.name), isTarget);
    const Position position = positionOf(document, isTarget, facts.name, facts.id);
    facts.position = position.inAll;
    facts.positionInName = position.inName;
    facts.firstWithId = position.firstWithId;
    return facts;
}

ChangedField changedFieldFacts(const Document &document, const ElementTest &isTarget)
{
    const auto target = findTarget(document, isTarget);
    ChangedField facts;
    facts.tagName = target->tagName();
    facts.type = readOrEmpty([&] { return target->type().toLower(); });
    facts.name = readOrEmpty([&] { return target->name(); });
    facts.id = target->id();
    facts.value = readOrEmpty([&] { return target->value(); });
    if (!facts.name.isEmpty())
        facts.firstWithName = firstIsTarget(*document.getElementsByName(facts.name), isTarget);
    if (!facts.id.isEmpty()) {
        const auto byId = document.getElementById(facts.id);
        facts.firstWithId = byId && isTarget(*byId);
    }
    facts.position = positionOf(document, isTarget, {}, {}).inAll;
    return facts;
}

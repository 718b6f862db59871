#include "browser/builtin/view/PlainTextPage.h"

#include "browser/builtin/dom/InnerText.h"

namespace {

// Enough text to read what the page says; more would take its own time to lay out.
constexpr qsizetype MaxShownCharacters = 256 * 1024;

} // namespace

QString pageText(const dom::DocumentModel &model)
{
    const dom::Element *root = model.tree().documentElement();
    QString text = root ? dom::innerText(*root) : QString();
    if (text.size() > MaxShownCharacters)
        text = text.left(MaxShownCharacters) + QStringLiteral("\n[...]");
    return text;
}

dom::DisplayHtml plainTextDisplay(const QString &note, const QString &text)
{
    return {QStringLiteral("<html><body><p style=\"background-color: #fff3c4; padding: 4px\">%1</p>"
                           "<div style=\"white-space: pre-wrap\">%2</div></body></html>")
                .arg(note.toHtmlEscaped(), text.toHtmlEscaped()),
            {}};
}

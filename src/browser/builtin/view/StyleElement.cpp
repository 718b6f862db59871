#include "browser/builtin/view/StyleElement.h"

#include "browser/builtin/view/StyleSheetPreparer.h"

StyleElement::StyleElement(const std::shared_ptr<litehtml::document> &doc, StyleSheetPreparer &styles)
    : litehtml::el_style(doc)
    , m_styles(styles)
{
}

bool StyleElement::appendChild(const ptr &el)
{
    el->get_text(m_text);
    return litehtml::el_style::appendChild(el);
}

void StyleElement::parse_attributes()
{
    const QString prepared = m_styles.sheet(QString::fromStdString(m_text));
    get_document()->add_stylesheet(prepared.toStdString().c_str(), nullptr, get_attr("media"));
}

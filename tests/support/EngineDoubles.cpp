#include "EngineDoubles.h"

std::unique_ptr<Element> BodyOnlyDocument::body() const
{
    return std::make_unique<BodyElement>(m_bodyHtml);
}

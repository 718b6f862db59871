#include "engine/LoweredTextSearch.h"

#include "engine/ScriptText.h"

#include <utility>

LoweredTextSearch::LoweredTextSearch(const QString &text)
    : m_text(lowerCased(text))
{
}

bool LoweredTextSearch::read(QStringView piece)
{
    if (m_found || piece.isEmpty())
        return !m_found;
    QString text = std::exchange(m_heldSurrogate, QString());
    text += piece;
    // A surrogate pair is lowered as one character: a high surrogate waits for the next piece.
    if (text.back().isHighSurrogate()) {
        m_heldSurrogate = text.back();
        text.chop(1);
    }
    search(std::move(text));
    return !m_found;
}

bool LoweredTextSearch::found()
{
    if (!m_found && !m_heldSurrogate.isEmpty())
        search(std::exchange(m_heldSurrogate, QString()));
    return m_found;
}

void LoweredTextSearch::search(QString piece)
{
    if (piece.isEmpty())
        return;
    m_tail += lowerCased(std::move(piece));
    m_found = m_tail.contains(m_text);
    // A later match may begin in the last characters searched, one short of the whole text.
    if (!m_found)
        m_tail = m_tail.right(m_text.size() - 1);
}

#include "browser/builtin/view/LayoutPacing.h"

LayoutPacing::LayoutPacing(QObject *parent)
    : QObject(parent)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        if (m_firstDone)
            ++m_laterLayouts;
        layOut();
    });
}

void LayoutPacing::startPage(bool styleSheetsPending)
{
    m_firstDone = false;
    m_laterLayouts = 0;
    m_timer.stop();
    if (!styleSheetsPending) {
        layOut();
        return;
    }
    m_timer.start(FirstLayoutWait);
}

void LayoutPacing::resourceFinished(bool styleSheetsPending, bool anythingPending)
{
    if (!m_firstDone) {
        if (!styleSheetsPending) {
            m_timer.stop();
            layOut();
        }
        return;
    }
    if (!anythingPending) {
        m_timer.stop();
        layOut();
        return;
    }
    if (!m_timer.isActive() && m_laterLayouts < MaxLaterLayouts)
        m_timer.start(LaterLayoutGap);
}

void LayoutPacing::layOutNow()
{
    if (!m_timer.isActive())
        return;
    m_timer.stop();
    layOut();
}

void LayoutPacing::layOut()
{
    m_firstDone = true;
    emit layoutDue();
}

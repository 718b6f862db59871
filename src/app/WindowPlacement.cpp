#include "app/WindowPlacement.h"

#include "app/Twips.h"

#include <QGuiApplication>
#include <QWidget>

#include <utility>

WindowPlacement::WindowPlacement(QWidget &window, QSettings &settings)
    : m_window(window)
    , m_settings(settings)
{
    m_look.setInterval(kFrameLookMs);
    connect(&m_look, &QTimer::timeout, this, &WindowPlacement::lookAtFrame);
}

FramePart WindowPlacement::placedPart() const
{
    return m_stored.top || m_stored.left ? FramePart::SizeAndPosition : FramePart::SizeOnly;
}

QRect WindowPlacement::storedFrameNow() const
{
    const QRect frame = storedFrame(m_stored, m_window.frameGeometry(), logicalDpi(m_window));
    return placedPart() == FramePart::SizeAndPosition ? reachableFrame(frame, availableScreenAreas()) : frame;
}

void WindowPlacement::restore()
{
    m_stored = readStoredPosition(m_settings);
    m_placed = storedFrameNow();
    placeFrame(m_window, m_placed, placedPart());
}

void WindowPlacement::settle(std::function<void()> placed)
{
    m_placedCall = std::move(placed);
    // A window system that draws no frames tells none: there is nothing to wait for.
    const bool framesDrawn = QGuiApplication::platformName() != QLatin1String("offscreen");
    m_frameDeadline.setRemainingTime(framesDrawn ? kFrameWaitMs : 0);
    lookAtFrame();
    if (!m_settled)
        m_look.start();
}

void WindowPlacement::lookAtFrame()
{
    const bool known = frameKnown(m_window);
    if (!known && !m_frameDeadline.hasExpired())
        return;
    m_look.stop();
    // The frame has come around the client area: the stored measures are given again, now with
    // the frame's margins.
    if (known && m_window.frameGeometry() != storedFrameNow())
        placeFrame(m_window, storedFrameNow(), placedPart());
    m_settled = true;
    if (const auto placed = std::exchange(m_placedCall, {}))
        placed();
}

void WindowPlacement::save()
{
    // A window closed before its frame was told has the frame it was given.
    const QRect frame = m_settled ? m_window.frameGeometry() : m_placed;
    writeFramePosition(m_settings, frame, logicalDpi(m_window));
}

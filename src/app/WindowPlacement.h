#pragma once

#include "app/WindowPosition.h"

#include <QDeadlineTimer>
#include <QObject>
#include <QRect>
#include <QTimer>

#include <functional>

class QSettings;
class QWidget;

// Keeps the main window's frame where the settings store says from one start to the next. A
// window manager frames the window only once it is shown, and tells the frame's measures a
// moment later: the stored frame is given again once they are known, and until then the frame
// the window was given is the one it is taken to have.
class WindowPlacement final : public QObject {
    Q_OBJECT
public:
    // How long a shown window waits for its frame; a window system that draws none never tells.
    static constexpr int kFrameWaitMs = 5000;
    static constexpr int kFrameLookMs = 20;

    WindowPlacement(QWidget &window, QSettings &settings);

    // Before the window is shown: places it as stored, onto a screen. A window without a stored
    // position is left where the window manager puts it.
    void restore();
    // Once the window is shown: waits for its frame, places it again, then calls placed.
    void settle(std::function<void()> placed);
    // Stores the window's frame.
    void save();

private:
    void lookAtFrame();
    [[nodiscard]] FramePart placedPart() const;
    // The window's frame with the stored measures in their places, onto a screen.
    [[nodiscard]] QRect storedFrameNow() const;

    QWidget &m_window;
    QSettings &m_settings;
    StoredPosition m_stored;
    QRect m_placed; // the frame given before the window manager told its own
    bool m_settled = false;
    QTimer m_look;
    QDeadlineTimer m_frameDeadline;
    std::function<void()> m_placedCall;
};

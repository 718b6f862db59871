#pragma once

#include <QObject>
#include <QTimer>

// When a shown page is laid out while the resources it names arrive, so that it is laid out a
// few times rather than once for each: first once its style sheets are in, or after
// FirstLayoutWait, whichever comes first; again for what arrives later, no sooner than
// LaterLayoutGap after the last and at most MaxLaterLayouts times while more is on its way; and
// once more when nothing is left on its way.
class LayoutPacing final : public QObject {
    Q_OBJECT
public:
    static constexpr int FirstLayoutWait = 300;
    static constexpr int LaterLayoutGap = 500;
    static constexpr int MaxLaterLayouts = 3;

    explicit LayoutPacing(QObject *parent = nullptr);

    // A new page is shown: its first layout is due at once when no style sheet is on its way.
    void startPage(bool styleSheetsPending);
    // A resource the page asked for arrived or failed; what is still on its way.
    void resourceFinished(bool styleSheetsPending, bool anythingPending);
    // A layout is due once the wait ends.
    [[nodiscard]] bool waiting() const { return m_timer.isActive(); }
    // Ends the wait: the layout is due now.
    void layOutNow();

signals:
    void layoutDue();

private:
    void layOut();

    QTimer m_timer;
    bool m_firstDone = false;
    int m_laterLayouts = 0;
};

#pragma once

#include "library/CommandLineStart.h"

#include <QDialog>
#include <QTimer>

#include <chrono>

class QLabel;
class QPushButton;

// The command-line start's countdown: "You have N seconds to abort." counting down once a
// tick from 10, closing itself at 0; Abort sets CommandLineAborted and closes it at once.
// Any other way of closing it ends the countdown as the clock would.
class CountdownDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr qint16 kSeconds = 10;
    static inline const QString kTitle = QStringLiteral("NavRelay Command Line");

    // tick is shortened only by tests.
    explicit CountdownDialog(QWidget *owner, std::chrono::milliseconds tick = kCountdownTick);

    void countDown();
    void abort();

private:
    void placeControls();
    void startUp();

    QLabel *m_secondsLabel;
    QPushButton *m_abortButton;
    QTimer m_countdownTimer;
    qint16 m_secondsLeft = kSeconds;
};

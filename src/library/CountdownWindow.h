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
class fTimeout : public QDialog {
    Q_OBJECT
public:
    static constexpr qint16 kSeconds = 10;

    // tick is shortened only by tests.
    explicit fTimeout(QWidget *owner, std::chrono::milliseconds tick = kCountdownTick);

    void Timer1_Timer();
    void btnAbort_Click();

private:
    void placeControls();
    void Form_Load();

    QLabel *m_lblSec;
    QPushButton *m_btnAbort;
    QTimer m_timer1;
    qint16 m_secondsLeft = kSeconds;
};

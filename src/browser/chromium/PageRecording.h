#pragma once

#include "browser/chromium/PersonActionQueue.h"

#include <QJsonObject>
#include <QList>
#include <QString>

#include <memory>

class PageSession;

// A navigation the runner asks a window for.
enum class OwnNavigation { Address, Back };

// What a person does in one Chromium page while a recording is on, told to the browser's queue
// of the person's actions in the order it happened. Clicks and typing come from the recording
// script (see RecordingScript.h) through a binding; typed addresses and Back from the main
// frame's navigations, read in the page's history. Navigations the runner asks for are not the
// person's: the window announces them with ownNavigationRequested().
class PageRecording {
public:
    // Installs the script in the page (for every document from now on, and in the current one).
    PageRecording(std::shared_ptr<PageSession> session, std::shared_ptr<PersonActionQueue> actions);
    // Removes the script and the binding, and ends the reporting in the current document.
    ~PageRecording();
    PageRecording(const PageRecording &) = delete;
    PageRecording &operator=(const PageRecording &) = delete;

    // An event of the page's own session.
    void handleEvent(const QString &method, const QJsonObject &params);
    // The runner navigates or goes back: the next history entry opened from an address, or the
    // next step back, is not the person's.
    void ownNavigationRequested(OwnNavigation navigation);
    // The runner's navigation was refused: nothing is going to come of it.
    void ownNavigationRefused(OwnNavigation navigation);

private:
    struct History {
        int currentIndex = -1;
        QList<int> entryIds;
    };

    void onBindingCalled(const QJsonObject &params);
    // Reads the history once it holds the entry of the document the main frame now shows (at
    // once when no address is given).
    void readHistory(const QString &shownUrl);
    void postHistoryReading(const QString &shownUrl, int reading, int historyMoves, int attemptsLeft);
    // historyMoves: the moves in the history the page had started when the reading was asked for.
    void onHistory(const QJsonObject &history, int historyMoves);
    void wentBack(int steps);
    void onEntryOpened(const QJsonObject &entry);

    std::shared_ptr<PageSession> m_session;
    std::shared_ptr<PersonActionQueue> m_actions;
    std::shared_ptr<QString> m_scriptId; // Chromium's name for the added script, once it answers
    std::shared_ptr<bool> m_alive;       // replies that come after the recording has ended find it false
    History m_history;
    bool m_historyKnown = false;
    int m_historyMoves = 0;     // Back, Forward or a history entry chosen: each starts a history navigation
    int m_historyMovesRead = 0; // of those, the ones a reading of the history has taken in
    int m_ownAddresses = 0;
    int m_ownBacks = 0;
    int m_historyReads = 0;     // readings not answered yet, each a hold on the queue
    int m_readingsStarted = 0;  // the latest reading supersedes those still waiting for their entry
};

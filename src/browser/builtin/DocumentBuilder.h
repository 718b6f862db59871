#pragma once

#include "browser/builtin/net/LoadedResponse.h"
#include "browser/builtin/dom/NavigationRequest.h"
#include "page/Document.h"

#include <QObject>

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <stop_token>
#include <thread>

namespace dom {
class HtmlParser;
}

// Builds the documents of loaded answers (decoding, parsing, the document model) on a thread of
// its own, so that no page, however hard on the parser, holds the event loop: a script's
// deadline, Stop and the window's controls work while a page is built. Builds run one after
// the other; each hands its document to the event loop of the thread that asked for it. A
// small answer, which holds the parser for milliseconds at most, is built at once on the asking
// thread, and its document handed over through the event loop all the same.
//
// A build that is no longer wanted is stopped: the parser looks at its stop request at every
// token, so that the thread is free again, and can be joined, within the time one token takes.
class DocumentBuilder final : public QObject {
public:
    using Finished = std::function<void(std::shared_ptr<Document>)>;
    // An answer this small is built at once on the asking thread, which spares it two waits for
    // a thread to wake: the peer benchmark's 23 KB pages take a third of a millisecond, and the
    // worst page of this size found (nothing but nested elements, to the depth cap) about 20.
    // Its document is freed on the window's thread too, for the same reason.
    static constexpr qsizetype InPlaceBytes = 64 * 1024;

private:
    struct Job;

public:
    // A build under way. Dropping it stops the build; `finished` is not called after that.
    class Build {
    public:
        explicit Build(std::shared_ptr<Job> job) : m_job(std::move(job)) {}
        ~Build();
        Build(const Build &) = delete;
        Build &operator=(const Build &) = delete;

    private:
        std::shared_ptr<Job> m_job;
    };

    DocumentBuilder();
    // Stops every build and waits for the thread.
    ~DocumentBuilder() override;

    // Starts building the document of the answer. `finished` is called from this object's
    // event loop with the document (null when the build failed) unless the build is dropped
    // before.
    [[nodiscard]] std::unique_ptr<Build> build(LoadedResponse response, std::weak_ptr<NavigationHost> host,
                                               Finished finished);

private:
    void buildInTurn(std::stop_token threadStop);
    // The job's document, or null when the build failed or was stopped.
    [[nodiscard]] static std::shared_ptr<Document> buildDocument(Job &job, dom::HtmlParser &parser);
    void deliver(const std::shared_ptr<Job> &job, std::shared_ptr<Document> document);

    std::mutex m_mutex;
    std::condition_variable_any m_jobAdded;
    std::deque<std::shared_ptr<Job>> m_jobs;   // guarded by m_mutex
    std::shared_ptr<Job> m_current;            // guarded by m_mutex
    std::jthread m_thread;                     // started by the first build
    std::unique_ptr<dom::HtmlParser> m_inPlaceParser; // the asking thread's own, made by its first build
};

#include "browser/builtin/DocumentBuilder.h"

#include "browser/builtin/PageDocument.h"
#include "browser/builtin/dom/HtmlParser.h"

#include <QDebug>

struct DocumentBuilder::Job {
    LoadedResponse response; // handed over to the build
    const std::weak_ptr<NavigationHost> host;
    std::stop_source stop;
    // Set and called on the builder's own thread only.
    Finished finished;
};

DocumentBuilder::Build::~Build()
{
    m_job->stop.request_stop();
    m_job->finished = nullptr;
}

DocumentBuilder::DocumentBuilder() = default;

DocumentBuilder::~DocumentBuilder()
{
    {
        const std::lock_guard lock(m_mutex);
        for (const auto &job : m_jobs)
            job->stop.request_stop();
        if (m_current)
            m_current->stop.request_stop();
    }
    if (m_thread.joinable()) {
        m_thread.request_stop();
        m_thread.join();
    }
}

std::unique_ptr<DocumentBuilder::Build> DocumentBuilder::build(LoadedResponse response,
                                                               std::weak_ptr<NavigationHost> host, Finished finished)
{
    auto job = std::make_shared<Job>(Job{std::move(response), std::move(host), {}, std::move(finished)});
    if (job->response.body.size() <= InPlaceBytes) {
        if (!m_inPlaceParser)
            m_inPlaceParser = std::make_unique<dom::HtmlParser>();
        deliver(job, buildDocument(*job, *m_inPlaceParser));
        return std::make_unique<Build>(std::move(job));
    }
    {
        const std::lock_guard lock(m_mutex);
        m_jobs.push_back(job);
    }
    if (!m_thread.joinable())
        m_thread = std::jthread([this](std::stop_token stop) { buildInTurn(std::move(stop)); });
    m_jobAdded.notify_one();
    return std::make_unique<Build>(std::move(job));
}

void DocumentBuilder::buildInTurn(std::stop_token threadStop)
{
    // The thread's parser keeps its working memory from one page to the next.
    dom::HtmlParser parser;
    for (;;) {
        std::shared_ptr<Job> job;
        {
            std::unique_lock lock(m_mutex);
            if (!m_jobAdded.wait(lock, threadStop, [this] { return !m_jobs.empty(); }))
                return;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
            m_current = job;
        }
        std::shared_ptr<Document> document;
        if (!job->stop.stop_requested())
            document = buildDocument(*job, parser);
        {
            const std::lock_guard lock(m_mutex);
            m_current.reset();
        }
        if (!job->stop.stop_requested())
            deliver(job, std::move(document));
    }
}

std::shared_ptr<Document> DocumentBuilder::buildDocument(Job &job, dom::HtmlParser &parser)
{
    const QUrl url = job.response.request.url;
    try {
        return pageDocument(std::move(job.response), job.host, parser, job.stop.get_token());
    } catch (const std::exception &error) {
        qWarning() << "Building the page of" << url << "failed:" << error.what();
        return nullptr;
    }
}

void DocumentBuilder::deliver(const std::shared_ptr<Job> &job, std::shared_ptr<Document> document)
{
    // Queued to this object's thread, which drops the call when this object is gone first.
    QMetaObject::invokeMethod(
        this,
        [job, document = std::move(document)] {
            if (job->stop.stop_requested() || !job->finished)
                return;
            const Finished finished = std::move(job->finished);
            finished(document);
        },
        Qt::QueuedConnection);
}

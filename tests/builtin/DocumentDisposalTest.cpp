#include "browser/builtin/DocumentDisposal.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <optional>
#include <thread>

namespace {

using namespace std::chrono_literals;

// A document that tells on which thread it was freed.
class TracedDocument final : public Document {
public:
    explicit TracedDocument(std::promise<std::thread::id> &freedOn) : m_freedOn(freedOn) {}
    ~TracedDocument() override { m_freedOn.set_value(std::this_thread::get_id()); }

    [[nodiscard]] DocumentKind kind() const override { return DocumentKind::Other; }
    [[nodiscard]] std::unique_ptr<Element> body() const override { return nullptr; }
    [[nodiscard]] std::unique_ptr<Collection> all() const override { return nullptr; }
    [[nodiscard]] std::unique_ptr<Collection> links() const override { return nullptr; }
    [[nodiscard]] std::unique_ptr<Collection> getElementsByName(const QString &) const override { return nullptr; }
    [[nodiscard]] std::unique_ptr<Element> getElementById(const QString &) const override { return nullptr; }
    [[nodiscard]] std::unique_ptr<Collection> getElementsByTagName(const QString &) const override { return nullptr; }
    void execCommand(const QString &, bool, const QVariant &) override {}

private:
    std::promise<std::thread::id> &m_freedOn;
};

TEST(DocumentDisposal, FreesALastOwnersDocumentOnItsThreadAndInPlaceOnceGone)
{
    std::optional<DocumentDisposal> disposal(std::in_place);
    EXPECT_EQ(disposal->adopt(nullptr), nullptr);

    std::promise<std::thread::id> sharedFreedOn;
    auto shared = disposal->adopt(std::make_shared<TracedDocument>(sharedFreedOn));
    auto owner = shared;
    shared.reset();
    auto sharedFreed = sharedFreedOn.get_future();
    EXPECT_EQ(sharedFreed.wait_for(50ms), std::future_status::timeout) << "freed while another owner holds it";
    const std::weak_ptr<Document> watcher = owner;
    owner.reset();
    ASSERT_EQ(sharedFreed.wait_for(10s), std::future_status::ready);
    EXPECT_NE(sharedFreed.get(), std::this_thread::get_id());
    EXPECT_TRUE(watcher.expired());

    // Whatever is still queued when the disposal goes is freed before it is gone.
    std::promise<std::thread::id> queuedFreedOn[20];
    for (auto &freedOn : queuedFreedOn)
        (void)disposal->adopt(std::make_shared<TracedDocument>(freedOn));
    std::promise<std::thread::id> lateFreedOn;
    auto late = disposal->adopt(std::make_shared<TracedDocument>(lateFreedOn));
    disposal.reset();
    for (auto &freedOn : queuedFreedOn)
        EXPECT_EQ(freedOn.get_future().wait_for(0s), std::future_status::ready);

    auto lateFreed = lateFreedOn.get_future();
    late.reset();
    ASSERT_EQ(lateFreed.wait_for(0s), std::future_status::ready);
    EXPECT_EQ(lateFreed.get(), std::this_thread::get_id());
}

// A small page's document waits, once let go, until a request goes out; a run of loads that send
// none holds only a few; and the disposal frees what it holds when it goes.
TEST(DocumentDisposal, HoldsALetGoDocumentUntilFreeHeldAndOnlyAFew)
{
    std::optional<DocumentDisposal> disposal(std::in_place);
    EXPECT_EQ(disposal->holdOnceLetGo(nullptr), nullptr);

    std::promise<std::thread::id> freedOn;
    auto held = disposal->holdOnceLetGo(std::make_shared<TracedDocument>(freedOn));
    auto freed = freedOn.get_future();
    held.reset();
    EXPECT_EQ(freed.wait_for(0s), std::future_status::timeout) << "freed before a request went out";
    disposal->freeHeld();
    ASSERT_EQ(freed.wait_for(0s), std::future_status::ready);
    EXPECT_EQ(freed.get(), std::this_thread::get_id());

    std::promise<std::thread::id> manyFreedOn[6];
    for (auto &each : manyFreedOn)
        (void)disposal->holdOnceLetGo(std::make_shared<TracedDocument>(each));
    EXPECT_EQ(manyFreedOn[0].get_future().wait_for(0s), std::future_status::ready);
    EXPECT_EQ(manyFreedOn[1].get_future().wait_for(0s), std::future_status::ready);
    auto lastHeld = manyFreedOn[5].get_future();
    EXPECT_EQ(lastHeld.wait_for(0s), std::future_status::timeout);
    disposal.reset();
    EXPECT_EQ(lastHeld.wait_for(0s), std::future_status::ready);
}

} // namespace

// The least one round of the peer flow (bench/peers) can cost a browser without a script engine:
// myhtml's bare parse of the pages the round loads, and fetching each of them once over a
// kept-alive loopback connection from the site the flow runs against.
//   PEERS_PAGES=DIR PEERS_SITE=http://127.0.0.1:PORT peers_limit
// DIR holds the round's pages in the order they load; bench/peers/run sets both, and
// PEERS_BACK_LOADS=0 where going back loads nothing (pages the engine may keep).
#include <benchmark/benchmark.h>
#include <httplib.h>
#include <myhtml/myhtml.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

[[nodiscard]] std::string environment(const char *name)
{
    const char *value = std::getenv(name);
    return value ? value : "";
}

[[nodiscard]] std::vector<std::string> roundPages()
{
    std::vector<std::filesystem::path> paths;
    for (const auto &entry : std::filesystem::directory_iterator(environment("PEERS_PAGES")))
        paths.push_back(entry.path());
    std::sort(paths.begin(), paths.end());
    std::vector<std::string> pages;
    for (const auto &path : paths) {
        std::ifstream file(path, std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        pages.push_back(text.str());
    }
    return pages;
}

void BareParseOfARound(benchmark::State &state)
{
    const std::vector<std::string> pages = roundPages();
    if (pages.empty()) {
        state.SkipWithError("PEERS_PAGES names no folder of pages");
        return;
    }
    // As the engine parses: one thread, one tree kept from page to page.
    myhtml_t *myhtml = myhtml_create();
    myhtml_init(myhtml, MyHTML_OPTIONS_PARSE_MODE_SINGLE, 1, 0);
    myhtml_tree_t *tree = myhtml_tree_create();
    myhtml_tree_init(tree, myhtml);
    for (auto _ : state) {
        for (const std::string &page : pages) {
            myhtml_parse_single(tree, MyENCODING_UTF_8, page.data(), page.size());
            benchmark::DoNotOptimize(tree->document);
        }
    }
    myhtml_tree_destroy(tree);
    myhtml_destroy(myhtml);
    state.counters["pages"] = double(pages.size());
}

// The requests of one round: the start page, the search page, the form's answer, and the search
// page again on the way back unless it is kept.
void LoopbackFetchesOfARound(benchmark::State &state)
{
    const bool backLoads = environment("PEERS_BACK_LOADS") != "0";
    httplib::Client client(environment("PEERS_SITE"));
    client.set_keep_alive(true);
    client.set_tcp_nodelay(true);
    size_t bytes = 0;
    for (auto _ : state) {
        std::vector<httplib::Result> answers;
        answers.push_back(client.Get("/index.html"));
        answers.push_back(client.Get("/search.html"));
        answers.push_back(client.Post("/results", "q=desk+lamp&colour=blue&sort=relevance", "application/x-www-form-urlencoded"));
        if (backLoads)
            answers.push_back(client.Get("/search.html"));
        for (const auto &answer : answers) {
            if (!answer || answer->status != 200) {
                state.SkipWithError("the site did not answer");
                return;
            }
            bytes += answer->body.size();
        }
    }
    state.SetBytesProcessed(int64_t(bytes));
}

} // namespace

BENCHMARK(BareParseOfARound)->Unit(benchmark::kMillisecond);
BENCHMARK(LoopbackFetchesOfARound)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();

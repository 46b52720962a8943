// Search runs on every keystroke of the search box and every Assistant query;
// custom tools can grow the catalog far beyond the shipped one.
#include <benchmark/benchmark.h>

#include "data/json.h"
#include "data/text.h"
#include "data/tool_record.h"
#include "platform/platform.h"
#include "playbooks/playbook.h"
#include "search/ranking.h"

namespace {

std::vector<ToolRecord> shippedTools() {
    auto document = parseJson(utf8ToWide(platform::embeddedResource(101)));
    return document ? parseToolPack(*document, false) : std::vector<ToolRecord>{};
}

// The shipped tools repeated as custom tools (no alias entries) up to count.
std::vector<ToolRecord> grownCatalog(size_t count) {
    std::vector<ToolRecord> tools = shippedTools();
    const size_t shipped = tools.size();
    for (size_t i = 0; shipped > 0 && tools.size() < count; ++i) {
        ToolRecord copy = tools[i % shipped];
        copy.id = u"custom." + asciiToWide(std::to_string(i));
        copy.isCustom = true;
        tools.push_back(std::move(copy));
    }
    return tools;
}

const std::vector<ToolRecord>& catalog(int64_t size) {
    static const std::vector<ToolRecord> shipped = shippedTools();
    static const std::vector<ToolRecord> grown = grownCatalog(10000);
    return size == 0 ? shipped : grown;
}

const std::vector<Playbook>& playbooks() {
    static const std::vector<Playbook> list = [] {
        auto document = parseJson(utf8ToWide(platform::embeddedResource(103)));
        return document ? parsePlaybooks(*document) : std::vector<Playbook>{};
    }();
    return list;
}

const std::u16string kSearchQueries[] = {u"上不了网", u"No Internet", u"组策略", u"电脑很慢，cpu 占用高，开机慢",
                                         u"printer offline and disk full"};
const std::u16string kFilterQueries[] = {u"j", u"jsj", u"dev", u"Network", u"zzzz"};

// range(0): 0 for the shipped catalog, 1 for 10 000 tools; range(1): the query.
void BM_searchTools(benchmark::State& state) {
    const auto& tools = catalog(state.range(0));
    const auto& query = kSearchQueries[state.range(1)];
    for (auto _ : state) benchmark::DoNotOptimize(searchTools(query, tools, 20));
    state.SetLabel(std::to_string(tools.size()) + " tools, " + wideToUtf8(query));
}

void BM_filterTools(benchmark::State& state) {
    const auto& tools = catalog(state.range(0));
    const auto& query = kFilterQueries[state.range(1)];
    for (auto _ : state) benchmark::DoNotOptimize(filterTools(query, tools));
    state.SetLabel(std::to_string(tools.size()) + " tools, " + wideToUtf8(query));
}

void BM_searchPlaybooks(benchmark::State& state) {
    const auto& query = kSearchQueries[state.range(0)];
    for (auto _ : state) benchmark::DoNotOptimize(searchPlaybooks(query, playbooks(), 8));
    state.SetLabel(std::to_string(playbooks().size()) + " playbooks, " + wideToUtf8(query));
}

BENCHMARK(BM_searchTools)->ArgsProduct({{0, 1}, {0, 1, 2, 3, 4}})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_filterTools)->ArgsProduct({{0, 1}, {0, 1, 2, 3, 4}})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_searchPlaybooks)->DenseRange(0, 4)->Unit(benchmark::kMicrosecond);

}  // namespace

// In-process cost of one MCP request on the shipped packs, without the pipes.
#include <benchmark/benchmark.h>

#include "mcp/mcp_server.h"

namespace {

void answer(benchmark::State& state, const std::string& line) {
    McpSession session;
    handleMcpRequest(line, session);  // builds the lists once, outside the timing
    for (auto _ : state) benchmark::DoNotOptimize(handleMcpRequest(line, session));
    state.SetItemsProcessed(state.iterations());
}

void BM_McpPing(benchmark::State& state) { answer(state, R"({"jsonrpc":"2.0","id":1,"method":"ping"})"); }
void BM_McpToolsList(benchmark::State& state) { answer(state, R"({"jsonrpc":"2.0","id":1,"method":"tools/list"})"); }
void BM_McpSearchTools(benchmark::State& state) {
    answer(
        state,
        R"({"jsonrpc":"2.0","id":1,"method":"tools/call","params":{"name":"search_tools","arguments":{"query":"\u7f51\u7edc\u4e0d\u901a dns"}}})");
}
void BM_McpGetPlaybook(benchmark::State& state) {
    answer(
        state,
        R"({"jsonrpc":"2.0","id":1,"method":"tools/call","params":{"name":"get_playbook","arguments":{"id":"net.no-internet"}}})");
}
void BM_McpListTools(benchmark::State& state) {
    answer(state, R"({"jsonrpc":"2.0","id":1,"method":"tools/call","params":{"name":"list_tools"}})");
}

}  // namespace

BENCHMARK(BM_McpPing);
BENCHMARK(BM_McpToolsList);
BENCHMARK(BM_McpSearchTools);
BENCHMARK(BM_McpGetPlaybook);
BENCHMARK(BM_McpListTools);

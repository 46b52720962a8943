// Parse speed of a tool-pack-shaped document of about 1 MiB, counted in
// bytes of UTF-8 input, including the conversion to UTF-16.
#include <benchmark/benchmark.h>

#include "data/json.h"
#include "data/text.h"

namespace {

std::string toolPackDocument(size_t targetBytes) {
    std::string doc = "{\n  \"version\": \"1.0\",\n  \"dataVersion\": \"0.0.4\",\n  \"tools\": [\n";
    for (int i = 0; doc.size() < targetBytes; ++i) {
        if (i) doc += ",\n";
        std::string n = std::to_string(i);
        doc += "    {\"id\": \"builtin.tool" + n + "\", \"name\": \"计算机管理" + n +
               "\", \"nameEn\": \"Computer Management " + n +
               "\", \"fileName\": \"compmgmt.msc\", \"type\": \"msc\", \"category\": \"system\", "
               "\"requiresAdmin\": true, \"source\": \"builtin\", \"icon\": \"🖥️\", "
               "\"tags\": [\"计算机管理\", \"computer\", \"management\", \"jsjgl\"], "
               "\"description\": \"集中管理本机的系统工具、存储和服务与应用程序。\", "
               "\"descriptionEn\": \"One console for system tools, storage, services and applications.\"}";
    }
    return doc + "\n  ]\n}\n";
}

void BM_ParseToolPack(benchmark::State& state) {
    const std::string doc = toolPackDocument(1 << 20);
    for (auto _ : state) {
        auto value = parseJson(utf8ToWide(doc));
        benchmark::DoNotOptimize(value);
        // Freeing the tree is not parsing: keep it out of the timed region.
        state.PauseTiming();
        value.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(doc.size()));
}
BENCHMARK(BM_ParseToolPack)->Unit(benchmark::kMillisecond);

}  // namespace

// The catalog is assembled while the window opens: every built-in tool that is
// absent is looked for in every search folder. Here the shipped packs meet a
// machine in memory with twenty search folders of realistic size, so the
// figure is the rules' own cost; the goal is well under a millisecond.
#include <benchmark/benchmark.h>

#include "data/data_pack.h"
#include "data/text.h"
#include "launcher/catalog.h"
#include "tests/unit/fake_file_system.h"

namespace {

void fill(FakeFileSystem& fs, const std::u16string& dir, size_t count) {
    for (size_t i = 0; i < count; ++i) fs.put(dir, u"Library" + asciiToWide(std::to_string(i)) + u".dll");
}

// System32, the Windows folder and SysWOW64 about as full as on Windows 10,
// seventeen PATH folders of programs, every second shipped tool present in
// System32, a Tools folder with two sub-folders.
const FakeFileSystem& machine(const std::vector<ToolRecord>& builtin) {
    static const FakeFileSystem fs = [&] {
        FakeFileSystem m;
        fill(m, m.systemDir, 4000);
        fill(m, m.windowsDir, 120);
        fill(m, m.wow64Dir, 2000);
        std::u16string path;
        for (int k = 0; k < 17; ++k) {
            std::u16string dir = u"D:\\Programs\\p" + asciiToWide(std::to_string(k));
            fill(m, dir, 40);
            path += dir + u";";
        }
        m.path = path;
        for (size_t i = 0; i < builtin.size(); i += 2) {
            const std::u16string& file = builtin[i].fileName.empty() ? builtin[i].path : builtin[i].fileName;
            if (isPlainFileName(file)) m.put(m.systemDir, file);
        }
        m.put(u"E:\\App\\Tools", u"sysinternals", true);
        m.put(u"E:\\App\\Tools", u"misc", true);
        m.put(u"E:\\App\\Tools\\sysinternals", u"procexp.exe");
        return m;
    }();
    return fs;
}

void BM_assembleCatalog(benchmark::State& state) {
    static const std::vector<ToolRecord> builtin = shippedTools(kBuiltinToolsPack);
    static const std::vector<ToolRecord> external = shippedTools(kExternalToolsPack);
    const ResolutionProbes direct = machine(builtin).probes();
    for (auto _ : state) {
        benchmark::DoNotOptimize(assembleToolList(builtin, external, {}, listingProbes(direct)));
    }
    state.SetLabel(std::to_string(builtin.size() + external.size()) + " tools, 20 search folders");
}

BENCHMARK(BM_assembleCatalog)->Unit(benchmark::kMicrosecond);

}  // namespace

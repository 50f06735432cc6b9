// The settings lookups of a start: those of readSettings (through loadSettings, its core
// without messages) and those of the VM options step, against a realistic settings file.

#include "bench/bench_folder.h"
#include "bench/option_sources.h"
#include "settings/settings.h"

#include <benchmark/benchmark.h>

namespace {

void startSettingsLookups(benchmark::State& state) {
    BenchFolder folder("launcher-bench-settings");
    const std::string text = benchData("app.ini");
    // The reader keeps the profile of the file it read last while that file stays unchanged.
    // Two copies taken in turn make every round read its file once, as every start does.
    const std::string paths[2] = {folder.write("app/tool.ini", text),
                                  folder.write("app/tool-copy.ini", text)};
    const std::string executable = folder.path("app/tool");
    size_t round = 0;
    for (auto _ : state) {
        SettingsContext context;
        context.executablePath = executable;
        context.settingsPath = paths[round++ % 2];
        context.appData = folder.path("config");
        std::optional<LaunchSettings> read = loadSettings(context);
        if (!read) {
            state.SkipWithError("the settings name no main class");
            break;
        }
        LayeredSettings settings(context.settingsPath, context.builtInText);
        // The class-path folders do not exist here: their search is the class-path benchmark's.
        std::optional<VmOptionsResult> options =
            collectVmOptions(launcherOptionSources(settings, executable));
        benchmark::DoNotOptimize(options);
    }
    state.SetLabel(std::to_string(text.size()) + " bytes");
}

} // namespace

BENCHMARK(startSettingsLookups)->Name("settings/start_lookups")->Unit(benchmark::kMicrosecond);

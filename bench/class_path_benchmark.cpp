// The VM options of an application whose class path names a folder of 2,000 jars and one of
// 20 plug-ins by wildcards: the settings lookups, the folder searches, the option text.

#include "bench/bench_folder.h"
#include "bench/option_sources.h"

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

constexpr int jarCount = 2000;

const char settingsText[] =
    "[Java Runtime Environment]\r\n"
    "Main Class=com.example.Main\r\n"
    "Virtual Machine Parameters=-Xmx50:256:4096P -Xss2m -Dapp.mode=desktop\r\n"
    "[Class Path]\r\n"
    "Class Path=app.jar;lib/*.jar;plugins/*.jar;config\r\n";

void buildWildcardClassPath(benchmark::State& state) {
    BenchFolder folder("launcher-bench-class-path");
    folder.write("app/tool.ini", settingsText);
    folder.write("app/app.jar");
    char name[64];
    for (int i = 0; i < jarCount; ++i) {
        std::snprintf(name, sizeof name, "app/lib/module-%04d-2.%d.%d.jar", i, i % 7, i % 13);
        folder.write(name);
    }
    // What else such a folder holds: checksums that the pattern passes over.
    for (int i = 0; i < 100; ++i) {
        std::snprintf(name, sizeof name, "app/lib/module-%04d.jar.sha1", i);
        folder.write(name);
    }
    for (int i = 0; i < 20; ++i) {
        std::snprintf(name, sizeof name, "app/plugins/plugin-%02d.jar", i);
        folder.write(name);
    }
    const std::string executable = folder.path("app/tool");
    const std::string settingsPath = folder.path("app/tool.ini");
    size_t optionBytes = 0;
    for (auto _ : state) {
        LayeredSettings settings(settingsPath, std::string());
        std::optional<VmOptionsResult> options =
            collectVmOptions(launcherOptionSources(settings, executable));
        if (!options) {
            state.SkipWithError("empty class path");
            break;
        }
        optionBytes = options->options.front().size();
        benchmark::DoNotOptimize(options->options.data());
    }
    state.SetLabel(std::to_string(jarCount) + " jars, class-path option of " +
                   std::to_string(optionBytes) + " bytes");
}

} // namespace

BENCHMARK(buildWildcardClassPath)
    ->Name("vm_options/class_path_2000_jars")
    ->Unit(benchmark::kMicrosecond);

// One main for every benchmark executable. By default each case runs five
// times and prints one JSON line with the median:
//   {"name":"BM_ReadBoard","n":10000,"args":"10000","median":225.1,"unit":"ms","counters":{"bytes":1887690}}
// Any --benchmark_format=... option gives Google Benchmark's own reports instead.

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#ifdef ZELKO_BENCH_WIDGETS
#include <QApplication>
#include <QDir>
#include <QFile>
#endif
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

class MedianLines : public benchmark::BenchmarkReporter {
public:
    bool ReportContext(const Context&) override { return true; }

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred) {
                std::printf("{\"name\":\"%s\",\"error\":\"%s\"}\n", run.benchmark_name().c_str(),
                            run.error_message.c_str());
                continue;
            }
            // A case run once has no aggregates; report its only run.
            const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
            if (!single && run.aggregate_name != "median") continue;
            const std::string& args = run.run_name.args;
            const long long n = args.empty() ? 0 : std::atoll(args.c_str());
            std::printf("{\"name\":\"%s\",\"n\":%lld,\"args\":\"%s\",\"median\":%.6g,\"unit\":\"%s\"",
                        run.run_name.function_name.c_str(), n, args.c_str(), run.GetAdjustedRealTime(),
                        benchmark::GetTimeUnitString(run.time_unit));
            if (!run.counters.empty()) {
                std::printf(",\"counters\":{");
                const char* sep = "";
                for (const auto& [key, counter] : run.counters) {
                    std::printf("%s\"%s\":%.6g", sep, key.c_str(), double(counter.value));
                    sep = ",";
                }
                std::printf("}");
            }
            std::printf("}\n");
            std::fflush(stdout);
        }
    }
};

// The note about a missing runtime folder means nothing for a benchmark and
// would break the one-line-per-case output when stderr joins stdout.
void FilterQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR"))) return;
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    if (type == QtFatalMsg) std::abort();
}

bool HasOption(int argc, char** argv, const char* prefix) {
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], prefix, std::strlen(prefix)) == 0) return true;
    return false;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef ZELKO_BENCH_WIDGETS
    // The window benchmarks want a screen as large as a desktop's: the
    // offscreen platform's screen is described by a file.
    const QString screens = QDir::temp().filePath(QStringLiteral("zelko-bench-screens.json"));
    if (QFile file(screens); file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(R"({"screens":[{"name":"bench","x":0,"y":0,"width":2560,"height":1440,)"
                   R"("logicalDpi":96,"logicalBpi":96,"dpr":1}]})");
    setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + screens.toStdString()).c_str(), 0);
#else
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
#endif
    qInstallMessageHandler(FilterQtMessages);
    int qtArgc = 1;
#ifdef ZELKO_BENCH_WIDGETS
    QApplication app(qtArgc, argv);
#else
    QGuiApplication app(qtArgc, argv);  // texts need the application for their glyphs
#endif

    std::vector<char*> args(argv, argv + argc);
    std::string repetitions = "--benchmark_repetitions=5";
    std::string aggregates = "--benchmark_report_aggregates_only=true";
    if (!HasOption(argc, argv, "--benchmark_repetitions")) args.push_back(repetitions.data());
    if (!HasOption(argc, argv, "--benchmark_report_aggregates_only")) args.push_back(aggregates.data());
    int count = static_cast<int>(args.size());
    args.push_back(nullptr);
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 2;
    if (HasOption(argc, argv, "--benchmark_format")) {
        benchmark::RunSpecifiedBenchmarks();
    } else {
        MedianLines lines;
        benchmark::RunSpecifiedBenchmarks(&lines);
    }
    benchmark::Shutdown();
    return 0;
}

// Runs every benchmark, then prints ours/reference time ratios for each pair of
// cases named "<op>/ours/<size>" and "<op>/<reference>/<size>".
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(std::vector<Run> const& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (auto const& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
            std::string name = run.benchmark_name();
            // "<op>/<impl>/<size>"
            auto first = name.find('/');
            auto second = name.find('/', first + 1);
            if (first == std::string::npos || second == std::string::npos) continue;
            std::string key = name.substr(0, first) + "/" + name.substr(second + 1);
            std::string impl = name.substr(first + 1, second - first - 1);
            double t = run.GetAdjustedCPUTime();
            units_[key] = benchmark::GetTimeUnitString(run.time_unit);
            if (impl == "ours")
                ours_[key] = t;
            else
                reference_[key] = {impl, t};
            order_.push_back(key);
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\n%-28s %14s %14s %10s\n", "case", "ours", "reference", "ours/ref");
        std::map<std::string, bool> shown;
        for (auto const& key : order_) {
            if (shown[key] || !ours_.count(key) || !reference_.count(key)) continue;
            shown[key] = true;
            auto const& [impl, ref] = reference_[key];
            std::printf("%-28s %14.3f %14.3f %10.2f  (%s, %s)\n", key.c_str(), ours_[key], ref,
                        ours_[key] / ref, impl.c_str(), units_[key]);
        }
    }

private:
    std::map<std::string, double> ours_;
    std::map<std::string, char const*> units_;
    std::map<std::string, std::pair<std::string, double>> reference_;
    std::vector<std::string> order_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

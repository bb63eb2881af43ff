// BuildRequest for an 8 MiB picture against a plain base64 encoding of the same bytes
// (OpenSSL's EVP_EncodeBlock), and the peak memory that building the request takes.

#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "contract/ocrgate.h"
#include "soap/request.h"

namespace {

constexpr std::size_t kPictureSize = 8u << 20;

const std::vector<std::uint8_t>& Picture() {
    static const std::vector<std::uint8_t> bytes = [] {
        std::vector<std::uint8_t> out(kPictureSize);
        std::mt19937 random(8);
        for (auto& b : out)
            b = static_cast<std::uint8_t>(random());
        return out;
    }();
    return bytes;
}

const ocrgate::InterfaceInfo& Interface() {
    static const auto intf = *ocrgate::InvRegistry::Instance().Lookup("ocrgateSoap");
    return intf;
}

void BM_BuildRequest(benchmark::State& state) {
    for (auto _ : state) {
        auto request = soap::BuildRequest(Interface(), Interface().operations[2],
                                          std::span<const std::uint8_t>(Picture()));
        benchmark::DoNotOptimize(request.Bytes().data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kPictureSize));
}

void BM_PlainBase64(benchmark::State& state) {
    for (auto _ : state) {
        std::string text(4 * ((kPictureSize + 2) / 3) + 1, '\0');
        EVP_EncodeBlock(reinterpret_cast<unsigned char*>(text.data()), Picture().data(),
                        static_cast<int>(kPictureSize));
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kPictureSize));
}

BENCHMARK(BM_BuildRequest)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_PlainBase64)->Unit(benchmark::kMillisecond)->MinTime(2.0);

class Capture : public benchmark::ConsoleReporter {
  public:
    Capture() : ConsoleReporter(OO_Tabular) {}
    std::map<std::string, double> times;
    void ReportRuns(const std::vector<Run>& runs) override {
        // CPU time: the machine is shared, and wall time would mostly measure the others.
        for (const auto& run : runs) {
            const std::string name = run.benchmark_name();
            times[name.substr(0, name.find('/'))] = run.GetAdjustedCPUTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

long StatusKiB(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0)
            return std::stol(line.substr(std::string(field).size()));
    }
    return -1;
}

// Peak resident memory that one build adds, against the size of the request it makes.
void ReportPeakMemory() {
    Picture();
    Interface();
    std::ofstream("/proc/self/clear_refs") << "5";  // restarts the peak at the current size
    const long before = StatusKiB("VmRSS:");
    std::size_t requestSize = 0;
    {
        auto request = soap::BuildRequest(Interface(), Interface().operations[2],
                                          std::span<const std::uint8_t>(Picture()));
        requestSize = request.Bytes().size();
    }
    const long peak = StatusKiB("VmHWM:");
    const double added = static_cast<double>(peak - before) * 1024.0;
    std::printf("request_bytes=%zu peak_build_memory_bytes=%.0f\n", requestSize, added);
    std::printf("ratio build_peak_memory_vs_request=%.2f\n",
                added / static_cast<double>(requestSize));
}

}  // namespace

int main(int argc, char** argv) {
    ReportPeakMemory();
    benchmark::Initialize(&argc, argv);
    Capture capture;
    benchmark::RunSpecifiedBenchmarks(&capture);
    benchmark::Shutdown();
    std::printf("ratio soap_build_vs_base64=%.2f\n",
                capture.times["BM_BuildRequest"] / capture.times["BM_PlainBase64"]);
    return 0;
}

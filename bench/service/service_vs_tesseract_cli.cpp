// One imgbase64totext round trip through a warm service against the tesseract
// command line on the same 1000 x 300 two-line picture.
// Prints `ratio service_vs_tesseract_cli=<service / cli>`; below 1 the service wins.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <stdexcept>

#include "bench_support.h"
#include "service/engines/cores.h"
#include "support/median.h"

namespace {

using Clock = std::chrono::steady_clock;

}  // namespace

int main(int, char** argv) {
    ocrgated::LimitOpenMp(argv, 1);
    constexpr int kRounds = 11;
    const auto picture = bench::RenderPicture(
        1000, 300, 44,
        {"今天天气很好，我们去公园散步。", "The quick brown fox jumps over 13 lazy dogs."});
    const std::string body =
        bench::SoapRequest("imgbase64totext", "img", bench::Base64File(picture));

    // The command line as a user runs it (its default OpenMP team), and with one
    // thread like the service's engines; the faster of the two is the peer. The
    // three are interleaved so that a busy machine weighs on all of them alike.
    const std::string command =
        "tesseract '" + picture.string() + "' - -l chi_sim+eng >/dev/null 2>&1";
    const auto run_cli = [&](bool single_thread) {
        const std::string line =
            (single_thread ? "OMP_THREAD_LIMIT=1 " : "env -u OMP_THREAD_LIMIT ") + command;
        const auto start = Clock::now();
        if (std::system(line.c_str()) != 0)
            throw std::runtime_error("tesseract failed");
        return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    };

    std::vector<double> service_ms, cli_ms, cli_single_ms;
    {
        bench::Service service(1, 4);
        httplib::Client client("127.0.0.1", service.port());
        client.set_read_timeout(120, 0);
        for (int i = 0; i <= kRounds; ++i) {
            const auto start = Clock::now();
            auto result = client.Post("/ocrgate/ocrgate.asmx?WSDL", body, "text/xml");
            const double ms =
                std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            if (!result || result->status != 200) {
                std::fprintf(stderr, "service request failed\n");
                return 1;
            }
            if (i == 0)
                continue;  // the first one warms the engine
            service_ms.push_back(ms);
            cli_ms.push_back(run_cli(false));
            cli_single_ms.push_back(run_cli(true));
        }
    }
    std::filesystem::remove(picture);

    const double service = quillory::testing::Median(service_ms);
    const double cli = std::min(quillory::testing::Median(cli_ms), quillory::testing::Median(cli_single_ms));
    std::printf("tesseract command line, default:    median %.1f ms over %d\n", quillory::testing::Median(cli_ms),
                kRounds);
    std::printf("tesseract command line, 1 thread:   median %.1f ms over %d\n",
                quillory::testing::Median(cli_single_ms), kRounds);
    std::printf("service imgbase64totext round trip: median %.1f ms over %d\n", service, kRounds);
    std::printf("peer, the faster command line:      median %.1f ms\n", cli);
    std::printf("ratio service_vs_tesseract_cli=%.3f\n", service / cli);
    return 0;
}

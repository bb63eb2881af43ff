// One imgbase64totext round trip through a warm service against the tesseract
// command line on the same 1000 x 300 two-line picture.
// Prints `ratio service_vs_tesseract_cli=<service / cli>`; below 1 the service wins.

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "bench_support.h"

namespace {

using Clock = std::chrono::steady_clock;

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int, char** argv) {
    bench::LimitOpenMp(argv);
    constexpr int kRounds = 7;
    const auto picture = bench::RenderPicture(
        1000, 300, 44, {"今天天气很好，我们去公园散步。", "The quick brown fox jumps over 13 lazy dogs."});
    const std::string body = bench::Request("imgbase64totext", "<img>" + bench::Base64File(picture) + "</img>");

    std::vector<double> service_ms;
    {
        bench::Service service(1, 4);
        httplib::Client client("127.0.0.1", service.port());
        client.set_read_timeout(120, 0);
        for (int i = 0; i <= kRounds; ++i) {
            const auto start = Clock::now();
            auto result = client.Post("/ocrgate/ocrgate.asmx?WSDL", body, "text/xml");
            const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            if (!result || result->status != 200) {
                std::fprintf(stderr, "service request failed\n");
                return 1;
            }
            if (i > 0) service_ms.push_back(ms);  // the first one warms the engine
        }
    }

    // The command line as a user runs it, in its own default environment.
    unsetenv("OMP_THREAD_LIMIT");
    const std::string command = "tesseract '" + picture.string() + "' - -l chi_sim+eng >/dev/null 2>&1";
    std::vector<double> cli_ms;
    for (int i = 0; i < kRounds; ++i) {
        const auto start = Clock::now();
        if (std::system(command.c_str()) != 0) {
            std::fprintf(stderr, "tesseract failed\n");
            return 1;
        }
        cli_ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::filesystem::remove(picture);

    const double service = Median(service_ms), cli = Median(cli_ms);
    std::printf("service imgbase64totext round trip: median %.1f ms over %d\n", service, kRounds);
    std::printf("tesseract command line:             median %.1f ms over %d\n", cli, kRounds);
    std::printf("ratio service_vs_tesseract_cli=%.3f\n", service / cli);
    return 0;
}

// The PP-OCR engine served as ocrgated runs it by default on this machine (two
// workers, one lane each), answering 200 requests over the everyday benchmark
// pictures from two clients at once. Prints the process's RSS when idle, after
// one pass over the pictures and after the 200 requests.

#include <atomic>
#include <cstdio>
#include <thread>

#include "bench_pictures.h"
#include "bench_support.h"
#include "service/common/memory.h"

int main() {
    constexpr int kThreads = 2, kRequests = 200;
    const auto directory =
        std::filesystem::temp_directory_path() / ("ocrgated-memory-" + std::to_string(getpid()));
    std::vector<std::string> requests;
    for (const auto& picture : bench::RenderBenchPictures(directory))
        requests.push_back(
            bench::SoapRequest("imgbase64totext", "img", bench::Base64File(picture.path)));
    std::filesystem::remove_all(directory);

    ocrgated::LimitMallocArenas(kThreads);
    ocrgated::EngineSettings settings;
    settings.recognition_lanes = 1;  // as ocrgated gives each of two workers on two cores
    testing_support::RunningService service(bench::Options(kThreads, 64),
                                            ocrgated::MakeEngineFactory("ppocr", settings));
    const long idle = bench::RssKib();
    std::atomic<int> next{0}, failed{0};
    long after_pass = 0;
    auto client = [&] {
        httplib::Client http("127.0.0.1", service.port());
        http.set_read_timeout(120, 0);
        for (int i; (i = next++) < kRequests;) {
            const auto reply =
                http.Post("/ocrgate/ocrgate.asmx",
                          requests[static_cast<std::size_t>(i) % requests.size()], "text/xml");
            if (!reply || reply->status != 200)
                ++failed;
            if (i == static_cast<int>(requests.size()))
                after_pass = bench::RssKib();
        }
    };
    std::thread first(client), second(client);
    first.join();
    second.join();
    const long after = bench::RssKib();
    std::printf(
        "ppocr service, %d workers: %d requests, %d failed; rss idle %.1f MiB, after one "
        "pass over the %zu pictures %.1f MiB, after all %.1f MiB\n",
        kThreads, kRequests, failed.load(), idle / 1024.0, requests.size(), after_pass / 1024.0,
        after / 1024.0);
    return failed == 0 ? 0 : 1;
}

// A load run: 2,000 HelloWorld and 200 imgbase64totext requests, interleaved,
// from 8 concurrent clients. Prints requests/s, errors, and the RSS before, at
// the half-way mark and at the end; the last line is the RSS growth over the
// second half as a ratio (below 1.10 means under 10 %).

#include <atomic>
#include <chrono>
#include <cstdio>

#include "bench_support.h"
#include "service/engines/cores.h"

int main(int, char** argv) {
    ocrgated::LimitOpenMp(argv, 2);
    constexpr int kHello = 2000, kOcr = 200, kClients = 8;
    constexpr int kTotal = kHello + kOcr;
    const auto picture = bench::RenderPicture(500, 100, 28, {"负载测试 load test 123"});
    const std::string ocr =
        bench::SoapRequest("imgbase64totext", "img", bench::Base64File(picture));
    const std::string hello = bench::SoapRequest("HelloWorld");
    std::filesystem::remove(picture);

    bench::Service service(2, 64);
    {
        httplib::Client warm("127.0.0.1", service.port());
        warm.set_read_timeout(120, 0);
        for (int i = 0; i < 4; ++i)
            warm.Post("/ocrgate/ocrgate.asmx", ocr, "text/xml");
    }
    const long rss_before = bench::RssKib();
    std::atomic<int> next{0}, errors{0}, hello_ok{0}, ocr_ok{0};
    std::atomic<long> rss_half{0};

    const auto start = std::chrono::steady_clock::now();
    std::vector<std::thread> clients;
    for (int c = 0; c < kClients; ++c) {
        clients.emplace_back([&] {
            httplib::Client client("127.0.0.1", service.port());
            client.set_read_timeout(120, 0);
            client.set_keep_alive(true);
            for (int i; (i = next++) < kTotal;) {
                if (i == kTotal / 2)
                    rss_half = bench::RssKib();
                const bool is_ocr = i % (kTotal / kOcr) == 0;
                auto result =
                    client.Post("/ocrgate/ocrgate.asmx", is_ocr ? ocr : hello, "text/xml");
                const bool ok =
                    result && result->status == 200 &&
                    result->body.find(is_ocr ? "words_result" : "Hello World") != std::string::npos;
                if (!ok) {
                    ++errors;
                } else {
                    ++(is_ocr ? ocr_ok : hello_ok);
                }
            }
        });
    }
    for (auto& client : clients)
        client.join();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const long rss_after = bench::RssKib();

    std::printf("requests: %d HelloWorld ok, %d imgbase64totext ok, %d errors, concurrency %d\n",
                hello_ok.load(), ocr_ok.load(), errors.load(), kClients);
    std::printf("throughput: %.1f requests/s over %.1f s\n", kTotal / seconds, seconds);
    std::printf("rss: before %ld KiB, half-way %ld KiB, after %ld KiB\n", rss_before,
                rss_half.load(), rss_after);
    std::printf("errors=%d\n", errors.load());
    std::printf("ratio rss_second_half_vs_first=%.3f\n",
                double(rss_after) / double(rss_half.load()));
    return errors == 0 ? 0 : 1;
}

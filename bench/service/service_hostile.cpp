// The service under hostile load, as ratios:
//   healthz_under_slowloris_vs_idle: the median /healthz time while 50 clients
//     trickle request heads, one header line at a time, over the median when idle;
//   rss_after_large_vs_idle: the process's RSS after recognising one large
//     picture over its RSS when idle after ordinary work.
// It also prints the peak memory and time of the probes' costly pictures.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>

#include "bench_support.h"
#include "service/engines/cores.h"
#include "service/common/memory.h"
#include "support/median.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kThreads = 2;

double MedianHealthMs(int port, int samples) {
    httplib::Client client("127.0.0.1", port);
    std::vector<double> times;
    for (int i = 0; i < samples; ++i) {
        const auto start = Clock::now();
        auto result = client.Get("/healthz");
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        if (!result || result->status != 200)
            times.back() = 1e6;  // no answer counts as a very slow one
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return quillory::testing::Median(times);
}

int Connect(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    return fd;
}

}  // namespace

int main(int, char** argv) {
    ocrgated::LimitOpenMp(argv, kThreads);
    ocrgated::LimitMallocArenas(kThreads);
    bench::Service service(kThreads, 8, "");
    const int port = service.port();
    httplib::Client client("127.0.0.1", port);
    client.set_read_timeout(300, 0);

    const double idle = MedianHealthMs(port, 41);
    std::vector<int> slow;
    for (int i = 0; i < 50; ++i) {
        slow.push_back(Connect(port));
        const std::string head = "POST /ocrgate/ocrgate.asmx HTTP/1.1\r\nHost: x\r\n";
        send(slow.back(), head.data(), head.size(), MSG_NOSIGNAL);
    }
    std::atomic<bool> done{false};
    std::thread trickle([&] {
        for (int round = 0; !done; ++round) {
            const std::string line = "X-Slow-" + std::to_string(round) + ": y\r\n";
            for (int fd : slow)
                send(fd, line.data(), line.size(), MSG_NOSIGNAL);
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
    });
    const double loaded = MedianHealthMs(port, 41);
    done = true;
    trickle.join();
    for (int fd : slow)
        close(fd);
    std::printf("healthz median: idle %.2f ms, with 50 trickling clients %.2f ms\n", idle, loaded);
    std::printf("ratio healthz_under_slowloris_vs_idle=%.2f\n", loaded / idle);

    // Idle means idle after ordinary work: every worker has read a page with the line
    // the large picture shows, so that its networks are loaded and its buffers at their
    // working size (the detector scales every picture to at most 960 pixels a side), as
    // real traffic makes them within its first requests. Each worker keeps its own
    // networks; a worker that never read anything is not idle but cold.
    const auto Post = [&](const std::filesystem::path& path) {
        httplib::Client own("127.0.0.1", port);
        own.set_read_timeout(300, 0);
        auto result = own.Post(
            "/ocrgate/ocrgate.asmx",
            bench::SoapRequest("imgbase64totext", "img", bench::Base64File(path)), "text/xml");
        return result ? result->status : 0;
    };
    const std::string line = "大图 large picture 456";
    const auto page = bench::RenderPicture(1200, 900, 40, {line});
    const long rss_cold = bench::RssKib();
    {
        std::vector<std::thread> warming;
        for (int worker = 0; worker < kThreads; ++worker)
            warming.emplace_back([&] { Post(page); });
        for (auto& thread : warming)
            thread.join();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const long rss_idle = bench::RssKib();
    const auto large = bench::RenderPicture(5000, 5000, 60, {line});
    const int status = Post(large);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const long rss_after = bench::RssKib();
    std::printf(
        "large picture: HTTP %d; rss before any recognition %ld KiB, after a page on each "
        "worker %ld KiB, after 5000x5000 %ld KiB\n",
        status, rss_cold, rss_idle, rss_after);
    std::printf("ratio rss_after_large_vs_idle=%.2f\n", double(rss_after) / double(rss_idle));

    // The costly pictures of the probes: the peak over idle while one is read, and its time.
    testing_support::Rendering transparent;
    transparent.width = transparent.height = 7071;
    transparent.pointsize = 120;
    transparent.lines = {line};
    transparent.background = "none";
    transparent.coder = "png32:";
    const auto rgba = std::filesystem::path(large).replace_filename("ocrgated-bench-rgba.png");
    testing_support::RenderFile(transparent, rgba);
    const auto tile = bench::RenderPicture(300, 40, 18, {"识别文字 tiled text 42"});
    const auto tiled = std::filesystem::path(large).replace_filename("ocrgated-bench-tiled.png");
    const std::string command =
        "convert -size 2400x2400 tile:" + tile.string() + " " + tiled.string();
    if (std::system(command.c_str()) != 0)
        throw std::runtime_error("convert failed: " + command);
    for (const auto& [path, name] : {std::pair{rgba, "7071x7071 RGBA PNG"},
                                     std::pair{tiled, "2400x2400 PNG tiled with text"}}) {
        const long rss = bench::RssKib();
        bench::ResetPeakRss();
        const auto start = Clock::now();
        const int answer = Post(path);
        std::printf("%s (%ju bytes): HTTP %d in %.1f s, peak %+ld MiB over the RSS before\n", name,
                    std::uintmax_t(std::filesystem::file_size(path)), answer,
                    std::chrono::duration<double>(Clock::now() - start).count(),
                    (bench::StatusKib("VmHWM") - rss) / 1024);
    }
    for (const auto& path : {page, large, rgba, tile, tiled})
        std::filesystem::remove(path);
    return 0;
}

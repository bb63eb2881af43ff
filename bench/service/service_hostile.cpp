// The service under hostile load, as ratios:
//   healthz_under_slowloris_vs_idle: the median /healthz time while 50 clients
//     trickle request heads, one header line at a time, over the median when idle;
//   rss_after_large_vs_idle: the process's RSS after recognising one large
//     picture over its RSS when idle after a small one.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>

#include "bench_support.h"
#include "service/engines/memory.h"

namespace {

using Clock = std::chrono::steady_clock;

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
    std::nth_element(times.begin(), times.begin() + samples / 2, times.end());
    return times[samples / 2];
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
    bench::LimitOpenMp(argv);
    ocrgated::LimitMallocArenas(2);
    bench::Service service(2, 8, "");
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

    // Idle means idle after ordinary work: a page-sized picture fills the engine's
    // buffers to their working size (the detector scales every picture to at most
    // 960 pixels a side), as any real traffic does within its first requests.
    const auto Recognise = [&](int width, int height, int pointsize, const std::string& text) {
        const auto path = bench::RenderPicture(width, height, pointsize, {text});
        auto result = client.Post(
            "/ocrgate/ocrgate.asmx",
            bench::SoapRequest("imgbase64totext", "img", bench::Base64File(path)), "text/xml");
        std::filesystem::remove(path);
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        return result ? result->status : 0;
    };
    Recognise(500, 100, 28, "空闲 idle 123");
    const long rss_small = bench::RssKib();
    Recognise(1200, 900, 40, "一页 a page 789");
    const long rss_idle = bench::RssKib();
    const int status = Recognise(5000, 5000, 60, "大图 large picture 456");
    const long rss_after = bench::RssKib();
    std::printf(
        "large picture: HTTP %d; rss after a small picture %ld KiB, after a page %ld KiB, "
        "after 5000x5000 %ld KiB\n",
        status, rss_small, rss_idle, rss_after);
    std::printf("ratio rss_after_large_vs_idle=%.2f\n", double(rss_after) / double(rss_idle));
    return 0;
}

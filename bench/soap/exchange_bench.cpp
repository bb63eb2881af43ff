// One Exchange of a 16 MiB body to a loopback sink against `curl --data-binary @file` to the
// same sink. Each side opens its own connection per post, as a new client does; the curl
// figure includes starting the curl process. Neither waits for a 100-continue.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "sink.h"
#include "soap/http_transport.h"
#include "support/median.h"

extern char** environ;

namespace {

constexpr std::size_t kBodySize = 16u << 20;
constexpr int kRounds = 15;

using Clock = std::chrono::steady_clock;

double TimeExchange(const std::string& url, const std::vector<std::uint8_t>& body) {
    soap::THTTPReqResp transport;
    transport.SetURL(url);
    transport.SetUseUTF8InHeader(true);
    transport.SetSoapAction("http://quillory.org/ocrgate/imgbase64totext");
    soap::MemoryStream request(body);
    soap::MemoryStream reply;
    const auto start = Clock::now();
    transport.Exchange(request, reply);
    return std::chrono::duration<double>(Clock::now() - start).count();
}

struct CurlTimes {
    double wall = -1;      // the whole command, process start included
    double transfer = -1;  // curl's own time_total
};

CurlTimes TimeCurl(const std::string& url, const std::string& file, const std::string& report) {
    const std::string data = "@" + file;
    std::vector<std::string> args = {"curl",
                                     "-s",
                                     "-o",
                                     "/dev/null",
                                     "-w",
                                     "%{time_total}",
                                     "-H",
                                     "Content-Type: text/xml; charset=\"utf-8\"",
                                     "-H",
                                     "Expect:",  // as the transport: no 100-continue wait
                                     "--data-binary",
                                     data,
                                     url};
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, report.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    CurlTimes times;
    const auto start = Clock::now();
    pid_t pid;
    const int spawned = posix_spawnp(&pid, "curl", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return times;
    int status = 0;
    waitpid(pid, &status, 0);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return times;
    times.wall = seconds;
    std::ifstream(report) >> times.transfer;
    return times;
}

}  // namespace

int main() {
    std::vector<std::uint8_t> body(kBodySize);
    for (std::size_t i = 0; i < body.size(); ++i)
        body[i] = static_cast<std::uint8_t>('A' + i % 26);
    char path[] = "/tmp/exchange_bench_XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0)
        return 1;
    close(fd);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(body.data()),
               static_cast<std::streamsize>(body.size()));

    bench_support::Sink sink;
    const std::string url = sink.Url();
    const std::string report = std::string(path) + ".time";
    std::vector<double> ours, theirs, theirTransfers;
    for (int i = 0; i < kRounds; ++i) {
        ours.push_back(TimeExchange(url, body));
        const CurlTimes curl = TimeCurl(url, path, report);
        theirs.push_back(curl.wall);
        theirTransfers.push_back(curl.transfer);
    }
    unlink(path);
    unlink(report.c_str());
    if (std::find(theirs.begin(), theirs.end(), -1.0) != theirs.end() ||
        sink.Received() != 2 * kRounds) {
        std::fprintf(stderr, "a post failed\n");
        return 1;
    }
    const double a = quillory::testing::Median(ours), b = quillory::testing::Median(theirs), c = quillory::testing::Median(theirTransfers);
    std::printf(
        "exchange_16MiB_median_ms=%.2f curl_command_median_ms=%.2f curl_time_total_median_ms=%.2f "
        "rounds=%d\n",
        a * 1e3, b * 1e3, c * 1e3, kRounds);
    std::printf("ratio exchange_vs_curl_time_total=%.2f\n", a / c);
    std::printf("ratio exchange_vs_curl=%.2f\n", a / b);
    return 0;
}

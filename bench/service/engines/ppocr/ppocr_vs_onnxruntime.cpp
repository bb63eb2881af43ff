// Time and memory to read ten everyday pictures, warm: our PP-OCR engine in
// process against the same models on ONNX Runtime (npm's @gutenye/ocr-node in
// one Node process). Runs of the two alternate picture by picture, so that
// load from other work on the machine falls on both alike; each picture counts
// with its median, the totals are sums of medians.

#include "bench_pictures.h"
#include "engine_timing.h"
#include "onnxruntime_peer.h"
#include "service/common/memory.h"
#include "service/engines/ppocr/pp_ocr_recognizer.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <numeric>
#include <optional>

namespace {

namespace fs = std::filesystem;

constexpr int kRuns = 5;

std::vector<std::uint8_t> ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Milliseconds our engine spent in each stage over the timed runs.
using Stages = std::array<double, 7>;

// Our side reads the file too, as the peer does.
double TimeOurs(ocrgated::ppocr::PpOcrRecognizer& engine, const fs::path& picture,
                std::size_t* lines = nullptr, Stages* stages = nullptr) {
    const auto start = std::chrono::steady_clock::now();
    const auto read = engine.Recognize(ReadBytes(picture));
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (lines)
        *lines = read.size();
    for (std::size_t stage = 1; stages && stage < stages->size(); ++stage)
        (*stages)[stage] +=
            engine.LastStageTimes().Milliseconds(static_cast<ocrgated::ppocr::Stage>(stage));
    return seconds;
}

std::string LoadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string one, five;
    in >> one >> five;
    return one + " " + five;
}

struct TemporaryDirectory {
    fs::path path =
        fs::temp_directory_path() / ("ppocr-vs-onnxruntime-" + std::to_string(getpid()));
    ~TemporaryDirectory() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
};

}  // namespace

int main() {
    ocrgated::KeepNetworkBuffersInHeap();  // as ocrgated does at start
    TemporaryDirectory work;
    const auto pictures = bench::RenderBenchPictures(work.path);

    std::optional<bench::OnnxRuntimePeer> peer;
    try {
        peer.emplace();
    } catch (const bench::PeerUnavailable& e) {
        std::printf("onnxruntime peer skipped: %s\n", e.what());
    }
    ocrgated::ppocr::PpOcrRecognizer ours(
        ocrgated::ppocr::LoadPpOcrModels(ocrgated::ppocr::DefaultModelDirectory()));

    // Warm-up: one read of each picture by each side; the line counts show
    // that both read the pictures.
    std::vector<std::size_t> our_lines(pictures.size()), peer_lines(pictures.size());
    std::vector<std::vector<double>> our_times(pictures.size()), peer_times(pictures.size());
    Stages stages{};
    const std::string load_before = LoadAverage();
    try {
        for (std::size_t i = 0; i < pictures.size(); ++i) {
            TimeOurs(ours, pictures[i].path, &our_lines[i]);
            if (peer)
                peer_lines[i] = peer->Read(pictures[i].path).lines.size();
        }
        for (int run = 0; run < kRuns; ++run) {
            for (std::size_t i = 0; i < pictures.size(); ++i) {
                // Who goes first alternates too.
                const bool ours_first = (run + i) % 2 == 0;
                if (ours_first)
                    our_times[i].push_back(TimeOurs(ours, pictures[i].path, nullptr, &stages));
                if (peer)
                    peer_times[i].push_back(peer->Read(pictures[i].path).seconds);
                if (!ours_first)
                    our_times[i].push_back(TimeOurs(ours, pictures[i].path, nullptr, &stages));
            }
        }
    } catch (const bench::PeerUnavailable& e) {
        std::printf("onnxruntime peer failed: %s\n", e.what());
        return 0;
    }

    std::printf("%-16s %9s %12s %7s %s\n", "picture", "ours ms", "onnxrt ms", "ratio",
                "lines ours/onnxrt");
    double our_total = 0, peer_total = 0;
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        const double mine = bench::Median(our_times[i]);
        our_total += mine;
        if (!peer) {
            std::printf("%-16s %9.1f %12s %7s %zu\n", pictures[i].name.c_str(), 1000 * mine, "-",
                        "-", our_lines[i]);
            continue;
        }
        const double theirs = bench::Median(peer_times[i]);
        peer_total += theirs;
        std::printf("%-16s %9.1f %12.1f %7.2f %zu/%zu\n", pictures[i].name.c_str(), 1000 * mine,
                    1000 * theirs, mine / theirs, our_lines[i], peer_lines[i]);
    }
    const long our_kib = bench::ResidentKib();
    std::printf("medians of %d warm runs; load average %s before, %s after\n", kRuns,
                load_before.c_str(), LoadAverage().c_str());
    const double staged = std::accumulate(stages.begin(), stages.end(), 0.0);
    std::printf("our stages' shares of a page's time:");
    for (std::size_t stage = 1; stage < stages.size(); ++stage)
        std::printf(" %s %.1f%%",
                    ocrgated::ppocr::StageName(static_cast<ocrgated::ppocr::Stage>(stage)),
                    100 * stages[stage] / std::max(staged, 1e-9));
    std::printf("\n");
    std::printf("total: ours %.3f s", our_total);
    if (!peer) {
        std::printf("; resident %.1f MiB with one engine\n", our_kib / 1024.0);
        return 0;
    }
    const long peer_kib = peer->ResidentKib();
    std::printf(", onnxruntime %.3f s\n", peer_total);
    std::printf("resident: ours %.1f MiB (one engine), onnxruntime %.1f MiB (its Node process)\n",
                our_kib / 1024.0, peer_kib / 1024.0);
    std::printf("ratio ppocr_vs_onnxruntime=%.3f\n", our_total / peer_total);
    std::printf("ratio ppocr_rss_vs_onnxruntime=%.3f\n",
                static_cast<double>(our_kib) / static_cast<double>(peer_kib));
}

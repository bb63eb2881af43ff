// quillory-ocr on a folder of 40 pictures with --jobs 2 against --jobs 1, against an ocrgated
// with two threads. Wall time of one run each; on two idle cores the ratio comes close to 0.5.

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "run_program.h"
#include "support/render.h"
#include "support/service_process.h"

namespace {

constexpr int kPictures = 40;
constexpr int kRounds = 1;

double Seconds(const std::vector<std::string>& args) {
    const auto start = std::chrono::steady_clock::now();
    const auto run = testing_support::RunProgram(QUILLORY_OCR_BINARY, args, {}, 600);
    const double s =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (run.status != 0) {
        std::fprintf(stderr, "quillory-ocr failed (%d): %s\n", run.status, run.err.c_str());
        return -1;
    }
    return s;
}

}  // namespace

int main() {
    const auto dir = std::filesystem::temp_directory_path() /
                     (std::string("quillory-jobs-bench-") + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::vector<std::string> pictures;
    for (int i = 0; i < kPictures; ++i) {
        const std::string path =
            (dir / (std::string(i < 10 ? "p0" : "p") + std::to_string(i) + ".png")).string();
        testing_support::RenderTextFile(
            path, {"PICTURE NUMBER " + std::to_string(i), "QUILLORY COMMAND LINE"});
        pictures.push_back(path);
    }
    testing_support::ServiceProcess service(OCRGATED_BINARY, testing_support::EphemeralArgs(2));
    if (!service.WaitUntilHealthy()) {
        std::fprintf(stderr, "ocrgated did not start: %s\n", service.Output().c_str());
        return 1;
    }
    auto args = [&](int jobs) {
        return std::vector<std::string>{"--quiet",    "--jobs",           std::to_string(jobs),
                                        "--endpoint", service.Endpoint(), dir.string()};
    };
    Seconds({"--endpoint", service.Endpoint(), pictures[0]});  // warms the engines up
    double one = 1e9, two = 1e9;
    for (int r = 0; r < kRounds; ++r) {
        const double a = Seconds(args(1)), b = Seconds(args(2));
        if (a < 0 || b < 0)
            return 1;
        one = std::min(one, a);
        two = std::min(two, b);
    }
    std::filesystem::remove_all(dir);
    std::printf("pictures=%d jobs1_s=%.2f jobs2_s=%.2f (best of %d)\n", kPictures, one, two,
                kRounds);
    std::printf("ratio jobs2_vs_jobs1=%.2f\n", two / one);
    return 0;
}

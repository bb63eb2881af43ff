// quillory-ocr on PDFs against an ocrgated with two threads:
// - a 10-page PDF's time per page, against the same pages sent as PNG pictures that were
//   rendered beforehand (what rendering on the client adds);
// - the peak memory of quillory-ocr on a 100-page PDF against a 10-page one: pages are
//   streamed, so it should not grow with the page count.

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "pdf_maker.h"
#include "support/render.h"
#include "support/service_process.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct Measured {
    double seconds = -1;
    long peak_kib = 0;
};

// Runs quillory-ocr with its output thrown away; its own peak resident size from wait4.
Measured Run(std::vector<std::string> args) {
    args.insert(args.begin(), QUILLORY_OCR_BINARY);
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    Measured m;
    int status = 0;
    rusage usage{};
    if (spawned != 0 || wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "quillory-ocr failed (%d)\n", status);
        return m;
    }
    m.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    m.peak_kib = usage.ru_maxrss;
    return m;
}

std::string Pdf(const fs::path& dir, int pages) {
    std::vector<std::vector<std::string>> content;
    for (int i = 1; i <= pages; ++i) {
        content.push_back({"QUILLORY PAGE " + std::to_string(i), "THE COMMAND LINE READS PDF",
                           "EACH PAGE IS ONE PICTURE"});
    }
    const std::string path = (dir / ("pages" + std::to_string(pages) + ".pdf")).string();
    std::ofstream(path, std::ios::binary) << testing_support::MakePdf(content);
    return path;
}

}  // namespace

int main() {
    const fs::path dir =
        fs::temp_directory_path() / ("quillory-pdf-bench-" + std::to_string(::getpid()));
    fs::create_directories(dir / "png");
    const std::string ten = Pdf(dir, 10), hundred = Pdf(dir, 100);
    const std::string render =
        "pdftoppm -r 200 -png '" + ten + "' '" + (dir / "png" / "page").string() + "'";
    if (std::system(render.c_str()) != 0) {
        std::fprintf(stderr, "cannot render %s\n", ten.c_str());
        return 1;
    }
    testing_support::ServiceProcess service(OCRGATED_BINARY, testing_support::EphemeralArgs(2));
    if (!service.WaitUntilHealthy()) {
        std::fprintf(stderr, "ocrgated did not start: %s\n", service.Output().c_str());
        return 1;
    }
    const std::string endpoint = service.Endpoint();
    Run({"--endpoint", endpoint, "--pages", "1", ten});  // warms the engines up

    const Measured pdf = Run({"--quiet", "--endpoint", endpoint, ten});
    const Measured png = Run({"--quiet", "--endpoint", endpoint, (dir / "png").string()});
    const Measured small = Run({"--quiet", "--jobs", "2", "--endpoint", endpoint, ten});
    const Measured big = Run({"--quiet", "--jobs", "2", "--endpoint", endpoint, hundred});
    fs::remove_all(dir);
    if (pdf.seconds < 0 || png.seconds < 0 || small.seconds < 0 || big.seconds < 0)
        return 1;
    std::printf("pages=10 pdf_s_per_page=%.2f png_s_per_page=%.2f (--jobs 1)\n", pdf.seconds / 10,
                png.seconds / 10);
    std::printf("ratio pdf_page_vs_png_picture=%.2f\n", pdf.seconds / png.seconds);
    std::printf("peak_rss_kib pages10=%ld pages100=%ld (--jobs 2, 100 pages in %.1f s)\n",
                small.peak_kib, big.peak_kib, big.seconds);
    std::printf("ratio rss_100_vs_10_pages=%.2f\n", double(big.peak_kib) / small.peak_kib);
    return 0;
}

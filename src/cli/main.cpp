// quillory-ocr: recognition from the command line.

#include <malloc.h>

#include <QGuiApplication>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/options.h"
#include "cli/runner.h"

namespace {

QtMessageHandler qtDefaultHandler = nullptr;

// The offscreen platform asks for a runtime folder that a command line does not need.
void QuietRuntimeDirectory(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text.startsWith("QStandardPaths: XDG_RUNTIME_DIR"))
        return;
    qtDefaultHandler(type, context, text);
}

}  // namespace

int main(int argc, char** argv) {
    cli::Options options;
    try {
        options = cli::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const cli::UsageError& e) {
        std::fprintf(stderr,
                     "quillory-ocr: %s\nUsage: quillory-ocr [OPTIONS] PICTURE...\n"
                     "Run quillory-ocr --help for the options.\n",
                     e.what());
        return 2;
    }
    if (options.help) {
        std::fputs(cli::Usage().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::puts("quillory-ocr " QUILLORY_VERSION);
        return 0;
    }
    // A rendered page is tens of megabytes; allocated outside the heap, it goes back to the
    // system when dropped instead of staying in each worker thread's heap for the run.
    mallopt(M_MMAP_THRESHOLD, 1 << 20);

    // Qt's image codecs are plugins owned by the thread that first uses Qt, which has to
    // outlive the workers: that is this one. The searchable PDF's text also needs fonts, and
    // so a GUI application, on the offscreen platform as no window is ever shown.
    int qtArgc = 3;
    char platform[] = "-platform", offscreen[] = "offscreen";
    char* qtArgv[] = {argv[0], platform, offscreen, nullptr};
    std::unique_ptr<QCoreApplication> qt;
    if (options.format == cli::Format::pdf) {
        qtDefaultHandler = qInstallMessageHandler(QuietRuntimeDirectory);
        qt = std::make_unique<QGuiApplication>(qtArgc, qtArgv);
    } else {
        qtArgc = 1;
        qt = std::make_unique<QCoreApplication>(qtArgc, qtArgv);
    }

    const int status = cli::RunPictures(options, stdout, stderr);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "quillory-ocr: cannot write the output\n");
        return 1;
    }
    return status;
}

#include "cli/runner.h"

#include <signal.h>
#include <unistd.h>

#include <QBuffer>
#include <QImageReader>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "cli/output.h"
#include "cli/picture_job.h"
#include "cli/progress.h"
#include "cli/sources.h"
#include "pdf/pdf_document.h"

namespace cli {
namespace {

// A picture's size from its header, for the formats that place lines on the page; empty
// when Qt cannot tell.
QSize PictureSize(const std::vector<std::uint8_t>& bytes) {
    QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    return size.isValid() ? size : QSize(0, 0);
}

std::atomic<bool> interrupted{false};

void OnInterrupt(int) {
    interrupted = true;
}

std::vector<std::uint8_t> ReadStandardInput() {
    std::vector<std::uint8_t> bytes;
    std::uint8_t buffer[65536];
    for (;;) {
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n > 0) {
            bytes.insert(bytes.end(), buffer, buffer + n);
        } else if (n == 0 || errno != EINTR) {
            break;
        }
    }
    return bytes;
}

// One picture to send: a picture source, or one page of a PDF.
struct Unit {
    std::size_t source;
    int page;  // 1-based page of a PDF; 1 for anything else
    bool first, last;
};

class Batch {
  public:
    Batch(const Options& options, std::vector<Source> sources)
        : options_(options), sources_(std::move(sources)) {
        for (std::size_t s = 0; s < sources_.size(); ++s) {
            const std::vector<int> pages =
                sources_[s].error.empty() && sources_[s].kind == Source::Kind::pdf
                    ? sources_[s].pages
                    : std::vector<int>{1};
            for (std::size_t i = 0; i < pages.size(); ++i)
                units_.push_back({s, pages[i], i == 0, i + 1 == pages.size()});
        }
        results_.resize(units_.size());
        done_.assign(units_.size(), false);
        for (const Source& s : sources_) {
            if (s.kind == Source::Kind::standard_input) {
                stdin_ = ReadStandardInput();
                break;
            }
        }
    }

    int Run(std::FILE* out, std::FILE* err) {
        const std::size_t threads =
            std::min<std::size_t>(static_cast<std::size_t>(options_.jobs), units_.size());
        for (std::size_t t = 0; t < threads; ++t)
            workers_.emplace_back([this] { Work(); });
        const int status = Write(out, err);
        for (auto& w : workers_)
            w.join();
        return status;
    }

  private:
    // Workers stay this far ahead of the writer, which bounds the pages held in memory.
    std::size_t Window() const { return 2 * static_cast<std::size_t>(options_.jobs); }

    void Work() {
        for (;;) {
            std::unique_lock guard(lock_);
            changed_.wait(guard,
                          [&] { return next_ >= units_.size() || next_ < written_ + Window(); });
            if (next_ >= units_.size() || interrupted)
                return;
            const std::size_t k = next_++;
            const Unit unit = units_[k];
            const Source& source = sources_[unit.source];
            PageResult page;
            try {
                if (source.kind == Source::Kind::pdf && source.error.empty()) {
                    // Poppler is not shared between threads: render under the lock, one page
                    // of one open document at a time.
                    if (open_source_ != unit.source || !document_) {
                        document_.reset();
                        open_source_ = unit.source;
                        document_ = std::make_unique<pdf::PdfDocument>(source.name);
                    }
                    pdf::RenderedPage rendered = document_->Render(unit.page, options_.dpi);
                    page.picture = std::move(rendered.png);
                    page.dpi = rendered.dpi;
                    if (unit.last)
                        document_.reset();
                }
            } catch (const std::exception& e) {
                page.result.error = e.what();
            }
            guard.unlock();
            if (source.error.empty() && page.result.error.empty())
                Recognize(source, page);
            guard.lock();
            results_[k] = std::move(page);
            done_[k] = true;
            changed_.notify_all();
        }
    }

    void Recognize(const Source& source, PageResult& page) const {
        switch (source.kind) {
            case Source::Kind::address:
                page.result = RecognizeAddress(source.name, options_.endpoint);
                return;
            case Source::Kind::standard_input:
                page.result = RecognizeBytes(stdin_, options_.endpoint);
                return;
            case Source::Kind::picture:
                try {
                    page.picture = ReadPictureFile(source.name);
                } catch (const std::exception& e) {
                    page.result.error = e.what();
                    return;
                }
                break;
            case Source::Kind::pdf:
                break;
        }
        page.result = RecognizeBytes(page.picture, options_.endpoint);
        const QSize size = PictureSize(page.picture);
        page.width = size.width();
        page.height = size.height();
        if (options_.format != Format::pdf)
            page.picture = {};
    }

    int Write(std::FILE* out, std::FILE* err) {
        Progress progress(err, units_.size(), !options_.quiet);
        Output output(options_, out, sources_.size());
        int status = 0;
        bool complete = true;  // of the current source
        for (std::size_t k = 0; k < units_.size(); ++k) {
            std::unique_lock guard(lock_);
            while (!changed_.wait_for(guard, std::chrono::milliseconds(100),
                                      [&] { return done_[k]; })) {
                if (interrupted)
                    Stop(output, progress, out, err);
            }
            PageResult page = std::move(results_[k]);
            guard.unlock();

            const Unit& unit = units_[k];
            const Source& source = sources_[unit.source];
            const std::string name = source.kind == Source::Kind::pdf && source.error.empty()
                                         ? source.name + " page " + std::to_string(unit.page)
                                         : source.name;
            auto fail = [&](const std::string& message) {
                progress.Note("quillory-ocr: " + name + ": " + message);
                complete = false;
                status = 1;
            };
            if (unit.first) {
                complete = source.error.empty();
                if (!complete) {
                    fail(source.error);
                } else {
                    try {
                        output.Begin(source);
                    } catch (const std::exception& e) {
                        fail(e.what());
                    }
                }
            }
            if (complete && !page.result.ok) {
                fail(page.result.error);
            } else if (complete) {
                try {
                    output.Page(source, unit.page, page);
                } catch (const std::exception& e) {
                    fail(e.what());
                }
            }
            if (unit.last) {
                try {
                    output.End(source, complete);
                } catch (const std::exception& e) {
                    fail(e.what());
                }
                if (!complete && !source.output.empty() && source.pages.size() > 1)
                    progress.Note("quillory-ocr: " + source.name +
                                  ": not written, as a page failed");
            }
            progress.Done();
            guard.lock();
            written_ = k + 1;
            changed_.notify_all();
            if (interrupted)
                Stop(output, progress, out, err);
        }
        try {
            output.Close();
        } catch (const std::exception& e) {
            progress.Note(std::string("quillory-ocr: ") + e.what());
            status = 1;
        }
        return status;
    }

    // Requests in flight are abandoned: the process ends here, with the file in progress
    // removed and what was written so far flushed.
    [[noreturn]] void Stop(Output& output, Progress& progress, std::FILE* out, std::FILE* err) {
        output.Abort();
        progress.Clear();
        std::fflush(out);
        std::fputs("quillory-ocr: interrupted\n", err);
        std::fflush(err);
        std::_Exit(130);
    }

    const Options& options_;
    std::vector<Source> sources_;
    std::vector<Unit> units_;
    std::vector<std::uint8_t> stdin_;

    std::mutex lock_;
    std::condition_variable changed_;
    std::size_t next_ = 0;     // the next unit a worker takes
    std::size_t written_ = 0;  // units the writer is done with
    std::vector<PageResult> results_;
    std::vector<bool> done_;
    std::unique_ptr<pdf::PdfDocument> document_;  // the PDF being rendered
    std::size_t open_source_ = 0;
    std::vector<std::thread> workers_;
};

}  // namespace

int RunPictures(const Options& options, std::FILE* out, std::FILE* err) {
    struct sigaction action = {};
    action.sa_handler = OnInterrupt;
    action.sa_flags = SA_RESETHAND;  // a second Ctrl+C ends the program at once
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    Batch batch(options, PlanSources(options, err));
    return batch.Run(out, err);
}

}  // namespace cli

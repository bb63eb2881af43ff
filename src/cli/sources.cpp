#include "cli/sources.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <system_error>

#include "cli/picture_job.h"
#include "pdf/pdf_document.h"

namespace fs = std::filesystem;

namespace cli {
namespace {

enum class Content { picture, pdf, other };

// By the first bytes, as the service itself tells pictures apart.
Content Sniff(const fs::path& path) {
    char head[16] = {};
    std::ifstream in(path, std::ios::binary);
    in.read(head, sizeof head);
    const std::string h(head, static_cast<std::size_t>(in.gcount()));
    if (h.starts_with("%PDF-"))
        return Content::pdf;
    const bool picture = h.starts_with("\xFF\xD8\xFF") || h.starts_with("\x89PNG\r\n\x1A\n") ||
                         h.starts_with("BM") || h.starts_with("GIF87a") ||
                         h.starts_with("GIF89a") || h.starts_with(std::string("II*\0", 4)) ||
                         h.starts_with(std::string("MM\0*", 4)) ||
                         (h.starts_with("RIFF") && h.substr(8, 4) == "WEBP");
    return picture ? Content::picture : Content::other;
}

bool HasPdfExtension(const fs::path& path) {
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    return ext == ".pdf";
}

// Files of a folder argument, sorted by their path inside it.
std::vector<fs::path> FolderFiles(const fs::path& folder, bool recursive) {
    std::vector<fs::path> files;
    const auto add = [&](const fs::directory_entry& entry) {
        std::error_code ec;
        if (entry.is_regular_file(ec))
            files.push_back(entry.path().lexically_relative(folder));
    };
    if (recursive) {
        for (const auto& entry : fs::recursive_directory_iterator(folder))
            add(entry);
    } else {
        for (const auto& entry : fs::directory_iterator(folder))
            add(entry);
    }
    std::sort(files.begin(), files.end());
    return files;
}

class Planner {
  public:
    Planner(const Options& options, std::FILE* err) : options_(options), err_(err) {}

    void Add(const std::string& argument) {
        if (argument == "-" || IsAddress(argument)) {
            Source s;
            s.kind = argument == "-" ? Source::Kind::standard_input : Source::Kind::address;
            s.name = argument;
            sources_.push_back(s);
            return;
        }
        std::error_code ec;
        if (!fs::is_directory(argument, ec)) {
            const fs::path path(argument);
            const bool pdf = HasPdfExtension(path) || Sniff(path) == Content::pdf;
            AddFile(argument, path.filename(), pdf);
            return;
        }
        try {
            for (const fs::path& relative : FolderFiles(argument, options_.recursive)) {
                const fs::path path = fs::path(argument) / relative;
                const Content content = Sniff(path);
                if (content == Content::other) {
                    std::fprintf(err_, "quillory-ocr: %s: not a picture, skipped\n", path.c_str());
                    continue;
                }
                AddFile(path.string(), relative, content == Content::pdf);
            }
        } catch (const fs::filesystem_error& e) {
            Source s;
            s.name = argument;
            s.error = "Cannot read the folder: " + e.code().message();
            sources_.push_back(s);
        }
    }

    std::vector<Source> Take() {
        if (upToDate_ > 0) {
            std::fprintf(err_,
                         "quillory-ocr: %zu output%s up to date, skipped (--force redoes them)\n",
                         upToDate_, upToDate_ == 1 ? "" : "s");
        }
        return std::move(sources_);
    }

  private:
    void AddFile(const std::string& name, const fs::path& relative, bool pdf) {
        Source s;
        s.kind = pdf ? Source::Kind::pdf : Source::Kind::picture;
        s.name = name;
        if (!options_.output.empty()) {
            s.output = fs::path(options_.output) / relative;
            s.output.replace_extension(OutputExtension(options_.format));
            if (UpToDate(name, s.output)) {
                ++upToDate_;
                return;
            }
            std::error_code ec;
            const auto [other, fresh] = outputs_.emplace(s.output.lexically_normal(), name);
            if (!fresh) {
                s.error = "Its output " + s.output.string() + " is also that of " + other->second;
            } else if (fs::equivalent(name, s.output, ec)) {
                s.error = "Its output would replace it";
            }
        }
        if (pdf && s.error.empty()) {
            try {
                const pdf::PdfDocument document(name);
                s.pages = PickPages(options_.pages, document.Count());
                if (s.pages.empty()) {
                    s.error =
                        "--pages picks none of its " + std::to_string(document.Count()) + " pages";
                }
            } catch (const std::exception& e) {
                s.error = e.what();
            }
        }
        sources_.push_back(std::move(s));
    }

    bool UpToDate(const std::string& input, const fs::path& output) const {
        std::error_code a, b;
        const auto made = fs::last_write_time(output, a);
        const auto changed = fs::last_write_time(input, b);
        return !options_.force && !a && !b && made > changed;
    }

    const Options& options_;
    std::FILE* err_;
    std::vector<Source> sources_;
    std::map<fs::path, std::string> outputs_;
    std::size_t upToDate_ = 0;
};

}  // namespace

std::string OutputExtension(Format format) {
    switch (format) {
        case Format::text:
            return ".txt";
        case Format::md:
            return ".md";
        case Format::jsonl:
            return ".json";
        case Format::tsv:
            return ".tsv";
        case Format::pdf:
            return ".pdf";
        case Format::html:
            return ".html";
        case Format::csv:
            return ".csv";
        case Format::xlsx:
            return ".xlsx";
        case Format::hocr:
            return ".hocr";
        case Format::alto:
            return ".xml";
    }
    return ".txt";
}

std::vector<Source> PlanSources(const Options& options, std::FILE* err) {
    Planner planner(options, err);
    for (const std::string& argument : options.pictures)
        planner.Add(argument);
    return planner.Take();
}

}  // namespace cli

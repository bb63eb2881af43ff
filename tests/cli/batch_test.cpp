// quillory-ocr's batches against a real ocrgated: folders, PDF pages, every output format,
// and runs that are cut short and picked up again.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <regex>
#include <thread>

#include "pdf_maker.h"
#include "run_program.h"
#include "support/render.h"
#include "support/service_process.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using testing_support::RunProgram;

const std::string kProgram = QUILLORY_OCR_BINARY;

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Each of `words` in `text`, in this order. Spaces do not count: where the engine puts a
// word gap is its own business, not the command line's.
void ExpectInOrder(std::string text, const std::vector<std::string>& words) {
    std::erase(text, ' ');
    std::size_t at = 0;
    for (std::string w : words) {
        std::erase(w, ' ');
        const std::size_t found = text.find(w, at);
        ASSERT_NE(found, std::string::npos) << "no \"" << w << "\" after " << at << " in\n" << text;
        at = found + w.size();
    }
}

class Batches : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        // For the sanitised build; the programs started here inherit it.
        setenv("LSAN_OPTIONS", "print_suppressions=0:suppressions=" QUILLORY_LSAN_SUPPRESSIONS, 1);
        service_ =
            new testing_support::ServiceProcess(OCRGATED_BINARY, testing_support::EphemeralArgs(2));
        healthy_ = service_->WaitUntilHealthy();
        dir_ = new fs::path(fs::temp_directory_path() /
                            ("quillory-ocr-batch-" + std::to_string(::getpid())));
        fs::create_directories(*dir_);
    }
    static void TearDownTestSuite() {
        delete service_;
        fs::remove_all(*dir_);
        delete dir_;
    }
    void SetUp() override { ASSERT_TRUE(healthy_) << service_->Output(); }

    // A picture of one line of text, in the format its extension names.
    static std::string Picture(const fs::path& path, const std::string& text) {
        fs::create_directories(path.parent_path());
        const std::string png = path.string() + ".source.png";
        testing_support::RenderTextFile(png, {text});
        const std::string command = "convert '" + png + "' -depth 8 '" + path.string() + "'";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        fs::remove(png);
        return path.string();
    }

    static std::string ThreePagePdf() {
        const std::string path = (*dir_ / "three.pdf").string();
        if (!fs::exists(path)) {
            std::ofstream(path, std::ios::binary) << testing_support::MakePdf(
                {{"FIRST PAGE ALPHA"}, {"SECOND PAGE BRAVO"}, {"THIRD PAGE CHARLIE"}});
        }
        return path;
    }

    std::vector<std::string> Args(std::vector<std::string> rest) const {
        rest.insert(rest.begin(), {"--endpoint", service_->Endpoint()});
        return rest;
    }

    static testing_support::ServiceProcess* service_;
    static bool healthy_;
    static fs::path* dir_;
};

testing_support::ServiceProcess* Batches::service_ = nullptr;
bool Batches::healthy_ = false;
fs::path* Batches::dir_ = nullptr;

TEST_F(Batches, EveryFormatOfAPdf) {
    const std::string pdf = ThreePagePdf();
    const fs::path out = *dir_ / "formats";
    const struct {
        std::vector<std::string> args;
        std::function<void(const std::string& out)> check;
    } cases[] = {
        {{pdf},
         [](const std::string& text) {
             ExpectInOrder(text, {"FIRST PAGE ALPHA\n\f\n", "SECOND PAGE BRAVO\n\f\n",
                                  "THIRD PAGE CHARLIE\n"});
         }},
        {{"--json", pdf},
         [](const std::string& text) {
             const std::regex reply(R"(\{[^\n]*"words_result"[^\n]*\n)");
             EXPECT_EQ(std::distance(std::sregex_iterator(text.begin(), text.end(), reply),
                                     std::sregex_iterator()),
                       3)
                 << text;
             ExpectInOrder(text, {"ALPHA", "\n", "BRAVO", "\n", "CHARLIE", "\n"});
         }},
        {{"--format", "tsv", "--pages", "2-", pdf},
         [&pdf](const std::string& text) {
             // Helvetica 28 pt at x = 60 pt and y = 792 - 700 pt: 167 px in, 200 px down at
             // 200 dpi, less the ascent.
             const std::regex row(
                 "^" + pdf +
                 R"(\t([23])\t1\t(\d+)\t(\d+)\t(\d+)\t(\d+)\t(0\.\d+|1\.0+)\t(\w+ PAGE \w+)$)");
             std::istringstream lines(text);
             std::string line;
             std::getline(lines, line);
             EXPECT_EQ(line, "source\tpage\tline\tleft\ttop\twidth\theight\tconfidence\ttext");
             std::vector<std::string> pages, texts;
             for (std::smatch m; std::getline(lines, line);) {
                 ASSERT_TRUE(std::regex_match(line, m, row)) << line;
                 EXPECT_NEAR(std::stoi(m[2]), 167, 20) << line;
                 EXPECT_NEAR(std::stoi(m[3]), 180, 30) << line;
                 EXPECT_GT(std::stoi(m[4]), 300) << line;
                 pages.push_back(m[1]);
                 texts.push_back(m[7]);
             }
             EXPECT_EQ(pages, (std::vector<std::string>{"2", "3"}));
             EXPECT_EQ(texts,
                       (std::vector<std::string>{"SECOND PAGE BRAVO", "THIRD PAGE CHARLIE"}));
         }},
        {{"--format", "pdf", "--output", out.string(), pdf},
         [&out](const std::string& text) {
             EXPECT_EQ(text, "");
             const fs::path made = out / "three.pdf";
             ASSERT_TRUE(fs::exists(made));
             const auto extracted = RunProgram("/usr/bin/pdftotext", {made.string(), "-"});
             EXPECT_EQ(extracted.status, 0) << extracted.err;
             // Three pages, each with its own text.
             EXPECT_EQ(std::count(extracted.out.begin(), extracted.out.end(), '\f'), 3);
             ExpectInOrder(extracted.out, {"FIRST PAGE ALPHA", "\f", "SECOND PAGE BRAVO", "\f",
                                           "THIRD PAGE CHARLIE", "\f"});
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.front());
        const auto run = RunProgram(kProgram, Args(c.args));
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");
        c.check(run.out);
    }
}

TEST_F(Batches, AFolderTreeWithOtherFilesAndABrokenPdf) {
    const fs::path tree = *dir_ / "tree";
    Picture(tree / "a.png", "PORTABLE NETWORK");
    Picture(tree / "b.jpg", "JOINT PHOTOGRAPHIC");
    Picture(tree / "inner" / "c.gif", "GRAPHICS INTERCHANGE");
    Picture(tree / "inner" / "d.tif", "TAGGED IMAGE");
    Picture(tree / "inner" / "e.webp", "WEB PICTURE");
    Picture(tree / "z.bmp", "DEVICE INDEPENDENT");
    std::ofstream(tree / "notes.txt") << "not a picture";
    std::ofstream(tree / "fake.png") << "text that only calls itself a picture";
    const std::string pdf = Slurp(ThreePagePdf());
    std::ofstream(tree / "broken.pdf") << pdf.substr(0, 200);
    // Encrypted for a user password that the empty one does not match.
    std::ofstream(tree / "locked.pdf") << std::regex_replace(
        pdf, std::regex("/Root 1 0 R"),
        "/Root 1 0 R /Encrypt << /Filter /Standard /V 1 /R 2 /O <" + std::string(64, '1') +
            "> /U <" + std::string(64, '2') + "> /P -4 >> /ID [<00112233> <00112233>]");
    const std::string t = tree.string();
    const std::string skipped = "quillory-ocr: " + t + "/fake.png: not a picture, skipped\n";
    const std::string broken = "quillory-ocr: " + t +
                               "/broken.pdf: Not a readable PDF\nquillory-ocr: " + t +
                               "/locked.pdf: The PDF is protected by a password\n";

    const struct {
        bool recursive;
        std::vector<std::string> pictures;  // the blocks in order
        std::vector<std::string> words;
    } cases[] = {
        {false, {"a.png", "b.jpg", "z.bmp"}, {"PORTABLE", "JOINT", "DEVICE"}},
        {true,
         {"a.png", "b.jpg", "inner/c.gif", "inner/d.tif", "inner/e.webp", "z.bmp"},
         {"PORTABLE", "JOINT", "GRAPHICS", "TAGGED", "WEB", "DEVICE"}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"--jobs", "2", t};
        if (c.recursive)
            args.insert(args.begin(), "-r");
        const auto run = RunProgram(kProgram, Args(args));
        EXPECT_EQ(run.status, 1);  // for the two PDFs
        // What is left out is said before the run, the PDFs' errors in their turn.
        EXPECT_EQ(run.err,
                  skipped + "quillory-ocr: " + t + "/notes.txt: not a picture, skipped\n" + broken);
        std::vector<std::string> expected;
        for (std::size_t i = 0; i < c.pictures.size(); ++i) {
            expected.push_back("==> " + t + "/" + c.pictures[i] + " <==\n");
            expected.push_back(c.words[i]);
        }
        ExpectInOrder(run.out, expected);
        // Four "=" to each block's head: no block for anything that was left out.
        EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '='), 4 * long(c.pictures.size()));
    }
}

TEST_F(Batches, AnInterruptedRunPicksUpWhereItStopped) {
    const fs::path in = *dir_ / "resume-in", out = *dir_ / "resume-out";
    const std::vector<std::string> words = {"ONE", "TWO", "THREE", "FOUR", "FIVE", "SIX"};
    for (std::size_t i = 0; i < words.size(); ++i)
        Picture(in / ("p" + std::to_string(i) + ".png"), words[i] + " PICTURE");
    const std::vector<std::string> args = Args({"--output", out.string(), in.string()});

    // Ctrl+C once the first output is there.
    std::vector<char*> argv = {const_cast<char*>(kProgram.c_str())};
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, kProgram.c_str(), &quiet, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&quiet);
    ASSERT_EQ(spawned, 0);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!fs::exists(out / "p0.txt") && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    kill(pid, SIGINT);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 130);

    std::size_t done = 0;
    for (const auto& entry : fs::directory_iterator(out)) {
        const std::string name = entry.path().filename().string();
        EXPECT_FALSE(name.starts_with(".")) << "left behind: " << name;
        ++done;
    }
    ASSERT_GE(done, 1u);
    ASSERT_LT(done, words.size()) << "the run ended before it was interrupted";
    const auto first = fs::last_write_time(out / "p0.txt");

    const auto rerun = RunProgram(kProgram, args);
    EXPECT_EQ(rerun.status, 0) << rerun.err;
    EXPECT_EQ(rerun.err, "quillory-ocr: " + std::to_string(done) + " output" +
                             (done == 1 ? "" : "s") +
                             " up to date, skipped (--force redoes them)\n");
    EXPECT_EQ(fs::last_write_time(out / "p0.txt"), first);
    for (std::size_t i = 0; i < words.size(); ++i)
        EXPECT_EQ(Slurp(out / ("p" + std::to_string(i) + ".txt")), words[i] + " PICTURE\n");

    // A picture changed since its output was written is redone, and --force redoes all.
    fs::last_write_time(in / "p3.png", fs::file_time_type::clock::now() + std::chrono::seconds(5));
    EXPECT_EQ(RunProgram(kProgram, args).err,
              "quillory-ocr: 5 outputs up to date, skipped (--force redoes them)\n");
    // On a terminal (script gives it one) that run shows its progress and clears it.
    std::string command = "'" + kProgram + "' --force";
    for (const std::string& a : args)
        command += " '" + a + "'";
    const auto all = RunProgram("/usr/bin/script", {"-qec", command, "/dev/null"});
    EXPECT_EQ(all.status, 0) << all.out;
    EXPECT_NE(all.out.find("\r\x1b[K6/6 pictures, "), std::string::npos) << all.out;
    EXPECT_TRUE(all.out.ends_with("left\r\x1b[K")) << all.out;
    EXPECT_GT(fs::last_write_time(out / "p0.txt"), first);
}

}  // namespace

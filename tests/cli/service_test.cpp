// quillory-ocr against a real ocrgated: rendered pictures in, recognised lines out.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "run_program.h"
#include "support/render.h"
#include "support/service_process.h"

namespace {

using testing_support::RunProgram;

const std::string kProgram = QUILLORY_OCR_BINARY;

class AgainstOcrgated : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        service_ =
            new testing_support::ServiceProcess(OCRGATED_BINARY, testing_support::EphemeralArgs(2));
        healthy_ = service_->WaitUntilHealthy();
        dir_ = new std::filesystem::path(
            std::filesystem::temp_directory_path() /
            (std::string("quillory-ocr-service-") + std::to_string(::getpid())));
        std::filesystem::create_directories(*dir_);
    }
    static void TearDownTestSuite() {
        delete service_;
        std::filesystem::remove_all(*dir_);
        delete dir_;
    }
    void SetUp() override { ASSERT_TRUE(healthy_) << service_->Output(); }

    static std::string Picture(const std::string& name, const std::vector<std::string>& lines) {
        const std::string path = (*dir_ / name).string();
        testing_support::RenderTextFile(path, lines);
        return path;
    }

    static testing_support::ServiceProcess* service_;
    static bool healthy_;
    static std::filesystem::path* dir_;
};

testing_support::ServiceProcess* AgainstOcrgated::service_ = nullptr;
bool AgainstOcrgated::healthy_ = false;
std::filesystem::path* AgainstOcrgated::dir_ = nullptr;

TEST_F(AgainstOcrgated, RecognisesTheLinesOfAPicture) {
    const std::string picture = Picture("lines.png", {"QUILLORY READS TEXT", "SECOND LINE 2026"});
    const auto run = RunProgram(kProgram, {"--endpoint", service_->Endpoint(), picture});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "QUILLORY READS TEXT\nSECOND LINE 2026\n");
}

TEST_F(AgainstOcrgated, JsonLinesAndStandardInput) {
    const std::string picture = Picture("json.png", {"HELLO WORLD"});
    std::string bytes;
    {
        std::ifstream in(picture, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    const auto run =
        RunProgram(kProgram, {"--json", "--endpoint", service_->Endpoint(), picture, "-"}, bytes);
    EXPECT_EQ(run.status, 0) << run.err;
    const auto first = run.out.find('\n');
    ASSERT_NE(first, std::string::npos);
    const std::string a = run.out.substr(0, first), b = run.out.substr(first + 1);
    for (const std::string& line : {a, b}) {
        EXPECT_TRUE(line.starts_with("{")) << line;
        EXPECT_NE(line.find("\"words_result\""), std::string::npos) << line;
        EXPECT_NE(line.find("HELLO WORLD"), std::string::npos) << line;
    }
    EXPECT_EQ(b.back(), '\n');
    EXPECT_EQ(b.find('\n'), b.size() - 1);  // one reply per line
}

TEST_F(AgainstOcrgated, FourJobsKeepTheOrder) {
    const std::vector<std::string> words = {"ALPHA", "BRAVO", "DELTA", "ECHO", "HOTEL", "OSCAR"};
    std::vector<std::string> args = {"--jobs", "4", "--endpoint", service_->Endpoint()};
    for (std::size_t i = 0; i < words.size(); ++i) {
        // Pictures of different sizes take different times, so answers come out of order.
        args.push_back(
            Picture(words[i] + ".png", std::vector<std::string>(1 + (i % 3) * 2, words[i])));
    }
    const auto run = RunProgram(kProgram, args);
    EXPECT_EQ(run.status, 0) << run.err;
    // Blocks in argument order, each holding its own picture's word; the order is what is
    // checked here, not the engine's reading of every repeated line.
    std::size_t at = 0;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string header = "==> " + args[4 + i] + " <==\n";
        ASSERT_EQ(run.out.find(header, at), at) << run.out;
        at += header.size();
        const std::size_t end = std::min(run.out.find("\n==> ", at), run.out.size());
        EXPECT_EQ(run.out.substr(at, words[i].size() + 1), words[i] + "\n") << run.out;
        at = end + 1;
    }
}

TEST_F(AgainstOcrgated, AServiceFaultIsReportedAndTheRestGoesOn) {
    const std::string good = Picture("good.png", {"GOOD PICTURE"});
    const std::string bad = (*dir_ / "bad.png").string();
    std::ofstream(bad, std::ios::binary) << "this is not a picture";
    const auto run = RunProgram(kProgram, {"--endpoint", service_->Endpoint(), bad, good});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.starts_with("quillory-ocr: " + bad + ": ")) << run.err;
    EXPECT_EQ(run.out, "==> " + good + " <==\nGOOD PICTURE\n");
}

// A small table without rules is no table to the service; said to be one, it is.
TEST_F(AgainstOcrgated, TableSaysThePictureIsOneTable) {
    testing_support::Rendering rendering;
    rendering.width = 420;
    rendering.height = 130;
    rendering.pointsize = 20;
    rendering.output_options = "-annotate +20+35 Apple -annotate +260+35 12.5 -annotate +20+75 Pear"
                               " -annotate +260+75 7.0 -annotate +20+115 Plum -annotate +260+115 30";
    const std::string picture = (*dir_ / "fruit.png").string();
    testing_support::RenderFile(rendering, picture);
    const struct {
        std::vector<std::string> flags;
        std::string out;
    } cases[] = {
        {{}, ""},
        {{"--table"}, "Apple,12.5\r\nPear,7.0\r\nPlum,30\r\n"},  // CSV ends rows so
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"--format", "csv", "--endpoint", service_->Endpoint()};
        args.insert(args.end(), c.flags.begin(), c.flags.end());
        args.push_back(picture);
        const auto run = RunProgram(kProgram, args);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, c.out) << c.flags.size();
    }
}

// The archive formats place each character where the service read it: one Glyph or
// ocrx_cinfo per character, in order, along its line.
TEST_F(AgainstOcrgated, ArchiveFormatsPlaceEachCharacter) {
    const std::string picture = Picture("glyphs.png", {"QUILLORY READS TEXT"});
    for (const auto& [format, mark] : {std::pair{"alto", "<Glyph "}, {"hocr", "ocrx_cinfo\" title"}}) {
        const auto run = RunProgram(kProgram, {"--format", format, "--endpoint",
                                               service_->Endpoint(), picture});
        ASSERT_EQ(run.status, 0) << run.err;
        std::vector<long> lefts;
        const std::string left = format == std::string("alto") ? "HPOS=\"" : "x_bboxes ";
        for (auto at = run.out.find(mark); at != std::string::npos; at = run.out.find(mark, at + 1))
            lefts.push_back(std::stol(run.out.substr(run.out.find(left, at) + left.size())));
        EXPECT_EQ(lefts.size(), 17u) << run.out;
        EXPECT_TRUE(std::is_sorted(lefts.begin(), lefts.end())) << run.out;
    }
}

}  // namespace

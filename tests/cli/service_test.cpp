// quillory-ocr against a real ocrgated: rendered pictures in, recognised lines out.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "run_program.h"
#include "service_process.h"

namespace {

using testing_support::RenderText;
using testing_support::RunProgram;

const std::string kProgram = QUILLORY_OCR_BINARY;

class AgainstOcrgated : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        service_ = new testing_support::ServiceProcess(OCRGATED_BINARY, 2);
        dir_ = new std::filesystem::path(std::filesystem::temp_directory_path() /
                                         ("quillory-ocr-service-" + std::to_string(::getpid())));
        std::filesystem::create_directories(*dir_);
    }
    static void TearDownTestSuite() {
        delete service_;
        std::filesystem::remove_all(*dir_);
        delete dir_;
    }
    void SetUp() override { ASSERT_TRUE(service_->Started()) << service_->Output(); }

    static std::string Picture(const std::string& name, const std::vector<std::string>& lines) {
        const std::string path = (*dir_ / name).string();
        if (!RenderText(path, lines))
            ADD_FAILURE() << "cannot render " << path;
        return path;
    }

    static testing_support::ServiceProcess* service_;
    static std::filesystem::path* dir_;
};

testing_support::ServiceProcess* AgainstOcrgated::service_ = nullptr;
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
    const std::vector<std::string> words = {"ALPHA", "BRAVO", "CHARLIE",
                                            "DELTA", "ECHO",  "FOXTROT"};
    std::vector<std::string> args = {"--jobs", "4", "--endpoint", service_->Endpoint()};
    std::string expected;
    for (std::size_t i = 0; i < words.size(); ++i) {
        // Pictures of different sizes take different times, so answers come out of order.
        std::vector<std::string> lines(1 + (i % 3) * 2, words[i]);
        args.push_back(Picture(words[i] + ".png", lines));
        expected += (i ? "\n==> " : "==> ") + args.back() + " <==\n";
        for (const auto& l : lines)
            expected += l + "\n";
    }
    const auto run = RunProgram(kProgram, args);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, expected);
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

}  // namespace

#include "engine_fixture.h"
#include "rendered_pictures.h"

#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>

namespace ocrgated::ppocr {
namespace {

namespace fs = std::filesystem;
using quillory::testing::RenderPng;

std::vector<std::uint8_t> Png(const cv::Mat& picture) {
    std::vector<std::uint8_t> png;
    cv::imencode(".png", picture, png);
    return png;
}

TEST(PpOcrRecognizer, AnswersOddPicturesWithoutCrashing) {
    QUILLORY_REQUIRE_PPOCR(engine);
    cv::Mat noise(400, 600, CV_8UC3);
    cv::randu(noise, cv::Scalar::all(0), cv::Scalar::all(256));
    const struct {
        const char* name;
        std::vector<std::uint8_t> png;
    } cases[] = {
        {"1 x 1", Png(cv::Mat(1, 1, CV_8UC3, cv::Scalar::all(255)))},
        {"20000 x 20 strip", Png(cv::Mat(20, 20000, CV_8UC3, cv::Scalar::all(255)))},
        {"20 x 20000 strip", Png(cv::Mat(20000, 20, CV_8UC3, cv::Scalar::all(0)))},
        {"noise", Png(noise)},
        {"blank", Png(cv::Mat(300, 400, CV_8UC3, cv::Scalar(240, 240, 240)))},
        {"grey, 16-bit", Png(cv::Mat(50, 50, CV_16U, cv::Scalar::all(40000)))},
        {"transparent", Png(cv::Mat(50, 50, CV_8UC4, cv::Scalar::all(0)))},
    };
    for (const auto& c : cases) {
        std::vector<RecognizedLine> lines;
        ASSERT_NO_THROW(lines = engine->Recognize(c.png)) << c.name;
        if (std::string(c.name) != "noise") {
            EXPECT_TRUE(lines.empty()) << c.name << ": " << lines.front().words;
        }
    }
}

TEST(PpOcrRecognizer, RejectsWhatIsNotAPicture) {
    QUILLORY_REQUIRE_PPOCR(engine);
    auto png = Png(cv::Mat(64, 64, CV_8UC3, cv::Scalar::all(0)));
    const std::vector<std::uint8_t> cases[] = {
        {},
        {'h', 'e', 'l', 'l', 'o'},
        std::vector<std::uint8_t>(png.begin(), png.begin() + 40),  // cut inside the header
    };
    for (const auto& bytes : cases)
        EXPECT_THROW(engine->Recognize(bytes), BadPicture) << bytes.size();
    EXPECT_THROW(engine->Recognize(cv::Mat()), BadPicture);
}

TEST(PpOcrRecognizer, RefusesPicturesBeyondTheLimit) {
    QUILLORY_REQUIRE_PPOCR(engine);
    // A PNG whose header claims 20000 x 20000: refused before any pixel is
    // decoded (the body is a 64 x 64 picture's).
    auto png = Png(cv::Mat(64, 64, CV_8UC3, cv::Scalar::all(255)));
    for (int at : {16, 20}) {
        png[static_cast<std::size_t>(at)] = 0;
        png[static_cast<std::size_t>(at) + 1] = 0;
        png[static_cast<std::size_t>(at) + 2] = 0x4E;
        png[static_cast<std::size_t>(at) + 3] = 0x20;
    }
    EXPECT_THROW(engine->Recognize(png), PictureTooLarge);
    const cv::Mat huge(5001, 10000, CV_8UC3, cv::Scalar::all(255));
    EXPECT_THROW(engine->Recognize(huge), PictureTooLarge);
}

TEST(PpOcrRecognizer, ReadsLinesInOrderWithTheirPlaceAndConfidence) {
    QUILLORY_REQUIRE_PPOCR(engine);
    const auto png =
        RenderPng({"-size", "900x260", "xc:white", "-font",
                   "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc", "-pointsize", "40",
                   "-fill", "black", "-annotate", "+500+70", "右侧标签", "-annotate", "+20+70",
                   "左侧标题", "-annotate", "+20+200", "Quick brown fox jumps"});
    const auto lines = engine->Recognize(png);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].words, "左侧标题");
    EXPECT_EQ(lines[1].words, "右侧标签");
    EXPECT_EQ(lines[2].words, "Quick brown fox jumps");  // spaces between Latin words kept
    EXPECT_NEAR(lines[0].left, 20, 8);
    EXPECT_NEAR(lines[1].left, 500, 8);
    EXPECT_GT(lines[2].top, lines[0].top + lines[0].height);
    for (const auto& line : lines) {
        EXPECT_NEAR(line.height, 45, 15) << line.words;
        EXPECT_GT(line.average, 0.8) << line.words;
        EXPECT_LE(line.min, line.average) << line.words;
        EXPECT_LE(line.average, 1.0) << line.words;
        EXPECT_GE(line.variance, 0.0) << line.words;
    }
}

TEST(PpOcrRecognizer, ReadsUpsideDownText) {
    QUILLORY_REQUIRE_PPOCR(engine);
    const auto png =
        RenderPng({"-size", "600x100", "xc:white", "-font",
                   "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc", "-pointsize", "40",
                   "-fill", "black", "-annotate", "+20+65", "订单已发货", "-rotate", "180"});
    const auto lines = engine->Recognize(png);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].words, "订单已发货");
}

class PpOcrModelFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string why;
        if (!quillory::testing::SharedEngine(why))
            GTEST_SKIP() << why;
        dir_ = fs::temp_directory_path() / ("quillory-models-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::copy(DefaultModelDirectory(), dir_);
    }
    void TearDown() override {
        if (!dir_.empty())
            fs::remove_all(dir_);
    }
    fs::path dir_;
};

TEST_F(PpOcrModelFiles, MissingOrDamagedFilesMakeTheEngineUnavailable) {
    EXPECT_NO_THROW(LoadPpOcrModels(dir_.string()));
    EXPECT_THROW(LoadPpOcrModels((dir_ / "absent").string()), ModelsUnavailable);

    const struct {
        const char* name;
        std::function<void()> damage;
    } cases[] = {
        {"detection missing", [&] { fs::remove(dir_ / "det.onnx"); }},
        {"recognition truncated", [&] { fs::resize_file(dir_ / "rec.onnx", 1000); }},
        {"classifier garbage", [&] { std::ofstream(dir_ / "cls.onnx") << "not a model"; }},
        {"dictionary short", [&] { std::ofstream(dir_ / "keys.txt") << "a\nb\n"; }},
        {"manifest missing", [&] { fs::remove(dir_ / "manifest"); }},
        {"recognition missing", [&] { fs::remove(dir_ / "rec.onnx"); }},
    };
    for (const auto& c : cases) {
        fs::remove_all(dir_);
        fs::copy(DefaultModelDirectory(), dir_);
        c.damage();
        EXPECT_THROW(LoadPpOcrModels(dir_.string()), ModelsUnavailable) << c.name;
    }
}

}  // namespace
}  // namespace ocrgated::ppocr

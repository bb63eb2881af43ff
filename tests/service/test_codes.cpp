// QR codes and barcodes: each kind found upright and turned, with its text and place; the
// REST code endpoint in the API's shape; the SOAP reply listing a page's codes.

#include <ZXing/BitMatrix.h>
#include <ZXing/MultiFormatWriter.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include "fake_engine.h"
#include "rest_form_text.h"
#include "service/codes/code_finder.h"
#include "service/common/picture_errors.h"
#include "support/running_service.h"

namespace ocrgated::testing {
namespace {

using testing_support::PostSoap;
using testing_support::SoapRequest;
using testing_support::RunningService;

struct Drawn {
    ZXing::BarcodeFormat format;
    std::string text;
    int width, height;  // of the code as drawn
};

// A white page with a line of text and the code at (left, top), turned a quarter when asked;
// a code of width 0 is none.
std::string Page(const Drawn& code, int left, int top, bool turned, cv::Rect* where = nullptr) {
    cv::Mat page(700, 900, CV_8UC1, cv::Scalar(255));
    cv::putText(page, "Invoice 2026-0042, paid", {40, 60}, cv::FONT_HERSHEY_SIMPLEX, 1.2,
                cv::Scalar(0), 2);
    if (code.width == 0) {  // no code at all
        std::vector<std::uint8_t> png;
        cv::imencode(".png", page, png);
        return {png.begin(), png.end()};
    }
    const ZXing::BitMatrix bits = ZXing::MultiFormatWriter(code.format)
                                      .setEncoding(ZXing::CharacterSet::UTF8)
                                      .setMargin(10)
                                      .encode(code.text, code.width, code.height);
    cv::Mat drawn(bits.height(), bits.width(), CV_8UC1);
    for (int y = 0; y < bits.height(); ++y)
        for (int x = 0; x < bits.width(); ++x)
            drawn.at<std::uint8_t>(y, x) = bits.get(x, y) ? 0 : 255;
    if (turned)
        cv::rotate(drawn, drawn, cv::ROTATE_90_CLOCKWISE);
    const cv::Rect place(left, top, drawn.cols, drawn.rows);
    drawn.copyTo(page(place));
    if (where)
        *where = place;
    std::vector<std::uint8_t> png;
    cv::imencode(".png", page, png);
    return {png.begin(), png.end()};
}

std::span<const std::uint8_t> Bytes(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

TEST(Codes, EachKindIsFoundUprightAndTurnedWithItsPlace) {
    using F = ZXing::BarcodeFormat;
    const struct {
        Drawn code;
        const char* type;
    } cases[] = {
        {{F::QRCode, "https://quillory.org/invoice?id=42&paid=1", 220, 220}, "QR_CODE"},
        {{F::QRCode, "发票号码 2026-0042\nAmount 318.00", 240, 240}, "QR_CODE"},
        {{F::DataMatrix, "LOT 7731-B", 200, 200}, "DATA_MATRIX"},
        {{F::PDF417, "Quillory PDF417 test", 360, 120}, "PDF_417"},
        {{F::Aztec, "Aztec 12345", 200, 200}, "AZTEC"},
        {{F::EAN13, "9780201379624", 300, 110}, "EAN_13"},
        {{F::UPCA, "036000291452", 300, 110}, "UPC_A"},
        {{F::Code128, "QUILLORY-2026-x", 380, 110}, "CODE_128"},
        {{F::Code39, "ABC-123", 360, 110}, "CODE_39"},
    };
    for (const auto& c : cases) {
        for (const bool turned : {false, true}) {
            const int left = 300, top = 200;
            cv::Rect drawn;
            const auto codes = FindCodes(Bytes(Page(c.code, left, top, turned, &drawn)));
            ASSERT_EQ(codes.size(), 1u) << c.type << (turned ? " turned" : "");
            EXPECT_EQ(codes[0].type, c.type);
            EXPECT_EQ(codes[0].text, c.code.text) << c.type;
            // The place lies on the code as drawn (a linear code's is a line across it).
            const cv::Rect found(codes[0].left, codes[0].top, codes[0].width, codes[0].height);
            EXPECT_EQ((drawn & found).area(), found.area())
                << c.type << (turned ? " turned: " : ": ") << found;
            EXPECT_GT(std::max(found.width, found.height), std::max(drawn.width, drawn.height) / 2)
                << c.type;
        }
    }
    // A page of text alone holds none; bytes that are no picture are said to be none.
    cv::Mat text(400, 600, CV_8UC1, cv::Scalar(255));
    cv::putText(text, "No code on this page 1234567890", {20, 200}, cv::FONT_HERSHEY_SIMPLEX, 1,
                cv::Scalar(0), 2);
    std::vector<std::uint8_t> png;
    cv::imencode(".png", text, png);
    EXPECT_TRUE(FindCodes(png).empty());
    EXPECT_THROW(FindCodes(Bytes("lines:not a picture")), BadPicture);
}

// The code endpoint answers in the API's shape, its location on request; the SOAP reply of
// a page adds its codes after its lines.
TEST(Codes, BothFacesGiveThePagesCodes) {
    RunningService running(ServiceOptions{}, FakeFactory());
    const std::string qr = Page({ZXing::BarcodeFormat::QRCode, "第一行\r\nsecond line", 220, 220},
                                300, 200, false);
    const struct {
        const char* name;
        std::string form;
        nlohmann::json codes;  // codes_result; null for an error
        int error = 0;
    } cases[] = {
        {"a QR code", Image(qr),
         nlohmann::json::array({{{"type", "QR_CODE"}, {"text", {"第一行", "second line"}}}})},
        {"with its place", Image(qr) + "&location=true", nlohmann::json()},
        {"no code", Image(Page({ZXing::BarcodeFormat::QRCode, "x", 0, 0}, 0, 0, false)),
         nlohmann::json::array()},
        {"not a picture", Image("lines:a"), nlohmann::json(), 216201},
        {"a bad option", Image(qr) + "&location=maybe", nlohmann::json(), 216100},
    };
    for (const auto& c : cases) {
        auto result = running.Client().Post((kV1 + "qrcode").c_str(), c.form, kForm.c_str());
        ASSERT_TRUE(result) << c.name;
        const auto reply = nlohmann::json::parse(result->body);
        EXPECT_TRUE(reply.contains("log_id")) << c.name;
        if (c.error != 0) {
            EXPECT_EQ(reply.value("error_code", 0), c.error) << c.name << ": " << result->body;
            continue;
        }
        EXPECT_FALSE(reply.contains("words_result")) << c.name;
        EXPECT_EQ(reply.value("codes_result_num", -1), int(reply["codes_result"].size())) << c.name;
        if (!c.codes.is_null()) {
            EXPECT_EQ(reply["codes_result"], c.codes) << c.name;
            continue;
        }
        ASSERT_EQ(reply["codes_result"].size(), 1u) << result->body;
        const auto& location = reply["codes_result"][0]["location"];
        EXPECT_NEAR(location.value("left", 0), 310, 12) << location;
        EXPECT_NEAR(location.value("top", 0), 210, 12) << location;
        EXPECT_NEAR(location.value("width", 0), 200, 24) << location;
    }

    const auto soap = PostSoap(running, SoapRequest("imgbase64totext", "img", Base64(qr)));
    EXPECT_EQ(soap.status, 200) << soap.body;
    const auto reply = nlohmann::json::parse(ResultOf(soap.body, "imgbase64totext"));
    EXPECT_EQ(reply.value("codes_result_num", 0), 1);
    EXPECT_EQ(reply["codes_result"][0]["text"][1], "second line");
    EXPECT_TRUE(reply["codes_result"][0].contains("location"));
    // A reply without codes stays as it was.
    const auto plain = PostSoap(running, SoapRequest("imgbase64totext", "img", Base64("lines:a")));
    EXPECT_EQ(ResultOf(plain.body, "imgbase64totext").find("codes_result"), std::string::npos);
}

}  // namespace
}  // namespace ocrgated::testing

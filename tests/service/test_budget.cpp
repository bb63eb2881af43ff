// What one recognition may cost, against a real ocrgated: a time limit, a working-memory
// estimate checked before decoding, pictures far larger than the engine reads decoded
// reduced, and the decoders' messages logged under the request they came from.

#include <gtest/gtest.h>

#include <regex>

#include "service/pictures/picture_decoder.h"
#include "soap_text.h"
#include "support/render.h"
#include "support/running_service.h"
#include "support/service_process.h"

namespace ocrgated::testing {

using namespace testing_support;
namespace {

// The PNG with a text chunk whose checksum is wrong: libpng warns and reads on.
std::vector<std::uint8_t> WithDamagedTextChunk(std::vector<std::uint8_t> png) {
    const std::uint8_t chunk[] = {0, 0, 0, 4, 't', 'E', 'X', 't', 'a', 0, 'b', 'c', 0, 0, 0, 0};
    png.insert(png.begin() + 33, std::begin(chunk), std::end(chunk));  // after the header chunk
    return png;
}

int Field(const std::string& reply, const std::string& name) {
    std::smatch match;
    const bool found = std::regex_search(reply, match, std::regex("\"" + name + "\":(\\d+)"));
    return found ? std::stoi(match[1]) : -1;
}

TEST(Budget, CostlyPicturesAreRefusedOrReadReduced) {
    const Rendering page{
        1200, 900, kSansCjk, 40, {"第一行文字", "Second line", "第三行", "Fourth"}};
    const Rendering wide{6000, 1500, kSansCjk, 160, {"缩小读取 reduced 2880"}};
    Rendering wide_jpeg = wide;
    wide_jpeg.format = "jpg";
    struct Case {
        const char* name;
        std::vector<std::string> args;
        std::vector<std::uint8_t> picture;
        int status;
        std::string reply;     // in the reply's text
        double decoded_scale;  // as the PP-OCR engine decodes the picture
        std::string log = "";  // a pattern the service's log matches
    };
    const Case cases[] = {
        {"over the time limit",
         {"--max-seconds", "0.1"},
         Render(page),
         500,
         "Recognition stopped: it took longer than the limit of 0.1 s",
         1},
        {"over the memory estimate",
         {"--max-picture-memory", "8M"},
         Render({2000, 2000, kSansCjk, 40, {"太大"}}),
         500,
         "MiB of working memory; the service allows 8 MiB a picture",
         1},
        {"PNG read reduced by half", {}, Render(wide), 200, "reduced 2880", 0.5},
        {"JPEG scaled in its DCT", {}, Render(wide_jpeg), 200, "reduced 2880", 0.5},
        {"a decoder's warning under its request",
         {},
         WithDamagedTextChunk(Render(page)),
         200,
         "Second line",
         1,
         R"(ocrgated: 127\.0\.0\.1:\d+ imgbase64totext: libpng: tEXt: CRC error)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const DecodedPicture decoded = DecodePicture(c.picture, {3, 2880, 0});
        EXPECT_DOUBLE_EQ(decoded.scale, c.decoded_scale);

        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"--drain-delay", "0"});
        ServiceProcess daemon(OCRGATED_BINARY, EphemeralArgs(1, args));
        ASSERT_TRUE(daemon.WaitUntilHealthy()) << daemon.Output();
        httplib::Client client("127.0.0.1", daemon.Port());
        client.set_read_timeout(120, 0);
        const auto result =
            client.Post("/ocrgate/ocrgate.asmx",
                        SoapRequest("imgbase64totext", "img", Base64(c.picture)), "text/xml");
        ASSERT_TRUE(result);
        EXPECT_EQ(result->status, c.status) << result->body;
        const std::string reply = Unescape(result->body);
        EXPECT_NE(reply.find(c.reply), std::string::npos) << reply;
        if (c.decoded_scale < 1) {
            // The line's box is where it is in the picture sent, not in the reduced one.
            EXPECT_LT(Field(reply, "left"), 200) << reply;
            EXPECT_GT(Field(reply, "width"), 1200) << reply;
            EXPECT_GT(Field(reply, "top"), 500) << reply;
        }
        if (!c.log.empty()) {
            const std::regex pattern(c.log);
            EXPECT_TRUE(std::regex_search(daemon.ReadUntil(pattern), pattern)) << daemon.Output();
        }
    }
}

}  // namespace
}  // namespace ocrgated::testing

// The desktop's own SOAP client against the real service: every operation, a
// fault as the client raises it, and a real recognition end to end.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "fake_engine.h"
#include "service/engines/tesseract/tesseract_recognizer.h"
#include "soap/errors.h"
#include "soap/rio.h"
#include "base/utf.h"
#include "support/render.h"
#include "support/running_service.h"

namespace ocrgated::testing {

using namespace testing_support;
namespace {

std::string Endpoint(const RunningService& running) {
    return "http://127.0.0.1:" + std::to_string(running.port()) + "/ocrgate/ocrgate.asmx?WSDL";
}

std::vector<std::string> Words(const std::u16string& reply) {
    std::vector<std::string> words;
    const auto parsed = nlohmann::json::parse(quillory::Utf16ToUtf8(reply));
    for (const auto& line : parsed.at("words_result")) {
        words.push_back(line.at("words"));
    }
    return words;
}

// A fresh client per call, configured the way the window configures it.
std::unique_ptr<soap::THTTPRIO> Client(const RunningService& running) {
    auto rio = std::make_unique<soap::THTTPRIO>();
    rio->SetUseUTF8InHeader(true);
    rio->SetURL(Endpoint(running));
    return rio;
}

TEST(SoapClient, CallsEveryOperationOfTheService) {
    httplib::Server pictures;
    pictures.Get("/pic.png", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("lines:网页图片|web picture", "image/png");
    });
    const int port = pictures.bind_to_any_port("127.0.0.1");
    std::thread serving([&] { pictures.listen_after_bind(); });

    ServiceOptions options;
    options.fetch.allow_private = true;
    RunningService running(options, FakeFactory());
    EXPECT_EQ(Client(running)->HelloWorld(), u"Hello World");

    const std::string picture = "lines:第一行 & <二>|second line";
    const std::vector<std::uint8_t> bytes(picture.begin(), picture.end());
    EXPECT_EQ(Words(Client(running)->imgbase64totext(bytes)),
              (std::vector<std::string>{"第一行 & <二>", "second line"}));

    const std::u16string url =
        u"http://127.0.0.1:" + quillory::Utf8ToUtf16(std::to_string(port)) + u"/pic.png";
    EXPECT_EQ(Words(Client(running)->quillory(url)),
              (std::vector<std::string>{"网页图片", "web picture"}));

    pictures.stop();
    serving.join();
}

TEST(SoapClient, FaultsArriveAsRemotableExceptions) {
    RunningService running(ServiceOptions{}, FakeFactory());
    try {
        const std::string bad = "bad";
        Client(running)->imgbase64totext(std::vector<std::uint8_t>(bad.begin(), bad.end()));
        FAIL() << "no fault";
    } catch (const soap::ERemotableException& fault) {
        EXPECT_EQ(fault.FaultCode(), u"soap:Client");
        EXPECT_NE(std::string(fault.what()).find("Not a picture we can read"), std::string::npos)
            << fault.what();
    }
    EXPECT_THROW(Client(running)->quillory(u"http://127.0.0.1:9/a.png"), soap::ERemotableException);
}

TEST(SoapClient, RecognisesARenderedPictureEndToEnd) {
    ServiceOptions options;
    options.threads = 1;
    RunningService running(options,
                           [] { return std::make_unique<TesseractRecognizer>("chi_sim+eng"); });
    const auto picture = Render({900, 200, kSansCjk, 40, {"端到端识别测试", "End to end test"}});
    EXPECT_EQ(Words(Client(running)->imgbase64totext(picture)),
              (std::vector<std::string>{"端到端识别测试", "End to end test"}));
}

}  // namespace
}  // namespace ocrgated::testing

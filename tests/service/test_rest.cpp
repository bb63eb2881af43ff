// The REST endpoints over HTTP with a fake engine: one table of calls and the members or
// error codes each must answer, then the limits the SOAP endpoint shares.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <future>

#include "fake_engine.h"
#include "rest_form_text.h"
#include "service/engines/factory/language_pools.h"
#include "soap_text.h"
#include "support/render.h"
#include "support/running_service.h"
#include "support/service_process.h"

// Poppler, rendering a PDF page, loads fontconfig's configuration once and never frees it:
// one allocation per process, inside fontconfig, that the leak checker should not count.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

namespace ocrgated::testing {

using namespace testing_support;
namespace {

// A PDF of one page per text, in Helvetica.
std::string Pdf(const std::vector<std::string>& pages) {
    std::vector<std::string> objects{"<< /Type /Catalog /Pages 2 0 R >>", ""};
    std::string kids;
    for (const std::string& text : pages) {
        const int n = static_cast<int>(objects.size()) + 1;
        const std::string content = "BT /F1 36 Tf 40 300 Td (" + text + ") Tj ET";
        kids += std::to_string(n) + " 0 R ";
        objects.push_back("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 400] /Contents " +
                          std::to_string(n + 1) + " 0 R /Resources << /Font << /F1 " +
                          std::to_string(n + 2) + " 0 R >> >> >>");
        objects.push_back("<< /Length " + std::to_string(content.size()) + " >>\nstream\n" +
                          content + "\nendstream");
        objects.push_back("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
    }
    objects[1] =
        "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages.size()) + " >>";
    std::string pdf = "%PDF-1.4\n";
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(pdf.size());
        pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const std::size_t xref = pdf.size();
    pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (std::size_t offset : offsets) {
        char line[32];
        std::snprintf(line, sizeof line, "%010zu 00000 n \n", offset);
        pdf += line;
    }
    return pdf + "trailer\n<< /Size " + std::to_string(objects.size() + 1) +
           " /Root 1 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
}

struct Call {
    const char* name;
    std::string endpoint;
    std::string body;
    int error_code = 0;                // 0: a result is expected
    std::vector<std::string> words;    // the lines of a result
    std::vector<std::string> members;  // present in the reply (top level, or "line.x")
    std::vector<std::string> absent;   // not present
    std::string content_type = kForm;
};

void PrintTo(const Call& call, std::ostream* out) {
    *out << call.name;
}

bool Has(const nlohmann::json& reply, const std::string& member) {
    if (member.rfind("line.", 0) == 0)
        return !reply["words_result"].empty() &&
               reply["words_result"][0].contains(member.substr(5));
    return reply.contains(member);
}

class RestCalls : public ::testing::TestWithParam<Call> {};

TEST_P(RestCalls, AnswerTheApisMembersOrErrorCode) {
    const Call& call = GetParam();
    ServiceOptions options;
    options.threads = 1;
    RunningService running(options, FakeFactory());
    auto result =
        running.Client().Post((kV1 + call.endpoint).c_str(), call.body, call.content_type.c_str());
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 200);
    EXPECT_EQ(result->get_header_value("Content-Type"), "application/json;charset=utf-8");
    const auto reply = nlohmann::json::parse(result->body);
    ASSERT_TRUE(reply.contains("log_id")) << result->body;
    if (call.error_code != 0) {
        EXPECT_EQ(reply.value("error_code", 0), call.error_code) << result->body;
        EXPECT_FALSE(reply.value("error_msg", "").empty());
        return;
    }
    ASSERT_FALSE(reply.contains("error_code")) << result->body;
    std::vector<std::string> words;
    for (const auto& line : reply.at("words_result"))
        words.push_back(line.at("words"));
    EXPECT_EQ(words, call.words);
    EXPECT_EQ(reply.at("words_result_num"), words.size());
    for (const std::string& member : call.members)
        EXPECT_TRUE(Has(reply, member)) << member << " in " << result->body;
    for (const std::string& member : call.absent)
        EXPECT_FALSE(Has(reply, member)) << member << " in " << result->body;
}

const std::vector<std::string> kAB{"a", "b"};

INSTANTIATE_TEST_SUITE_P(
    Table, RestCalls,
    ::testing::Values(
        Call{"BasicHasWordsOnly",
             "general_basic",
             Image("lines:a|b"),
             0,
             kAB,
             {},
             {"line.location", "line.probability", "direction", "language", "paragraphs_result"}},
        Call{"AccurateBasicToo", "accurate_basic", Image("lines:a|b"), 0, kAB},
        Call{"WithLocation",
             "general",
             Image("lines:a|b"),
             0,
             kAB,
             {"line.location"},
             {"line.vertexes_location", "line.chars", "line.probability"}},
        Call{"EveryOption",
             "accurate",
             Image("lines:a|b") + "&probability=true&vertexes_location=true&detect_direction=true"
                                  "&paragraph=true&detect_language=true",
             0,
             kAB,
             {"line.location", "line.probability", "line.vertexes_location", "direction",
              "paragraphs_result", "paragraphs_result_num", "language"}},
        Call{"FalseAsksForNothing",
             "general",
             Image("lines:a|b") + "&probability=false&vertexes_location=false",
             0,
             kAB,
             {},
             {"line.probability", "line.vertexes_location"}},
        Call{"BasicIgnoresPlacing",
             "general_basic",
             Image("lines:a|b") + "&vertexes_location=true",
             0,
             kAB,
             {},
             {"line.vertexes_location", "line.location"}},
        Call{"JsonBody",
             "general",
             R"({"image":")" + Base64("lines:a|b") + R"(","probability":true})",
             0,
             kAB,
             {"line.probability"},
             {},
             "application/json"},
        // "lines:~~~" encodes with a '+', which a careless client leaves as it is.
        Call{"PlusLeftUnencoded", "general_basic", "image=" + Base64("lines:~~~"), 0, {"~~~"}},
        Call{"ImageBeforeUrl", "general_basic",
             Image("lines:a|b") + "&url=http%3A%2F%2F127.0.0.1%2F", 0, kAB},
        Call{"NoPicture", "general_basic", "probability=true", 216101},
        Call{"EmptyImage", "general_basic", "image=", 216200},
        Call{"NotBase64", "general_basic", "image=%21%21%21", 216201},
        Call{"NotAPicture", "general_basic", Image("bad"), 216201},
        Call{"PictureTooLarge", "general", Image("large"), 216202},
        Call{"EngineFails", "general", Image("fail"), 282000},
        Call{"UnknownLanguage", "general_basic", Image("lines:a") + "&language_type=XYZ", 216100},
        // Read by Tesseract, which cannot read the fake engine's pictures.
        Call{"OtherLanguagesAreTesseracts", "general_basic",
             Image("lines:a") + "&language_type=KOR", 216201},
        Call{"BadFlag", "general_basic", Image("lines:a") + "&probability=maybe", 216100},
        Call{"CharactersAskedFor",
             "accurate",
             Image("lines:a") + "&recognize_granularity=small",
             0,
             {"a"},
             {"line.chars"}},
        Call{"CharactersNeedLocations",
             "accurate_basic",
             Image("lines:a") + "&recognize_granularity=small",
             0,
             {"a"},
             {},
             {"line.chars"}},
        Call{"BadGranularity", "general", Image("lines:a") + "&recognize_granularity=tiny", 216100},
        Call{"UnknownEndpoint", "webimage", Image("lines:a"), 3},
        Call{"LoopbackUrlRefused", "general_basic", "url=http%3A%2F%2F127.0.0.1%3A1%2Fa.png",
             282111},
        Call{"UrlTooLong", "general_basic",
             "url=http%3A%2F%2Fexample.org%2F" + std::string(1100, 'a'), 282114},
        Call{"NotAPdf", "general_basic", "pdf_file=" + Encoded(Base64("%PDF-no")), 216201},
        Call{"PdfPageOutOfRange", "general_basic",
             "pdf_file=" + Encoded(Base64(Pdf({"one"}))) + "&pdf_file_num=2", 216100},
        Call{"PdfPageRead",
             "general_basic",
             "pdf_file=" + Encoded(Base64(Pdf({"one", "two"}))) + "&pdf_file_num=2",
             0,
             {}},
        Call{"MalformedJson", "general", "{\"image\":", 216100, {}, {}, {}, "application/json"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Rest, AGetIsNotAMethodOfTheApi) {
    RunningService running(ServiceOptions{}, FakeFactory());
    auto result = running.Client().Get((kV1 + "general_basic").c_str());
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 200);
    EXPECT_EQ(nlohmann::json::parse(result->body).value("error_code", 0), 3);
}

TEST(Rest, ABodyOverTheLimitIsAnImageSizeError) {
    ServiceOptions options;
    options.max_body = 4096;
    RunningService running(options, FakeFactory());
    auto result = running.Client().Post((kV1 + "general").c_str(), Image(std::string(8000, 'x')),
                                        kForm.c_str());
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 200);
    EXPECT_EQ(nlohmann::json::parse(result->body).value("error_code", 0), 216202) << result->body;
}

TEST(Rest, EveryFailureAnswersInTheApisShapeAndNamesItsCause) {
    ServiceOptions options;
    options.fetch.allow_private = true;  // the service itself stands in for a web server
    RunningService running(options, FakeFactory());
    const std::string self = "http://127.0.0.1:" + std::to_string(running.port());
    const std::string tiny = Base64(Render({5, 5, kSansCjk, 4, {}}));
    const struct {
        const char* name;
        std::string target, form;
        int code;
        std::string says;
    } cases[] = {
        {"a picture under 15 pixels", kV1 + "general_basic", "image=" + Encoded(tiny), 216202,
         "5 x 5"},
        {"a token too long for the request line",
         kV1 + "general_basic?access_token=" + std::string(1 << 20, 'a'), Image("lines:a"),
         216103, "longer than"},
        {"an address the web server has not", kV1 + "general_basic",
         "url=" + Encoded(self + "/nothing-here.png"), 282112, "HTTP status 404"},
        {"an address nothing listens at", kV1 + "general_basic",
         "url=" + Encoded(testing_support::DeadEndpoint()), 282112, "failed: Failed to connect"},
    };
    for (const auto& c : cases) {
        auto result = running.Client().Post(c.target.c_str(), c.form, kForm.c_str());
        ASSERT_TRUE(result) << c.name;
        EXPECT_EQ(result->status, 200) << c.name;
        EXPECT_EQ(result->get_header_value("Content-Type").find("application/json"), 0u) << c.name;
        const auto reply = nlohmann::json::parse(result->body);
        EXPECT_EQ(reply.value("error_code", 0), c.code) << c.name << ": " << result->body;
        EXPECT_NE(reply.value("error_msg", "").find(c.says), std::string::npos) << result->body;
    }
}

TEST(Rest, AFullQueueIsTheQpsLimitAndCounted) {
    ServiceOptions options;
    options.threads = 1;
    options.queue_capacity = 1;
    auto gate = std::make_shared<Gate>();
    RunningService running(options, FakeFactory(gate));
    const auto post = [&] {
        return running.Client().Post((kV1 + "general_basic").c_str(), Image("gate:lines:held"),
                                     kForm.c_str());
    };
    auto first = std::async(std::launch::async, post);
    ASSERT_TRUE(gate->WaitForArrivals(1));
    auto second = std::async(std::launch::async, post);
    for (int i = 0; i < 500 && running.service().pool().waiting() < 1; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const auto busy = post();
    ASSERT_TRUE(busy);
    EXPECT_EQ(nlohmann::json::parse(busy->body).value("error_code", 0), 18) << busy->body;
    EXPECT_EQ(busy->get_header_value("Retry-After"), "1");
    gate->Open();
    EXPECT_EQ(first.get()->status, 200);
    EXPECT_EQ(second.get()->status, 200);
    const std::string metrics = running.Client().Get("/metrics")->body;
    EXPECT_NE(metrics.find(R"(operation="rest_general_basic",outcome="busy")"), std::string::npos);
    EXPECT_NE(metrics.find(R"(operation="rest_general_basic",outcome="ok")"), std::string::npos);
}

// Languages the service's engine does not read go to Tesseract's language data, which
// install-deps installs; a language whose data is missing cannot start.
TEST(Rest, ReadsTheApisOtherLanguages) {
    const std::vector<std::pair<std::string, std::string>> pages{
        {"FRE", "Ça coûte très cher"}, {"GER", "Größe und Übung"}, {"SPA", "Mañana será"},
        {"RUS", "Привет мир"},         {"JAP", "こんにちは世界"},  {"KOR", "서울 특별시 지도"},
        {"CHN_TRA", "繁體中文測試"},
    };
    RunningService running(ServiceOptions{}, FakeFactory());
    for (const auto& [language, text] : pages) {
        Rendering picture;
        picture.lines = {text};
        picture.height = 150;
        const auto bytes = Render(picture);
        const auto result = running.Client().Post(
            (kV1 + "general_basic").c_str(),
            "language_type=" + language +
                "&image=" + Encoded(Base64(std::string(bytes.begin(), bytes.end()))),
            kForm.c_str());
        ASSERT_TRUE(result);
        const auto reply = nlohmann::json::parse(result->body);
        std::string words;
        for (const auto& line : reply.value("words_result", nlohmann::json::array()))
            words += line.at("words").get<std::string>();
        std::erase(words, ' ');
        std::string expected = text;
        std::erase(expected, ' ');
        EXPECT_EQ(words, expected) << language << ": " << result->body;
    }
    EXPECT_THROW(LanguagePools(1, {}).For("no_such_language"), LanguageUnavailable);
}

}  // namespace
}  // namespace ocrgated::testing

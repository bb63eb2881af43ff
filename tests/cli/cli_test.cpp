// quillory-ocr against loopback servers that answer with exact bytes.

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>
#include <thread>

#include "loopback_server.h"
#include "run_program.h"

namespace {

using testing_support::HttpReply;
using testing_support::LoopbackServer;
using testing_support::RunProgram;

const std::string kProgram = QUILLORY_OCR_BINARY;

std::string Envelope(const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?><soap:Envelope "
           "xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Body>" +
           body + "</soap:Body></soap:Envelope>";
}

std::string Answer(const std::string& json) {
    return HttpReply("200 OK", "text/xml; charset=utf-8",
                     Envelope("<imgbase64totextResponse xmlns=\"http://quillory.org/ocrgate/\">"
                              "<imgbase64totextResult>" +
                              json + "</imgbase64totextResult></imgbase64totextResponse>"));
}

const std::string kTwoLines =
    "{\"log_id\":1,\"words_result_num\":2,\"words_result\":[{\"words\":\"\xe4\xbd\xa0\xe5\xa5\xbd "
    "Quillory\"},{\"words\":\"line &amp; two\"}]}";

// A picture file in a fresh temporary folder.
class Pictures {
  public:
    Pictures()
        : dir_(std::filesystem::temp_directory_path() /
               (std::string("quillory-ocr-test-") + std::to_string(::getpid()))) {
        std::filesystem::create_directories(dir_);
    }
    ~Pictures() { std::filesystem::remove_all(dir_); }
    std::string Add(const std::string& name, const std::string& bytes) {
        const auto path = dir_ / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }

  private:
    std::filesystem::path dir_;
};

TEST(QuilloryOcr, PrintsTheLinesOfOnePicture) {
    LoopbackServer server({Answer(kTwoLines)});
    Pictures pictures;
    const std::string picture = pictures.Add("a.png", "abc");
    const auto run = RunProgram(kProgram, {"--endpoint", server.Url(), picture});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "\xe4\xbd\xa0\xe5\xa5\xbd Quillory\nline & two\n");
    EXPECT_EQ(run.err, "");
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_NE(server.Requests()[0].find("<img>YWJj</img>"),
              std::string::npos);  // bytes as they are
}

TEST(QuilloryOcr, HeadsBlocksAndKeepsGoingAfterFailures) {
    LoopbackServer server({Answer("{\"words_result\":[{\"words\":\"one\"}]}")});
    Pictures pictures;
    const std::string a = pictures.Add("a.jpg", "x");
    const std::string missing = a + ".missing";
    const auto run = RunProgram(
        kProgram, {"--endpoint", server.Url(), a, missing, "-", "https://example.org/p.png"},
        "stdin bytes");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "==> " + a +
                           " <==\none\n\n==> standard input <==\none\n\n==> "
                           "https://example.org/p.png <==\none\n");
    EXPECT_EQ(run.err, "quillory-ocr: " + missing + ": Cannot open file \"" + missing +
                           "\". No such file or directory\n");
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_NE(requests[1].find("<img>c3RkaW4gYnl0ZXM=</img>"), std::string::npos);
    EXPECT_NE(requests[2].find("<url>https://example.org/p.png</url>"), std::string::npos);
    EXPECT_NE(requests[2].find("SOAPAction: \"http://quillory.org/ocrgate/quillory\""),
              std::string::npos);
}

TEST(QuilloryOcr, JsonPrintsEachReplyAsReceived) {
    LoopbackServer server({Answer(kTwoLines), Answer("{\"words_result\":\n[]}")});
    Pictures pictures;
    const auto run = RunProgram(kProgram, {"--json", "--endpoint", server.Url(),
                                           pictures.Add("a", "1"), pictures.Add("b", "2")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(
        run.out,
        "{\"log_id\":1,\"words_result_num\":2,\"words_result\":[{\"words\":\"\xe4\xbd\xa0\xe5\xa5"
        "\xbd Quillory\"},{\"words\":\"line & two\"}]}\n{\"words_result\": []}\n");
}

TEST(QuilloryOcr, ErrorsCarryTheirOwnMessages) {
    const struct {
        std::string reply;
        std::string message;  // "%u" stands for the endpoint
    } cases[] = {
        {HttpReply(
             "500 Internal Server Error", "text/xml",
             Envelope("<soap:Fault><faultcode>soap:Server</faultcode><faultstring>The picture "
                      "cannot be decoded</faultstring></soap:Fault>")),
         "The picture cannot be decoded"},
        {HttpReply("404 Not Found", "text/html", "<p>no</p>"), "Not Found (404) - '%u'"},
        {HttpReply("200 OK", "text/plain", "garbage"),
         "Received content of invalid Content-Type setting: text/plain - SOAP expects "
         "\"text/xml\""},
        {Answer("{\"words_result\":[{\"words\":\"cut short"), "The service's reply cannot be read"},
    };
    Pictures pictures;
    const std::string picture = pictures.Add("p.bmp", "BM");
    for (const auto& c : cases) {
        LoopbackServer server({c.reply});
        const auto run = RunProgram(kProgram, {"--endpoint", server.Url(), picture});
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.out, "");
        std::string message = c.message;
        if (auto at = message.find("%u"); at != std::string::npos)
            message.replace(at, 2, server.Url());
        EXPECT_EQ(run.err, "quillory-ocr: " + picture + ": " + message + "\n");
    }
    // Garbage that is not XML at all.
    LoopbackServer garbage({HttpReply("200 OK", "text/xml", "\x01\x02garbage")});
    const auto run = RunProgram(kProgram, {"--endpoint", garbage.Url(), picture});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(std::regex_search(run.err, std::regex("\r\nLine: 1\r\n"))) << run.err;
}

TEST(QuilloryOcr, JobsRunAtOnceAndKeepTheOrder) {
    // Each answer names the picture it got and comes later the earlier the picture is, so
    // completion order is the reverse of the argument order.
    std::atomic<int> inFlight{0}, most{0};
    LoopbackServer server(
        [&](const std::string& request) {
            const int now = ++inFlight;
            for (int seen = most; now > seen && !most.compare_exchange_weak(seen, now);) {
            }
            const std::size_t at = request.find("<img>") + 5;
            const std::string b64 = request.substr(at, request.find("</img>") - at);
            const int index = b64 == "MA==" ? 0 : b64 == "MQ==" ? 1 : b64 == "Mg==" ? 2 : 3;
            std::this_thread::sleep_for(std::chrono::milliseconds(300 - 80 * index));
            --inFlight;
            return Answer(std::string("{\"words_result\":[{\"words\":\"picture ") +
                          std::to_string(index) + "\"}]}");
        },
        testing_support::ServerOptions{});
    Pictures pictures;
    std::vector<std::string> args = {"--jobs=4", "--endpoint", server.Url()};  // either spelling
    for (int i = 0; i < 4; ++i)
        args.push_back(pictures.Add(std::to_string(i), std::to_string(i)));
    const auto run = RunProgram(kProgram, args);
    EXPECT_EQ(run.status, 0) << run.err;
    std::string expected;
    for (int i = 0; i < 4; ++i) {
        expected += (i ? "\n==> " : "==> ") + args[3 + i] + std::string(" <==\npicture ") +
                    std::to_string(i) + "\n";
    }
    EXPECT_EQ(run.out, expected);
    EXPECT_GE(most.load(), 2);
    EXPECT_EQ(server.Connections(), 4);  // a client of its own for each picture
}

TEST(QuilloryOcr, UsageErrors) {
    const struct {
        std::vector<std::string> args;
        std::string first;
    } cases[] = {
        {{}, "quillory-ocr: no picture given\n"},
        {{"--jobs", "0", "a"}, "quillory-ocr: --jobs: Value 0 not in range 1 to 64\n"},
        {{"--jobs"}, "quillory-ocr: --jobs: 1 required N missing\n"},
        {{"--frobnicate", "a"},
         "quillory-ocr: The following argument was not expected: --frobnicate\n"},
        {{"--format", "xml", "a"},
         "quillory-ocr: --format: xml not in {text,md,jsonl,tsv,pdf,html,csv,xlsx,hocr,alto}\n"},
        {{"--format", "xlsx", "a.png"},
         "quillory-ocr: --format xlsx writes files: it needs --output DIR\n"},
        {{"--pages", "3-1", "a.pdf"},
         "quillory-ocr: --pages needs page numbers and ranges such as 1-3,7 , not \"3-1\"\n"},
        {{"--format", "pdf", "a.pdf"},
         "quillory-ocr: --format pdf writes files: it needs --output DIR\n"},
        {{"--output", "o", "-"},
         "quillory-ocr: --output writes files for files and folders, not for -\n"},
        {{"--endpoint", "ftp://h/x", "a"},
         "quillory-ocr: Invalid url 'ftp://h/x' - only supports 'http' and 'https' schemes\n"},
    };
    for (const auto& c : cases) {
        const auto run = RunProgram(kProgram, c.args);
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(run.err.starts_with(c.first)) << run.err;
        EXPECT_NE(run.err.find("Usage: quillory-ocr"), std::string::npos);
    }
    const auto help = RunProgram(kProgram, {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.starts_with("Usage: quillory-ocr [OPTIONS] [PICTURE...]"));
    const auto version = RunProgram(kProgram, {"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(version.out.starts_with("quillory-ocr "));
    // After "--" everything is a picture, even what looks like an option.
    LoopbackServer server({Answer("{}")});
    const auto dashed = RunProgram(kProgram, {"--endpoint", server.Url(), "--", "--json"});
    EXPECT_EQ(dashed.status, 1);
    EXPECT_TRUE(dashed.err.starts_with("quillory-ocr: --json: Cannot open file")) << dashed.err;
}

}  // namespace

TEST(QuilloryOcr, MarkdownWritesParagraphs) {
    const struct {
        const char* name;
        std::string words, paragraphs, expected;
    } cases[] = {
        {"joined as read",
         R"({"words":"第一段的"},{"words":"第二行"},{"words":"A word split by a hy-"},)"
         R"({"words":"phen, and a range 1990-"},{"words":"2000"})",
         R"([{"words_result_idx":[0,1]},{"words_result_idx":[2,3,4]}])",
         "第一段的第二行\n\nA word split by a hyphen, and a range 1990-2000\n"},
        {"each line without paragraphs", R"({"words":"one"},{"words":"two"})", "", "one\n\ntwo\n"},
        {"markup escaped", R"({"words":"# not a heading"},{"words":"12. not a list"})",
         R"([{"words_result_idx":[0]},{"words_result_idx":[1,7]}])",
         "\\# not a heading\n\n12\\. not a list\n"},
    };
    Pictures pictures;
    const std::string picture = pictures.Add("a.png", "abc");
    for (const auto& c : cases) {
        const std::string json =
            "{\"log_id\":1,\"words_result\":[" + c.words + "]" +
            (c.paragraphs.empty() ? "" : ",\"paragraphs_result\":" + c.paragraphs) + "}";
        LoopbackServer server({Answer(json)});
        const auto run =
            RunProgram(kProgram, {"--format", "md", "--endpoint", server.Url(), picture});
        EXPECT_EQ(run.status, 0) << c.name << ": " << run.err;
        EXPECT_EQ(run.out, c.expected) << c.name;
    }
}

// --convert turns the text of every format, a table's cells included, and nothing else.
TEST(QuilloryOcr, ConvertTurnsTheTextOfEveryFormat) {
    const std::string json =
        R"({"log_id":1,"words_result":[{"words":"头发后来 OCR"},{"words":"软件"}],)"
        R"("tables_result":[{"body":[{"row_start":0,"row_end":1,"col_start":0,"col_end":1,)"
        R"("words":"里面"}]}]})";
    const struct {
        std::vector<std::string> args;
        std::string out;
    } cases[] = {
        {{"--convert", "s2t"}, "頭髮後來 OCR\n軟件\n"},
        {{"--convert", "s2tw", "--format", "csv"}, "裡面\r\n"},
        {{"--convert", "s2hk", "--format", "jsonl"},
         R"({"log_id":1,"words_result":[{"words":"頭髮後來 OCR"},{"words":"軟件"}],)"
         R"("tables_result":[{"body":[{"row_start":0,"row_end":1,"col_start":0,"col_end":1,)"
         R"("words":"裏面"}]}]})"
         "\n"},
    };
    Pictures pictures;
    const std::string picture = pictures.Add("a.png", "abc");
    for (const auto& c : cases) {
        LoopbackServer server({Answer(json)});
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"--endpoint", server.Url(), picture});
        const auto run = RunProgram(kProgram, args);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, c.out) << c.args[1];
    }
    const auto unknown = RunProgram(kProgram, {"--convert", "s2x", picture});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_TRUE(unknown.err.starts_with("quillory-ocr: --convert: s2x not in {s2t,t2s,s2tw,"))
        << unknown.err;
}

// hOCR and ALTO on standard output: one document over every picture, a page for each.
TEST(QuilloryOcr, ArchiveFormatsHoldEveryPictureInOneDocument) {
    const std::string json =
        R"({"words_result":[{"words":"Page one","location":{"left":4,"top":5,"width":80,)"
        R"("height":20},"probability":{"average":0.9}}]})";
    Pictures pictures;
    const std::string a = pictures.Add("a.png", "1"), b = pictures.Add("b.png", "2");
    for (const std::string format : {"hocr", "alto"}) {
        LoopbackServer server({Answer(json), Answer(json)});
        const auto run = RunProgram(kProgram, {"--format", format, "--endpoint", server.Url(), a, b});
        ASSERT_EQ(run.status, 0) << run.err;
        const std::string document = pictures.Add("out." + format, run.out);
        std::vector<std::string> check{"--noout", document};
        if (format == "alto")
            check.insert(check.begin() + 1, {"--schema", QUILLORY_ALTO_SCHEMA});
        const auto checked = RunProgram("/usr/bin/xmllint", check);
        EXPECT_EQ(checked.status, 0) << format << "\n" << checked.err << run.out;
        const std::string page = format == "hocr" ? "class=\"ocr_page\"" : "<Page ";
        std::size_t pages = 0;
        for (auto at = run.out.find(page); at != std::string::npos; at = run.out.find(page, at + 1))
            ++pages;
        EXPECT_EQ(pages, 2u) << format;
    }
}

// A page's codes follow its lines in every text format; the reply keeps them as received.
TEST(QuilloryOcr, CodesFollowTheLines) {
    const std::string json =
        R"({"words_result":[{"words":"Invoice 42"}],"codes_result_num":1,"codes_result":)"
        R"([{"type":"QR_CODE","text":["https://quillory.org/i?42","paid"],)"
        R"("location":{"left":300,"top":200,"width":220,"height":221}}]})";
    const struct {
        const char* format;
        std::string out;
    } cases[] = {
        {"text", "Invoice 42\n[QR_CODE] https://quillory.org/i?42\npaid\n"},
        {"md", "Invoice 42\n\n- [QR_CODE] https://quillory.org/i?42 paid\n"},
        {"tsv", "source\tpage\tline\tleft\ttop\twidth\theight\tconfidence\ttext\n"
                "%p\t1\t1\t\t\t\t\t\tInvoice 42\n"
                "%p\t1\t2\t300\t200\t220\t221\t\t[QR_CODE] https://quillory.org/i?42 paid\n"},
        {"jsonl", json + "\n"},
    };
    Pictures pictures;
    const std::string picture = pictures.Add("a.png", "abc");
    for (const auto& c : cases) {
        LoopbackServer server({Answer(json)});
        const auto run =
            RunProgram(kProgram, {"--format", c.format, "--endpoint", server.Url(), picture});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, std::regex_replace(c.out, std::regex("%p"), picture)) << c.format;
    }
}

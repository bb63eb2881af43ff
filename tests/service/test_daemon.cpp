// The ocrgated program itself: its command line, and a SIGTERM that lets the
// recognition in flight finish before the process exits 0, or cuts what cannot finish in time.

#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <fstream>
#include <future>
#include <regex>

#include <nlohmann/json.hpp>

#include "rest_form_text.h"
#include "soap/base64.h"
#include "soap_text.h"
#include "support/render.h"
#include "support/running_service.h"
#include "support/service_process.h"

namespace ocrgated::testing {

using namespace testing_support;
namespace {

TEST(Daemon, CommandLine) {
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string says;
    };
    const Case cases[] = {
        {{"--version"}, 0, "ocrgated 0.1.0"},
        {{"--help"}, 0, "--drain-timeout"},
        {{"--frobnicate"}, 2, "not expected: --frobnicate"},
        {{"--threads", "0"}, 2, "--threads: Value 0 not in range 1 to 256"},
        {{"--listen", "localhost"}, 2, "--listen needs ADDR:PORT"},
        {{"--listen", "127.0.0.1:99999"}, 2, "--listen needs a port from 0 to 65535"},
        {{"--max-body"}, 2, "--max-body: 1 required"},
        {{"--drain-delay", "30", "--drain-timeout", "20"}, 2, "longer than --drain-delay"},
        {{"--ppocr-box-threshold", "2"}, 2, "--ppocr-box-threshold: Value 2 not in range"},
        {{"--max-seconds", "0"}, 2, "--max-seconds: Value 0 not in range"},
        {{"--max-picture-memory", "12parsecs"}, 2, "parsecs unit not recognized"},
        {{"--engine", "magic", "--listen", "127.0.0.1:0"}, 1, "Unknown engine \"magic\""},
        {{"--engine", "tesseract", "--languages", "xx_nope", "--listen", "127.0.0.1:0", "--threads",
          "1"},
         1,
         "cannot load the languages"},
    };
    for (const auto& c : cases) {
        ServiceProcess daemon(OCRGATED_BINARY, c.args);
        EXPECT_EQ(daemon.Wait(), c.status) << c.args[0];
        EXPECT_NE(daemon.Output().find(c.says), std::string::npos) << daemon.Output();
    }
}

// The engines' OpenMP teams together get the cores, as many as the workers leave each.
TEST(Daemon, OpenMpTeamsShareTheCores) {
    unsetenv("OMP_THREAD_LIMIT");  // a limit given from outside would be kept
    const int cores = std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
    const std::pair<int, int> cases[] = {{1, cores}, {cores, 1}};
    for (const auto& [workers, team] : cases) {
        ServiceProcess daemon(OCRGATED_BINARY, EphemeralArgs(workers, {"--engine", "tesseract"}));
        ASSERT_TRUE(daemon.WaitUntilHealthy()) << daemon.Output();
        std::ifstream file("/proc/" + std::to_string(daemon.Pid()) + "/environ");
        std::string environment = "\n";
        environment.append(std::istreambuf_iterator<char>(file), {});
        std::replace(environment.begin(), environment.end(), '\0', '\n');
        EXPECT_NE(environment.find("\nOMP_THREAD_LIMIT=" + std::to_string(team) + "\n"),
                  std::string::npos)
            << workers << " workers";
    }
}

TEST(Daemon, SigtermFinishesTheRequestInFlightAndExitsZero) {
    ServiceProcess daemon(OCRGATED_BINARY, EphemeralArgs(1, {"--drain-delay", "0.2"}));
    ASSERT_TRUE(daemon.WaitUntilHealthy()) << daemon.Output();
    const int port = daemon.Port();

    const auto picture =
        Render({1000, 300, kSansCjk, 44, {"停止之前完成识别", "Finish before stopping"}});
    auto answer = std::async(std::launch::async, [&] {
        httplib::Client client("127.0.0.1", port);
        client.set_read_timeout(60, 0);
        auto result =
            client.Post("/ocrgate/ocrgate.asmx?WSDL",
                        SoapRequest("imgbase64totext", "img", Base64(picture)), "text/xml");
        return result ? std::make_pair(result->status, result->body)
                      : std::make_pair(0, std::string());
    });
    // The engine's first recognition takes well over this; the request is in flight.
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    daemon.Signal(SIGTERM);

    const auto [status, body] = answer.get();
    EXPECT_EQ(status, 200) << body;
    EXPECT_NE(ResultOf(body, "imgbase64totext").find("Finish before stopping"), std::string::npos)
        << body;
    EXPECT_EQ(daemon.Wait(), 0) << daemon.Output();
    EXPECT_NE(daemon.Output().find("drained in"), std::string::npos) << daemon.Output();
    // One access-log line: time, peer, operation, status, bytes in and out, milliseconds.
    EXPECT_TRUE(std::regex_search(
        daemon.Output(),
        std::regex(
            R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ 127\.0\.0\.1:\d+ imgbase64totext 200 in=\d+ out=\d+ [\d.]+ms)")))
        << daemon.Output();
}

TEST(Daemon, APasted4kScreenshotIsReadAsTheWindowSendsIt) {
    ServiceProcess daemon(OCRGATED_BINARY, EphemeralArgs(2));
    ASSERT_TRUE(daemon.WaitUntilHealthy()) << daemon.Output();
    // The window sends a pasted picture as a 32-bit BMP: 33 MB for 3840 x 2160.
    Rendering screenshot{3840, 2160, kSansCjk, 60, {"A screenshot pasted whole"}};
    screenshot.format = "bmp";
    screenshot.coder = "bmp:";
    screenshot.output_options = "-type TrueColorAlpha -define bmp:format=bmp4";
    const auto picture = Render(screenshot);
    ASSERT_GT(picture.size(), 33'000'000u);
    httplib::Client client("127.0.0.1", daemon.Port());
    client.set_read_timeout(120, 0);
    auto result = client.Post("/ocrgate/ocrgate.asmx",
                              SoapRequest("imgbase64totext", "img", Base64(picture)), "text/xml");
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 200) << result->body.substr(0, 500);
    EXPECT_NE(ResultOf(result->body, "imgbase64totext").find("screenshot pasted"),
              std::string::npos)
        << result->body.substr(0, 500);
}

TEST(Daemon, SigtermCutsWhatCannotFinishAndIsGoneByTheDrainTimeout) {
    ServiceProcess daemon(OCRGATED_BINARY,
                          EphemeralArgs(1, {"--queue", "8", "--drain-delay", "0",
                                            "--drain-timeout", "2", "--max-seconds", "120"}));
    ASSERT_TRUE(daemon.WaitUntilHealthy()) << daemon.Output();
    const int port = daemon.Port();
    // A dense page that takes one worker far longer than the drain timeout, four times over.
    std::vector<std::string> lines;
    for (int i = 0; i < 60; ++i)
        lines.push_back("Line " + std::to_string(i) + " of a dense page, read word by word");
    const auto picture = Render({2400, 3200, kSansCjk, 30, lines});
    const std::string request = SoapRequest("imgbase64totext", "img", Base64(picture));
    std::vector<std::future<std::pair<int, std::string>>> answers;
    for (int i = 0; i < 4; ++i)
        answers.push_back(std::async(std::launch::async, [&] {
            httplib::Client client("127.0.0.1", port);
            client.set_read_timeout(60, 0);
            auto result = client.Post("/ocrgate/ocrgate.asmx", request, "text/xml");
            return result ? std::make_pair(result->status, result->body)
                          : std::make_pair(0, std::string());
        }));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const auto signalled = std::chrono::steady_clock::now();
    daemon.Signal(SIGTERM);

    EXPECT_EQ(daemon.Wait(std::chrono::seconds(10)), 3) << daemon.Output();
    EXPECT_LT(std::chrono::steady_clock::now() - signalled, std::chrono::milliseconds(2800));
    int cut = 0;
    for (auto& answer : answers) {
        const auto [status, body] = answer.get();
        // Every request is answered: read in time, or cut with a fault to send it again.
        ASSERT_TRUE(status == 200 || status == 503) << status << body;
        if (status == 503) {
            EXPECT_NE(body.find("shutting down"), std::string::npos) << body;
            ++cut;
        }
    }
    EXPECT_GE(cut, 1);
    EXPECT_NE(daemon.Output().find("cutting"), std::string::npos) << daemon.Output();
}

// The access log tells what became of each request: every fault's reason word (an error code
// on the REST face), and a request its client gave up as cancelled, not as a failure.
TEST(Daemon, TheLogNamesEveryFaultsReasonAndACancel) {
    ServiceProcess daemon(OCRGATED_BINARY, EphemeralArgs(1, {"--max-seconds", "120"}));
    ASSERT_TRUE(daemon.WaitUntilHealthy()) << daemon.Output();
    std::vector<std::string> dense;
    for (int i = 0; i < 60; ++i)
        dense.push_back("Line " + std::to_string(i) + " of a dense page, read word by word");
    const std::string slow = SoapRequest("imgbase64totext", "img",
                                         Base64(Render({2400, 3200, kSansCjk, 30, dense})));
    struct Row {
        const char* what;
        std::string path, body, content_type;
        int wait_ms;  // the client's patience; 0: it waits for the answer
        const char* line;
    };
    const Row rows[] = {
        {"a SOAP fault", "/ocrgate/ocrgate.asmx",
         SoapRequest("imgbase64totext", "img", Base64("not a picture")), "text/xml", 0,
         R"(imgbase64totext 500 in=\d+ out=\d+ [\d.]+ms reason=not-a-picture)"},
        {"a REST error", "/rest/2.0/ocr/v1/general_basic", "image=" + Base64("not a picture"),
         "application/x-www-form-urlencoded", 0,
         R"(rest_general_basic 200 in=\d+ out=\d+ [\d.]+ms reason=216201)"},
        {"a client that gave up", "/ocrgate/ocrgate.asmx", slow, "text/xml", 600,
         R"(imgbase64totext cancelled in=\d+ out=\d+ [\d.]+ms reason=cancelled)"},
    };
    for (const Row& row : rows) {
        httplib::Client client("127.0.0.1", daemon.Port());
        if (row.wait_ms > 0)
            client.set_read_timeout(0, row.wait_ms * 1000);
        else
            client.set_read_timeout(60, 0);
        client.Post(row.path, row.body, row.content_type);
        const std::regex line(row.line);
        EXPECT_TRUE(std::regex_search(daemon.ReadUntil(line, std::chrono::seconds(30)), line))
            << row.what << "\n" << daemon.Output();
    }
}

}  // namespace
}  // namespace ocrgated::testing

namespace ocrgated::testing {
namespace {

// The table endpoint on a real engine: the table's cells in the API's shape, each cell's
// lines on request, and the workbook the command line writes. Its picture is a table,
// whatever it shows: a single line is a table of one cell.
TEST(Daemon, TheTableEndpointAnswersCellsContentsAndAWorkbook) {
    ServiceProcess daemon(OCRGATED_BINARY, EphemeralArgs(1));
    ASSERT_TRUE(daemon.WaitUntilHealthy()) << daemon.Output();
    Rendering grid{600, 240, kSansCjk, 32, {}};
    grid.output_options = "-stroke black -strokewidth 2 -fill none -draw 'rectangle 10,10 590,230'"
                          " -draw 'line 10,83 590,83' -draw 'line 10,156 590,156'"
                          " -draw 'line 203,10 203,230' -draw 'line 396,10 396,230'"
                          " -stroke none -fill black"
                          " -annotate +60+58 名称 -annotate +250+58 数量 -annotate +445+58 价格"
                          " -annotate +60+131 橙子 -annotate +270+131 12 -annotate +440+131 3.50"
                          " -annotate +60+204 香蕉 -annotate +270+204 30 -annotate +440+204 2.80";
    const auto table = Render(grid);
    const std::string kCells = "名称|数量|价格|橙子|12|3.50|香蕉|30|2.80|";
    const auto prose = Render({900, 200, kSansCjk, 40, {"这一页没有表格，只有一行字。"}});
    const struct {
        const char* name;
        std::string form;
        int tables;  // -1: an error
        bool contents, excel;
        std::string words;  // of the cells, each followed by "|"
    } cases[] = {
        {"a table", "image=" + Encoded(Base64(table)), 1, false, false, kCells},
        {"its cells' lines", "image=" + Encoded(Base64(table)) + "&cell_contents=true", 1, true,
         false, kCells},
        {"its workbook", "image=" + Encoded(Base64(table)) + "&return_excel=true", 1, false, true,
         kCells},
        {"a line", "image=" + Encoded(Base64(prose)), 1, false, false, "这一页没有表格，只有一行字。|"},
        {"not a picture", "image=" + Encoded(Base64("lines:a")), -1, false, false, ""},
    };
    for (const auto& c : cases) {
        httplib::Client client("127.0.0.1", daemon.Port());
        client.set_read_timeout(120, 0);
        auto result = client.Post("/rest/2.0/ocr/v1/table", c.form,
                                  "application/x-www-form-urlencoded");
        ASSERT_TRUE(result) << c.name;
        const auto reply = nlohmann::json::parse(result->body);
        if (c.tables < 0) {
            EXPECT_EQ(reply.value("error_code", 0), 216201) << result->body;
            continue;
        }
        ASSERT_EQ(reply.value("table_num", -1), c.tables) << c.name << ": " << result->body;
        EXPECT_FALSE(reply.contains("words_result")) << c.name;
        EXPECT_EQ(reply.contains("excel_file"), c.excel) << c.name;
        const auto& body = reply["tables_result"][0]["body"];
        std::string words;
        for (const auto& cell : body) {
            words += cell.value("words", "") + "|";
            EXPECT_EQ(cell.contains("contents"), c.contents) << c.name;
            if (c.contents && !cell["contents"].empty()) {
                EXPECT_EQ(cell["contents"][0]["poly_location"].size(), 4u) << cell;
            }
        }
        EXPECT_EQ(words, c.words) << c.name;
        // The command line's workbook (its content is tested there): a zip archive.
        if (c.excel) {
            const auto bytes = soap::DecodeBase64(reply["excel_file"].get<std::string>());
            ASSERT_TRUE(bytes && bytes->size() > 4);
            EXPECT_EQ(std::string(bytes->begin(), bytes->begin() + 2), "PK");
        }
    }
}

}  // namespace
}  // namespace ocrgated::testing

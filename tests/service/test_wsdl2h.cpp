// The served WSDL is consumed by a standard toolkit: gSOAP's wsdl2h turns it into
// a header, and soapcpp2 compiles that header into client stubs, without errors.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "fake_engine.h"
#include "support/running_service.h"

namespace ocrgated::testing {

using namespace testing_support;
namespace {

struct Outcome {
    int status = -1;
    std::string output;
};

Outcome Execute(const std::string& command) {
    Outcome run;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return run;
    char buffer[4096];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        run.output.append(buffer, n);
    run.status = pclose(pipe);
    return run;
}

std::string Slurp(const std::filesystem::path& path) {
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(Wsdl, Wsdl2hAndSoapcpp2AcceptIt) {
    RunningService running(ServiceOptions{}, FakeFactory());
    auto result = running.Client().Get("/ocrgate/ocrgate.asmx?WSDL");
    ASSERT_TRUE(result);
    ASSERT_EQ(result->status, 200);

    const auto dir =
        std::filesystem::temp_directory_path() / ("ocrgated-wsdl-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir / "gen");
    std::ofstream(dir / "ocrgate.wsdl") << result->body;

    const Outcome wsdl2h = Execute("wsdl2h -o " + (dir / "ocrgate.h").string() + " " +
                                   (dir / "ocrgate.wsdl").string());
    EXPECT_EQ(wsdl2h.status, 0) << wsdl2h.output;
    EXPECT_EQ(wsdl2h.output.find("rror"), std::string::npos) << wsdl2h.output;
    EXPECT_EQ(wsdl2h.output.find("arning"), std::string::npos) << wsdl2h.output;

    const std::string header = Slurp(dir / "ocrgate.h");
    const std::string location =
        "http://127.0.0.1:" + std::to_string(running.port()) + "/ocrgate/ocrgate.asmx";
    EXPECT_NE(header.find(location), std::string::npos);
    for (const char* op : {"HelloWorld", "quillory", "imgbase64totext"}) {
        EXPECT_NE(header.find("method-style:\t" + std::string(op) + " document"), std::string::npos)
            << op;
        EXPECT_NE(header.find("method-input-action:\t" + std::string(op) +
                              " http://quillory.org/ocrgate/" + op),
                  std::string::npos)
            << op;
    }
    EXPECT_NE(header.find("xsd__base64Binary"), std::string::npos);

    const Outcome soapcpp2 = Execute("soapcpp2 -j -C -L -d " + (dir / "gen").string() +
                                     " -I/usr/share/gsoap/import " + (dir / "ocrgate.h").string());
    EXPECT_EQ(soapcpp2.status, 0) << soapcpp2.output;
    EXPECT_NE(soapcpp2.output.find("Compilation successful"), std::string::npos) << soapcpp2.output;
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace ocrgated::testing

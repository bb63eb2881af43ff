// The same pictures through the REST endpoint (a form) and the SOAP operation (an
// envelope), alternately on one in-process service: first with its default engine, the
// whole call as a client sees it, then with an engine that reads nothing, so that only
// what the two protocols cost is left. For each picture, its median REST time over its
// median SOAP time; printed is their geometric mean, so that pictures of different sizes
// are each compared with themselves.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

#include "bench_support.h"
#include "support/median.h"

namespace {

std::string FormEncoded(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (std::isalnum(c))
            out += static_cast<char>(c);
        else if (c != '\r' && c != '\n')
            out += "%" + std::string(1, "0123456789ABCDEF"[c >> 4]) + "0123456789ABCDEF"[c & 15];
    }
    return out;
}

// Takes the picture it is given and reads one fixed line from it.
class ReadsNothing final : public ocrgated::Recognizer {
  public:
    std::vector<ocrgated::RecognizedLine> Recognize(std::span<const std::uint8_t> picture) override {
        ocrgated::RecognizedLine line;
        line.words = "bytes " + std::to_string(picture.size());
        line.width = line.height = 10;
        line.average = line.min = 1;
        return {line};
    }
    std::string Name() const override { return "nothing"; }
};

// The geometric mean over the pictures of REST's median time over SOAP's; nullopt when a
// call fails.
std::optional<double> Compare(testing_support::RunningService& service,
                              const std::vector<std::filesystem::path>& pictures, int rounds,
                              const char* what) {
    auto client = service.Client();
    std::vector<std::vector<double>> rest(pictures.size()), soap(pictures.size());
    for (int round = 0; round < rounds; ++round) {
        for (std::size_t p = 0; p < pictures.size(); ++p) {
            const std::string base64 = bench::Base64File(pictures[p]);
            const std::string form = "image=" + FormEncoded(base64);
            const std::string envelope = bench::SoapRequest("imgbase64totext", "img", base64);
            // The engine sets itself up for each new line width: an untimed call first, so
            // that both timed calls find it ready. Alternate which goes first: the
            // machine's load moves both alike.
            client.Post("/ocrgate/ocrgate.asmx", envelope, "text/xml");
            for (int turn = 0; turn < 2; ++turn) {
                const bool rest_turn = (turn + round) % 2 == 0;
                const auto start = std::chrono::steady_clock::now();
                const auto result =
                    rest_turn ? client.Post("/rest/2.0/ocr/v1/general_basic", form,
                                            "application/x-www-form-urlencoded")
                              : client.Post("/ocrgate/ocrgate.asmx", envelope, "text/xml");
                const double seconds =
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
                if (!result || result->status != 200 ||
                    result->body.find("words_result") == std::string::npos) {
                    std::fprintf(stderr, "rest_vs_soap: a call failed: %s\n",
                                 result ? result->body.substr(0, 200).c_str() : "no answer");
                    return std::nullopt;
                }
                (rest_turn ? rest : soap)[p].push_back(seconds);
            }
        }
    }
    double log_sum = 0;
    for (std::size_t p = 0; p < pictures.size(); ++p) {
        std::printf("%s, picture %zu: rest median %.2f ms, soap median %.2f ms over %zu calls\n",
                    what, p + 1, quillory::testing::Median(rest[p]) * 1000, quillory::testing::Median(soap[p]) * 1000, rest[p].size());
        log_sum += std::log(quillory::testing::Median(rest[p]) / quillory::testing::Median(soap[p]));
    }
    return std::exp(log_sum / double(pictures.size()));
}

}  // namespace

int main() {
    const std::vector<std::filesystem::path> pictures{
        bench::RenderPicture(900, 240, 40, {"识别文字 Hello 2024", "第二行 quick brown fox"}),
        bench::RenderPicture(1200, 600, 32,
                             {"发票号码 00123456", "金额 合计 128.50", "Total amount due",
                              "备注 谢谢惠顾", "地址 北京市海淀区"}),
        bench::RenderPicture(600, 160, 28, {"a thin single line of text"}),
    };
    std::optional<double> whole, protocol;
    {
        bench::Service service(1, 4, "");
        whole = Compare(service, pictures, 6, "engine");
    }
    if (whole) {
        testing_support::RunningService service(
            bench::Options(1, 4), [] { return std::make_unique<ReadsNothing>(); });
        protocol = Compare(service, pictures, 60, "protocol");
    }
    for (const auto& picture : pictures)
        std::filesystem::remove(picture);
    if (!whole || !protocol)
        return 1;
    std::printf("ratio rest_vs_soap_time=%.3f\n", *whole);
    std::printf("ratio rest_vs_soap_protocol_time=%.3f\n", *protocol);
    return 0;
}

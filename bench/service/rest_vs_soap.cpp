// The same pictures through the REST endpoint (a form) and the SOAP operation (an
// envelope), alternately on one in-process service with its default engine; prints, for
// each picture, its median REST time over its median SOAP time, and their geometric mean.
// Pictures of different sizes are compared each with itself, so that which one lands in
// the middle of a mixed list does not decide the figure.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

#include "bench_support.h"

namespace {

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

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

}  // namespace

int main() {
    const std::vector<std::filesystem::path> pictures{
        bench::RenderPicture(900, 240, 40, {"识别文字 Hello 2024", "第二行 quick brown fox"}),
        bench::RenderPicture(1200, 600, 32,
                             {"发票号码 00123456", "金额 合计 128.50", "Total amount due",
                              "备注 谢谢惠顾", "地址 北京市海淀区"}),
        bench::RenderPicture(600, 160, 28, {"a thin single line of text"}),
    };
    bench::Service service(1, 4, "");
    auto client = service.Client();
    std::vector<std::vector<double>> rest(pictures.size()), soap(pictures.size());
    constexpr int kRounds = 6;
    for (int round = 0; round < kRounds; ++round) {
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
                    return 1;
                }
                (rest_turn ? rest : soap)[p].push_back(seconds);
            }
        }
    }
    for (const auto& picture : pictures)
        std::filesystem::remove(picture);
    double log_sum = 0;
    for (std::size_t p = 0; p < pictures.size(); ++p) {
        std::printf("picture %zu: rest median %.1f ms, soap median %.1f ms over %zu calls each\n",
                    p + 1, Median(rest[p]) * 1000, Median(soap[p]) * 1000, rest[p].size());
        log_sum += std::log(Median(rest[p]) / Median(soap[p]));
    }
    std::printf("ratio rest_vs_soap_time=%.3f\n", std::exp(log_sum / pictures.size()));
    return 0;
}

// ParseReply against nlohmann::json::parse on the same reply of about 1 MiB: 5,000
// recognised lines of mixed Chinese and ASCII text, each with its location and
// probability, as the service sends them. Ours reads the UTF-16 text, nlohmann the
// UTF-8 bytes. The last line printed is the ratio of the two times (ours / nlohmann).

#include <benchmark/benchmark.h>

#include <unistd.h>
#include <cstdio>
#include <map>
#include <nlohmann/json.hpp>
#include <random>
#include <string>

#include "reply/reply.h"
#include "base/utf.h"

namespace {

constexpr int kLines = 5000;

std::string MakeWords(std::mt19937& random) {
    static const char* const kChinese[] = {"识", "别", "结", "果", "文", "字", "图", "片",
                                           "中", "国", "发", "票", "金", "额", "日", "期",
                                           "地", "址", "电", "话", "号", "码", "名", "称"};
    static const char* const kAscii[] = {"No.", "2024", "ID", "A4", "OCR", "12:30", "Tel",
                                         "x",   "(1)",  "—",  "QR", "m2",  "RMB",   "%"};
    std::string words;
    const int pieces = 4 + int(random() % 14);
    for (int i = 0; i < pieces; ++i) {
        if (random() % 3 != 0) {
            for (int n = 1 + int(random() % 3); n > 0; --n)
                words += kChinese[random() % 24];
        } else {
            words += kAscii[random() % 14];
            if (random() % 2)
                words += ' ';
        }
    }
    return words;
}

std::string Fraction(std::mt19937& random, int places) {
    std::string digits = std::to_string(random() % 1000000);
    digits.insert(0, std::size_t(places) - std::min<std::size_t>(digits.size(), places), '0');
    return "0." + digits.substr(0, std::size_t(places));
}

// The reply as the service writes it, in UTF-8.
const std::string& ReplyUtf8() {
    static const std::string reply = [] {
        std::mt19937 random(8723);
        std::string text =
            "{\"log_id\":1766051826541238271,\"words_result_num\":" + std::to_string(kLines) +
            ",\"words_result\":[";
        for (int i = 0; i < kLines; ++i) {
            if (i)
                text += ',';
            text += "{\"location\":{\"top\":" + std::to_string(random() % 4000) +
                    ",\"left\":" + std::to_string(random() % 3000) +
                    ",\"width\":" + std::to_string(40 + random() % 2000) +
                    ",\"height\":" + std::to_string(12 + random() % 60) + "},";
            text += "\"words\":\"" + MakeWords(random) + "\",";
            text += "\"probability\":{\"average\":" + Fraction(random, 6) +
                    ",\"min\":" + Fraction(random, 6) + ",\"variance\":" + Fraction(random, 6) +
                    "}}";
        }
        text += "]}";
        return text;
    }();
    return reply;
}

const std::u16string& ReplyUtf16() {
    static const std::u16string reply = quillory::Utf8ToUtf16(ReplyUtf8());
    return reply;
}

void BM_ParseReply(benchmark::State& state) {
    const std::u16string& text = ReplyUtf16();
    for (auto _ : state) {
        reply::ReplyPtr value = reply::ParseReply(text);
        benchmark::DoNotOptimize(value.get());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) *
                            std::int64_t(text.size() * sizeof(char16_t)));
}

void BM_NlohmannParse(benchmark::State& state) {
    const std::string& text = ReplyUtf8();
    for (auto _ : state) {
        nlohmann::json value = nlohmann::json::parse(text);
        benchmark::DoNotOptimize(value);
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(text.size()));
}

// The result display's whole walk, for reference: parse, then every "words" text.
void BM_ParseAndReadWords(benchmark::State& state) {
    const std::u16string& text = ReplyUtf16();
    for (auto _ : state) {
        reply::ReplyPtr lines = reply::ArrayMember(reply::ParseReply(text), u"words_result");
        std::size_t total = 0;
        for (std::size_t i = 0, n = reply::ElementCount(lines); i < n; ++i) {
            total += reply::StringMember(reply::ElementAt(lines, i), u"words").size();
        }
        benchmark::DoNotOptimize(total);
    }
}

BENCHMARK(BM_ParseReply)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_NlohmannParse)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ParseAndReadWords)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// Remembers each benchmark's CPU time per iteration while printing as usual. CPU time,
// not wall time, because the machine is shared and wall time counts other programs too.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    RatioReporter() : ConsoleReporter(isatty(fileno(stdout)) ? OO_ColorTabular : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration) {
                std::string name = run.benchmark_name();
                times_[name.substr(0, name.find('/'))] = run.GetAdjustedCPUTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    double Time(const std::string& name) const {
        auto it = times_.find(name);
        return it == times_.end() ? 0.0 : it->second;
    }

  private:
    std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    std::printf("reply: %zu lines, %zu bytes as UTF-8, %zu code units as UTF-16\n",
                std::size_t(kLines), ReplyUtf8().size(), ReplyUtf16().size());
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    const double ours = reporter.Time("BM_ParseReply");
    const double peer = reporter.Time("BM_NlohmannParse");
    if (ours <= 0.0 || peer <= 0.0) {
        std::printf("ratio reply_parse_vs_nlohmann=unmeasured\n");
        return 1;
    }
    std::printf("ratio reply_parse_vs_nlohmann=%.3f\n", ours / peer);
    return 0;
}

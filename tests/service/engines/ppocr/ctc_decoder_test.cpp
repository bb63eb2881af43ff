#include "service/engines/ppocr/ctc_decoder.h"

#include <gtest/gtest.h>

#include <cmath>

namespace ocrgated::ppocr {
namespace {

// Classes: 0 blank, 1 "中", 2 "a", 3 "b", 4 " ".
const std::vector<std::string> kCharacters = {"", "中", "a", "b", " "};

struct Case {
    const char* name;
    std::vector<int> best;  // the winning class per step
    std::string text;
};

// Raw scores where the winning class of step t scores 1 + t / 10 and the others 0,
// so its softmax probability is e^(1 + t/10) / (e^(1 + t/10) + 4).
std::vector<float> Scores(const std::vector<int>& best) {
    std::vector<float> scores(best.size() * kCharacters.size(), 0.0f);
    for (std::size_t t = 0; t < best.size(); ++t)
        scores[t * kCharacters.size() + static_cast<std::size_t>(best[t])] =
            1.0f + static_cast<float>(t) / 10;
    return scores;
}

float Softmax(int step) {
    const float e = std::exp(1.0f + static_cast<float>(step) / 10);
    return e / (e + 4);
}

TEST(CtcDecoder, CollapsesRepeatsDropsBlanksAndTrimsSpaces) {
    const Case cases[] = {
        {"empty", {}, ""},
        {"all blank", {0, 0, 0}, ""},
        {"repeat collapses", {1, 1, 1}, "中"},
        {"blank separates repeats", {2, 0, 2}, "aa"},
        {"words keep their space", {2, 4, 3}, "a b"},
        {"space run collapses", {2, 4, 0, 4, 3}, "a b"},
        {"separate blank-split spaces", {4, 0, 4, 2}, "a"},
        {"edge spaces trimmed", {4, 2, 3, 4}, "ab"},
        {"only spaces", {4, 0, 4}, ""},
        {"mixed", {0, 1, 1, 0, 2, 2, 4, 3, 0}, "中a b"},
    };
    for (const auto& c : cases) {
        const auto scores = Scores(c.best);
        const auto decoded = DecodeGreedy(scores.data(), static_cast<int>(c.best.size()),
                                          static_cast<int>(kCharacters.size()), kCharacters);
        EXPECT_EQ(decoded.text, c.text) << c.name;
    }
}

TEST(CtcDecoder, GivesEachCharacterTheSoftmaxProbabilityOfItsFirstStep) {
    const std::vector<int> best = {0, 2, 2, 0, 4, 3};
    const auto scores = Scores(best);
    const auto decoded = DecodeGreedy(scores.data(), 6, 5, kCharacters);
    ASSERT_EQ(decoded.text, "a b");
    ASSERT_EQ(decoded.probabilities.size(), 3u);
    EXPECT_EQ(decoded.steps, (std::vector<int>{1, 4, 5}));
    EXPECT_EQ(decoded.bytes, (std::vector<std::size_t>{0, 1, 2}));
    EXPECT_FLOAT_EQ(decoded.probabilities[0], Softmax(1));
    EXPECT_FLOAT_EQ(decoded.probabilities[1], Softmax(4));
    EXPECT_FLOAT_EQ(decoded.probabilities[2], Softmax(5));
}

TEST(CtcDecoder, ReadsFullWidthFiguresAndLettersAsAscii) {
    const std::vector<std::string> characters = {"", "５", "ｂ", "Ｚ", "，", "中"};
    std::vector<float> scores(5 * characters.size(), 0.0f);
    for (std::size_t t = 0; t < 5; ++t)
        scores[t * characters.size() + t + 1] = 1.0f;
    const DecodedText decoded = DecodeGreedy(scores.data(), 5, 6, characters);
    EXPECT_EQ(decoded.text, "5bZ，中");  // full-width punctuation is Chinese's own
    EXPECT_EQ(decoded.bytes, (std::vector<std::size_t>{0, 1, 2, 3, 6}));
}

TEST(CtcDecoder, IgnoresClassesBeyondTheAlphabet) {
    std::vector<float> scores = {0.1f, 0.1f, 0.1f, 0.1f, 0.1f, 0.9f};  // class 5 has no text
    EXPECT_EQ(DecodeGreedy(scores.data(), 1, 6, kCharacters).text, "");
}

}  // namespace
}  // namespace ocrgated::ppocr

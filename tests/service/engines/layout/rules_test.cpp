#include "service/engines/layout/rules.h"

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <string>

namespace ocrgated::layout {
namespace {

std::string Describe(const std::vector<Rule>& rules) {
    std::string text;
    for (const Rule& rule : rules)
        text += "(" + std::to_string(cvRound(rule.from.x)) + "," +
                std::to_string(cvRound(rule.from.y)) + ")-(" + std::to_string(cvRound(rule.to.x)) +
                "," + std::to_string(cvRound(rule.to.y)) + ") ";
    return text;
}

TEST(FindRules, LongRulesButNotText) {
    // A page 400 x 300: a header rule, a column rule, a footer rule drawn in two pieces
    // with a break, over text, word-like blocks, an underline and a filled picture.
    cv::Mat page(300, 400, CV_8UC1, cv::Scalar(235));
    cv::line(page, {20, 40}, {380, 40}, cv::Scalar(30), 2);
    cv::line(page, {200, 60}, {200, 240}, cv::Scalar(60), 2);
    cv::line(page, {20, 270}, {180, 270}, cv::Scalar(30), 1);
    cv::line(page, {185, 270}, {380, 270}, cv::Scalar(30), 1);
    for (int y = 70; y < 240; y += 20) {
        cv::putText(page, "Quillory reads it", {20, y}, cv::FONT_HERSHEY_SIMPLEX, 0.45,
                    cv::Scalar(20), 1);
        for (int x = 215; x < 380; x += 28)
            cv::rectangle(page, cv::Rect(x, y - 9, 20, 9), cv::Scalar(20), cv::FILLED);
    }
    cv::line(page, {40, 250}, {75, 250}, cv::Scalar(20), 1);
    cv::rectangle(page, cv::Rect(300, 245, 60, 18), cv::Scalar(50), cv::FILLED);

    const Rules rules = FindRules(page);

    struct Expected {
        const std::vector<Rule>* found;
        std::vector<Rule> rules;
    } expected[] = {
        {&rules.horizontal, {{{20, 40}, {380, 40}}, {{20, 270}, {380, 270}}}},
        {&rules.vertical, {{{200, 60}, {200, 240}}}},
    };
    for (const Expected& e : expected) {
        ASSERT_EQ(e.found->size(), e.rules.size()) << Describe(*e.found);
        for (std::size_t k = 0; k < e.rules.size(); ++k) {
            const Rule& rule = (*e.found)[k];
            EXPECT_LE(cv::norm(rule.from - e.rules[k].from), 3) << Describe(*e.found);
            EXPECT_LE(cv::norm(rule.to - e.rules[k].to), 3) << Describe(*e.found);
        }
    }
}

// A photograph's edges are no rules for the page (its regions), but a table's shaded rows end
// at theirs: without the case that finds them, the page's case would prove nothing.
TEST(FindRules, APhotographsEdgesOnlyWhenAsked) {
    cv::Mat page(300, 400, CV_8UC1, cv::Scalar(235));
    cv::Mat photo = page(cv::Rect(60, 60, 280, 140));
    cv::theRNG().state = 7;
    cv::randu(photo, cv::Scalar(0), cv::Scalar(160));
    cv::line(page, {20, 250}, {380, 250}, cv::Scalar(30), 2);
    const struct Case {
        bool edges;
        std::size_t least, most;  // horizontal rules found
    } cases[] = {{false, 1, 1}, {true, 2, 10}};
    for (const Case& c : cases) {
        RuleOptions options;
        options.picture_edges = c.edges;
        const Rules rules = FindRules(page, options);
        EXPECT_GE(rules.horizontal.size(), c.least) << c.edges << Describe(rules.horizontal);
        EXPECT_LE(rules.horizontal.size(), c.most) << c.edges << Describe(rules.horizontal);
        EXPECT_TRUE(std::any_of(rules.horizontal.begin(), rules.horizontal.end(),
                                [](const Rule& r) { return std::abs(r.from.y - 250) < 3; }))
            << c.edges << Describe(rules.horizontal);
    }
}

}  // namespace
}  // namespace ocrgated::layout

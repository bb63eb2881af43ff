// --pages: the list a user writes and the pages it picks of a document.

#include <gtest/gtest.h>

#include "cli/options.h"

namespace {

TEST(Pages, PickedFromADocument) {
    const struct {
        std::string list;
        int count;
        std::vector<int> pages;
    } cases[] = {
        {"1-3,7", 10, {1, 2, 3, 7}},
        {"5-", 7, {5, 6, 7}},
        {"3,1,3,2-2", 5, {1, 2, 3}},  // ascending, each once
        {"2-9", 3, {2, 3}},           // past the end left out
        {"4,8", 3, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(cli::PickPages(cli::ParsePages(c.list), c.count), c.pages) << c.list;
    EXPECT_EQ(cli::PickPages({}, 3), (std::vector<int>{1, 2, 3}));
}

TEST(Pages, ListsThatAreRefused) {
    for (const std::string list : {"", "0", "a", "3-1", "1,,2", "-2", "1-2-3", "2,", " 1"})
        EXPECT_THROW(cli::ParsePages(list), cli::UsageError) << list;
}

}  // namespace

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "contract/ocrgate.h"

namespace {

TEST(InvRegistry, OcrgateSoapIsRegisteredAtStartUp) {
    const auto info = ocrgate::InvRegistry::Instance().Lookup("ocrgateSoap");
    ASSERT_TRUE(info);
    EXPECT_EQ(info->targetNamespace, "http://quillory.org/ocrgate/");
    EXPECT_EQ(info->targetNamespace.back(), '/');
    EXPECT_EQ(info->encoding, "utf-8");
    EXPECT_EQ(info->style, ocrgate::InvocationStyle::Document);
    ASSERT_EQ(info->operations.size(), 3u);
    const struct {
        std::string_view name;
        std::string_view parameter;
        std::string action;
    } expected[] = {
        {"HelloWorld", "", "http://quillory.org/ocrgate/HelloWorld"},
        {"quillory", "url", "http://quillory.org/ocrgate/quillory"},
        {"imgbase64totext", "img", "http://quillory.org/ocrgate/imgbase64totext"},
    };
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(info->operations[i].name, expected[i].name);
        EXPECT_EQ(info->operations[i].parameter ? info->operations[i].parameter->name : "",
                  expected[i].parameter);
        EXPECT_EQ(info->ActionFor(i), expected[i].action);
    }
    EXPECT_FALSE(ocrgate::InvRegistry::Instance().Lookup("ocrgate"));
}

TEST(InvRegistry, OnlyTheFirstPlaceholderIsReplaced) {
    ocrgate::InterfaceInfo info;
    info.actionTemplate = "urn:%operationName%/%operationName%";
    info.operations = {{"op", std::nullopt}};
    EXPECT_EQ(info.ActionFor(0), "urn:op/%operationName%");
}

TEST(InvRegistry, LookupsRaceWithRegistrations) {
    std::atomic<bool> stop{false};
    std::atomic<int> bad{0};
    std::vector<std::thread> readers;
    for (int i = 0; i < 4; ++i) {
        readers.emplace_back([&] {
            while (!stop) {
                const auto info = ocrgate::InvRegistry::Instance().Lookup("ocrgateSoap");
                if (!info || info->operations.size() != 3 ||
                    info->ActionFor(1) != "http://quillory.org/ocrgate/quillory") {
                    ++bad;
                }
            }
        });
    }
    for (int i = 0; i < 2000; ++i)
        ocrgate::RegisterOcrgateSoap();
    stop = true;
    for (auto& r : readers)
        r.join();
    EXPECT_EQ(bad.load(), 0);
}

}  // namespace

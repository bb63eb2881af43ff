#include "service/common/recognition_context.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

namespace ocrgated {
namespace {

// The limit a page is read under grows with the text it holds, up to three times.
TEST(RecognitionDeadline, StretchesWithTheTextUpToThreeTimes) {
    const struct Case {
        double share;
        std::string limit;
    } cases[] = {{0.5, "0.01 s"}, {2.5, "0.025 s"}, {7, "0.03 s"}};
    for (const Case& c : cases) {
        const RecognitionScope scope({std::chrono::milliseconds(10)}, "test");
        StretchDeadline(c.share);
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
        try {
            CheckDeadline();
            ADD_FAILURE() << c.share << ": no time-out";
        } catch (const RecognitionTimedOut& e) {
            EXPECT_EQ(std::string(e.what()), "it took longer than the limit of " + c.limit)
                << c.share;
        }
    }
}

}  // namespace
}  // namespace ocrgated

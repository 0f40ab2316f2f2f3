#include <gtest/gtest.h>

#include <stdexcept>

#include "site/SiteOptions.h"

using offrel::site::ParseSiteOptions;

namespace {

offrel::site::SiteOptions Parse(std::initializer_list<const char*> args) {
    std::vector<const char*> argv = {"offrel-site"};
    argv.insert(argv.end(), args);
    return ParseSiteOptions(static_cast<int>(argv.size()), argv.data());
}

}  // namespace

TEST(SiteOptions, NumbersAreCheckedAndTheDelayIsInMilliseconds) {
    const auto options = Parse({"--port", "0", "--delay", "1500", "--login", "vendeur"});
    EXPECT_EQ(options.port, 0);
    EXPECT_EQ(options.delay.count(), 1500);
    EXPECT_EQ(options.login, "vendeur");
    EXPECT_EQ(Parse({}).delay.count(), 0);
    EXPECT_EQ(Parse({}).port, 8642);

    for (auto bad : {std::pair{"--port", "65536"},
                     {"--port", "80x"},
                     {"--delay", "-1"},
                     {"--delay", "60001"},
                     {"--delay", ""}}) {
        EXPECT_THROW(Parse({bad.first, bad.second}), std::invalid_argument)
            << bad.first << bad.second;
    }
    EXPECT_THROW(Parse({"--delay"}), std::invalid_argument);
    EXPECT_THROW(Parse({"--vitesse", "2"}), std::invalid_argument);
}

TEST(SiteOptions, ThrottleIsInKilobytesPerSecondAndOffByDefault) {
    EXPECT_EQ(Parse({"--throttle", "2048"}).throttle, 2048);
    EXPECT_EQ(Parse({}).throttle, 0);
    for (const char* bad : {"-1", "1048577", "2M", ""})
        EXPECT_THROW(Parse({"--throttle", bad}), std::invalid_argument) << bad;
}

TEST(SiteOptions, TheAcceptedAnswerIsOKUnlessWrittenOtherwise) {
    EXPECT_EQ(Parse({}).acceptedAnswer, "OK");
    EXPECT_EQ(Parse({"--accepted-answer", "OK\\r\\n"}).acceptedAnswer, "OK\r\n");
    EXPECT_EQ(Parse({"--accepted-answer", "a\\\\n\\n"}).acceptedAnswer, "a\\n\n");
    for (const char* bad : {"OK\\t", "OK\\"})
        EXPECT_THROW(Parse({"--accepted-answer", bad}), std::invalid_argument) << bad;
}

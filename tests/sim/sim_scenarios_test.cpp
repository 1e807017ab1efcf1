// Scenario names and values of the simulated board.
#include <gtest/gtest.h>

#include "sim/sim_scenarios.h"

TEST(SimScenarios, NamesValuesAndCombinations) {
    SimScenarios s;
    std::string error;
    ASSERT_TRUE(sim_parse_scenarios("production,dcd-nak=3,image-stall=2,status=200,unplug-after=10,"
                                    "split-utf8,max-freq=500,firmware-after=500,board=kt410",
                                    &s, &error))
        << error;
    EXPECT_TRUE(s.production);
    EXPECT_TRUE(s.split_utf8);
    EXPECT_FALSE(s.no_board);
    EXPECT_EQ(s.dcd_nak, 3);
    EXPECT_EQ(s.image_stall, 2);
    EXPECT_EQ(s.status, 200);
    EXPECT_EQ(s.unplug_after, 10);
    EXPECT_EQ(s.max_freq, 500);
    EXPECT_EQ(s.firmware_after, 500);
    EXPECT_EQ(s.board, 5);

    SimScenarios empty;
    EXPECT_TRUE(sim_parse_scenarios("", &empty, &error));
    EXPECT_EQ(empty.firmware_after, SimScenarios{}.firmware_after);
}

TEST(SimScenarios, RefusalsNameTheProblemAndChangeNothing) {
    struct Case {
        const char* text;
        const char* error_has;
    } cases[] = {
        {"warp-speed", "unknown scenario 'warp-speed'"},
        {"dcd-nak", "'dcd-nak' needs a number"},
        {"dcd-nak=0", "'dcd-nak' needs a number"},
        {"status=256", "'status' needs a number from 0 to 255"},
        {"status=-1", "'status' needs a number"},
        {"max-freq=12ab", "'max-freq' needs a number"},
        {"production=1", "'production' takes no value"},
        {"board=KT999", "'board' needs a target name"},
        {"split-utf8,firmware-after=99999999999", "'firmware-after' needs a number"},
    };
    for (const Case& c : cases) {
        SimScenarios s;
        std::string error;
        EXPECT_FALSE(sim_parse_scenarios(c.text, &s, &error)) << c.text;
        EXPECT_NE(error.find(c.error_has), std::string::npos) << c.text << ": " << error;
        EXPECT_FALSE(s.split_utf8) << "a refused list changes nothing";
    }
}

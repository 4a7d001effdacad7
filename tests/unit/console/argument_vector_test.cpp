#include "console/argument_vector.h"

#include <gtest/gtest.h>

namespace {

TEST(ArgumentVector, HoldsAppNameAndArguments)
{
    CArgumentVector vector;
    ASSERT_TRUE(vector.Fill("VANTFerrant", {"COM1", "-s"}));
    ASSERT_EQ(vector.Count(), 3);
    EXPECT_STREQ(vector.Vector()[0], "VANTFerrant");
    EXPECT_STREQ(vector.Vector()[1], "COM1");
    EXPECT_STREQ(vector.Vector()[2], "-s");
    EXPECT_EQ(vector.Vector()[3], nullptr);
}

TEST(ArgumentVector, LimitsAreThirtyOneArgumentsOf127Bytes)
{
    CArgumentVector vector;
    EXPECT_TRUE(vector.Fill("VANTFerrant", std::vector<std::string>(31, "x")));
    EXPECT_EQ(vector.Count(), 32);
    EXPECT_FALSE(vector.Fill("VANTFerrant", std::vector<std::string>(32, "x")));
    EXPECT_EQ(vector.Count(), 1);
    EXPECT_TRUE(vector.Fill("VANTFerrant", {std::string(127, 'a')}));
    EXPECT_EQ(std::string(vector.Vector()[1]), std::string(127, 'a'));
    EXPECT_FALSE(vector.Fill("VANTFerrant", {"COM1", std::string(128, 'a')}));
    EXPECT_EQ(vector.Count(), 1);
}

}  // namespace

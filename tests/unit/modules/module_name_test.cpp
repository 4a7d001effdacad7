#include "modules/module_name.h"

#include <gtest/gtest.h>

namespace {

TEST(ParseModuleName, TrimsSpacesAndOneSlashEachSide)
{
    for (std::string typed : {"chess", "  chess  ", "/chess", "chess/", " /chess/ "}) {
        std::string name = typed;
        EXPECT_TRUE(ParseModuleName(name)) << '"' << typed << '"';
        EXPECT_EQ(name, "chess") << '"' << typed << '"';
    }
    std::string spaced = " big game ";
    EXPECT_TRUE(ParseModuleName(spaced));
    EXPECT_EQ(spaced, "big game");
}

TEST(ParseModuleName, RefusesNamesThatAreNotOneSegment)
{
    for (std::string typed : {"", "   ", "/", "//", "a/b", "//chess", "chess//", ".", "..", " /../ "}) {
        std::string name = typed;
        EXPECT_FALSE(ParseModuleName(name)) << '"' << typed << '"';
    }
}

}  // namespace

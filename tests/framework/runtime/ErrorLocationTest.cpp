// Composition of the per-thread error-location stack.
#include "runtime/ErrorLocation.h"

#include <gtest/gtest.h>


TEST(ErrorLocation, ComposesFromTheTopDownWhileEntriesAreChained) {
    EXPECT_EQ("", ovs::currentErrorLocation());
    {
        ovs::ErrorLocation a("A", true);
        EXPECT_EQ("A", ovs::currentErrorLocation());
        ovs::ErrorLocation b("B", false);
        EXPECT_EQ("B", ovs::currentErrorLocation());
        ovs::ErrorLocation c("C", true);
        EXPECT_EQ("B, C", ovs::currentErrorLocation());
        ovs::ErrorLocation d("D", true);
        EXPECT_EQ("B, C, D", ovs::currentErrorLocation());
    }
    EXPECT_EQ("", ovs::currentErrorLocation());
}

TEST(ErrorLocation, PopsExactlyWhatItPushed) {
    ovs::ErrorLocation earlier("earlier");
    {
        ovs::ErrorLocation twice("first");
        twice.push("second", true);
        EXPECT_EQ("first, second", ovs::currentErrorLocation());
    }
    EXPECT_EQ("earlier", ovs::currentErrorLocation());
}

// Version banner texts and the user interface language code.
#include "runtime/StartUp.h"
#include "runtime/VersionInfo.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

// The version, its date form with and without the build, the build form and the rights notice.
TEST(VersionInfo, BannerTexts) {
    using Texts = std::vector<std::string>;
    const std::pair<ovs::VersionInfo, Texts> cases[] = {
        {{21, 2, 4548, 500, 21, 2, 17, 7},
         {"21.02", "Version 21.02 of Feb/17/2021", "Version 21.02 of Feb/17/2021 (Build 4548)", "21.02 (Build4548)",
          "Copyright (c) 2007-2021 ORVA-SYSTEMS"}},
        {{3, 10, 0, 0, 2021, 12, 5, 21},
         {"3.10", "Version 3.10 of Dec/05/2021", "Version 3.10 of Dec/05/2021 (Build 0)", "3.10",
          "Copyright (c) 2021 ORVA-SYSTEMS"}},
        {{1, 0, 7, 0, 5, 1, 31, 95},
         {"1.00", "Version 1.00 of Jan/31/2005", "Version 1.00 of Jan/31/2005 (Build 7)", "1.00 (Build7)",
          "Copyright (c) 1995-2005 ORVA-SYSTEMS"}},
        {{1, 5, 12, 0, 21, 0, 1, 7}, {"1.05", "1.05", "1.05 (Build12)", "1.05 (Build12)", ""}},
    };
    for (const auto& [info, texts] : cases) {
        EXPECT_EQ(texts, (Texts{info.version(), info.versionOfDate(), info.versionOfDateBuild(), info.versionBuild(),
                                info.rightsNotice()}));
    }
}

TEST(VersionInfo, LevelTexts) {
    // clang-format off
    const struct {
        int level;
        const char* version;
    } cases[] = {{0, "21.02"},     {250, "21.02Beta (Level 50)"}, {1, "21.02Concept (Level 1)"},
                 {399, "21.02Gamma (Level 99)"}, {100, "21.02Alpha (Level 0)"}, {501, "21.02a"},
                 {526, "21.02z"},   {400, "21.02"},                {500, "21.02"}, {527, "21.02"}};
    // clang-format on
    for (const auto& c : cases) {
        EXPECT_EQ(c.version, ovs::VersionInfo(21, 2, 0, c.level, 21, 2, 17, 7).version()) << c.level;
    }
}

TEST(LanguageCode, MapsUserInterfaceLanguages) {
    const struct {
        LANGID language;
        const char* code;
    } cases[] = {{1031, "De"}, {3076, "Tw"}, {4100, "Cn"}, {1035, ""},   {1033, "Us"}, {2057, "Us"},
                 {1028, "Tw"}, {2052, "Cn"}, {5124, "Tw"}, {1036, "Fr"}, {1049, "Ru"}, {1046, "Br"},
                 {2070, "Br"}, {1053, "Se"}, {1041, "Jp"}, {1025, "Sa"}, {1045, ""}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.code, ovs::StartUp::languageCodeFor(c.language)) << c.language;
    }
}

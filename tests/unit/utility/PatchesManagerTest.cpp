#include <gtest/gtest.h>

#include "fakes/FakeServices.h"
#include "frame/FailureRecord.h"
#include "frame/PatchesManager.h"

namespace {

const char* const scripts = "/inst/database/scripts";

struct Catalogue {
    fakes::FakeServices fake;
    Quimbo::FileSystemObject fso{fake.files, fake.random, fakes::linuxConventions()};
    Quimbo::PatchesManager patches;
    explicit Catalogue(const std::vector<std::string>& names, const char* type = "access97") {
        fake.files.folders.insert({"/inst", "/inst/database", scripts});
        for (const auto& name : names) fake.files.files[std::string(scripts) + "/" + name] = "";
        patches.Initialize(fso, scripts, type);
    }
};

TEST(PatchCatalogue, TheMaximumSpansBothBaseNamingsAndSkipsEditionPatches) {
    Catalogue catalogue({"patch_12.access97.sql", "patch_13-14.0.access97.sql",
                         "patch_14.0-3.access97.sql", "patch_14_fix.access97.sql",
                         "patch_14-15.1.access97.sql", "readme.txt"});
    std::int16_t out = -1;
    EXPECT_EQ(catalogue.patches.getMaxPatchVersion(out), 14);
    EXPECT_EQ(out, 14);
}

TEST(PatchCatalogue, OtherTypesAreIgnoredAndCapitalsCount) {
    Catalogue catalogue({"patch_12.access97.sql", "patch_20.mysql4.sql", "PATCH_16.ACCESS97.SQL"});
    EXPECT_EQ(catalogue.patches.getMaxPatchVersion(), 16);
    Catalogue mysql({"patch_12.access97.sql", "patch_20.mysql4.sql", "patch_21-22.0.mysql4.sql"},
                    "mysql4");
    EXPECT_EQ(mysql.patches.getMaxPatchVersion(), 22);
}

TEST(PatchCatalogue, AnEmptyFolderOffersZeroAndAMissingOneRaises) {
    Catalogue empty({});
    EXPECT_EQ(empty.patches.getMaxPatchVersion(), 0);
    empty.fake.files.folders.erase(scripts);
    try {
        empty.patches.getMaxPatchVersion();
        FAIL() << "expected Path not found";
    } catch (const Quimbo::FailureRecord& failure) {
        EXPECT_EQ(failure.number, 76);
    }
}

TEST(PatchCatalogue, TheNextEditionIsTheHighestTargetFromTheCurrentEdition) {
    Catalogue catalogue({"patch_14.0-2.access97.sql", "patch_14.0-3.access97.sql",
                         "patch_14.1-5.access97.sql", "patch_15.0-9.access97.sql",
                         "patch_14.0-7.mysql4.sql"});
    EXPECT_EQ(catalogue.patches.getNextEditionVer(14, 0), 3);
    EXPECT_EQ(catalogue.patches.getNextEditionVer(14, 3), 0);
    EXPECT_EQ(Catalogue({}).patches.getNextEditionVer(14, 0), 0);
}

TEST(PatchCatalogue, NamesAreJoinedFromFolderNumbersAndType) {
    Catalogue catalogue({"patch_15.access97.sql", "patch_13-14.0.access97.sql"});
    auto& patches = catalogue.patches;
    EXPECT_EQ(Quimbo::PatchesManager::formatBasePatchNumber(14, 0), "13-14.0");
    EXPECT_EQ(Quimbo::PatchesManager::formatBasePatchNumber(1, 2), "0-1.2");
    EXPECT_EQ(patches.getBasePatchName(15), "/inst/database/scripts/patch_15.access97.sql");
    EXPECT_EQ(patches.getBasePatchOldName(14, 0),
              "/inst/database/scripts/patch_13-14.0.access97.sql");
    EXPECT_EQ(patches.getFix14PatchName(), "/inst/database/scripts/patch_14_fix.access97.sql");
    EXPECT_TRUE(patches.basePatchExists(15));
    EXPECT_FALSE(patches.basePatchExists(14));
    EXPECT_TRUE(patches.basePatchExistsOld(14, 0));
    EXPECT_FALSE(patches.basePatchExistsOld(14, 1));
}

}  // namespace

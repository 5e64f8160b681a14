#pragma once
#include <cstdint>
#include <string>

#include "FileSystemObject.h"

namespace Quimbo {

// Knows how the numbered schema patch scripts of one database type are named
// in the scripts folder: builds their paths and finds the highest base version
// on offer. Applying them is the installers' business.
class PatchesManager {
public:
    // `dbType`: "access97" or "mysql4"; `patchesDir` without a trailing separator.
    void Initialize(FileSystemObject& fileObject, const std::string& patchesDir,
                    const std::string& dbType);

    // The highest base version among patch_B.T.sql and patch_(B-1)-B.0.T.sql,
    // 0 when there is none; also stored in maxPatchBaseVer. A missing folder
    // raises "Path not found".
    std::int16_t getMaxPatchVersion(std::int16_t& maxPatchBaseVer);
    std::int16_t getMaxPatchVersion();

    std::string getBasePatchOldName(std::int16_t baseVer, std::int16_t editionVer) const;
    std::string getBasePatchName(std::int16_t baseVer) const;
    bool basePatchExistsOld(std::int16_t baseVer, std::int16_t editionVer);
    bool basePatchExists(std::int16_t baseVer);
    // "(B-1)-B.E", as in 13-14.0.
    static std::string formatBasePatchNumber(std::int16_t baseVer, std::int16_t editionVer);
    // The highest edition E2 of a patch_B.E1-E2.T.sql with E1 the current
    // edition, or 0 when no edition patch starts there.
    std::int16_t getNextEditionVer(std::int16_t baseVer, std::int16_t curEditionVer);
    std::string getFix14PatchName() const;

    // The script that brings the schema to base version `baseVer`, and the
    // number the page shows for it: the old naming "(B-1)-B.E" where such a
    // script is there for the edition, else plain "B".
    struct BasePatch {
        std::string label;
        std::string path;
    };
    BasePatch basePatchFor(std::int16_t baseVer, std::int16_t editionVer);

private:
    FileSystemObject& files() const;
    std::string inFolder(const std::string& name) const;
    // The largest number that a name matching the pattern exactly once captures.
    std::int16_t highestCaptured(const std::string& pattern);

    FileSystemObject* fileObject_ = nullptr;
    std::string patchesDir_;
    std::string dbType_;
};

}  // namespace Quimbo

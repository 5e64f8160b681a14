#include "PatchesManager.h"

#include "FailureRecord.h"
#include "MathFuncsModule.h"
#include "StringFuncsModule.h"
#include "VbRegExp.h"

namespace Quimbo {
namespace {

// The one group of a name that matches exactly once; false otherwise.
bool capturedOnce(const VbRegExp& pattern, const std::string& name, std::string& captured) {
    const auto matches = pattern.Execute(name);
    if (matches.size() != 1) return false;
    captured = matches[0].subMatches.at(0);
    return true;
}

}  // namespace

void PatchesManager::Initialize(FileSystemObject& fileObject, const std::string& patchesDir,
                                const std::string& dbType) {
    fileObject_ = &fileObject;
    patchesDir_ = patchesDir;
    dbType_ = dbType;
}

FileSystemObject& PatchesManager::files() const {
    if (!fileObject_)
        throw FailureRecord{91, "PatchesManager", "Object variable or With block variable not set"};
    return *fileObject_;
}

std::string PatchesManager::inFolder(const std::string& name) const {
    return files().BuildPath(patchesDir_, name);
}

std::int16_t PatchesManager::getMaxPatchVersion(std::int16_t& maxPatchBaseVer) {
    // The type word goes in unescaped; in P2 the "." after the number is any character.
    const VbRegExp oldNaming("patch_[0-9]+-([0-9]+)\\.0\\." + dbType_ + "\\.sql");
    const VbRegExp baseNaming("patch_([0-9]+)." + dbType_ + "\\.sql");
    maxPatchBaseVer = 0;
    for (const auto& name : files().ListFiles(patchesDir_)) {
        std::string captured;
        if (capturedOnce(oldNaming, name, captured) || capturedOnce(baseNaming, name, captured))
            maxPatchBaseVer = Max(maxPatchBaseVer, DigitsToInteger(captured));
    }
    return maxPatchBaseVer;
}

std::int16_t PatchesManager::getMaxPatchVersion() {
    std::int16_t maxPatchBaseVer = 0;
    return getMaxPatchVersion(maxPatchBaseVer);
}

std::string PatchesManager::getBasePatchOldName(std::int16_t baseVer,
                                                std::int16_t editionVer) const {
    return inFolder("patch_" + formatBasePatchNumber(baseVer, editionVer) + "." + dbType_ + ".sql");
}

std::string PatchesManager::getBasePatchName(std::int16_t baseVer) const {
    return inFolder("patch_" + std::to_string(baseVer) + "." + dbType_ + ".sql");
}

bool PatchesManager::basePatchExistsOld(std::int16_t baseVer, std::int16_t editionVer) {
    return files().FileExists(getBasePatchOldName(baseVer, editionVer));
}

bool PatchesManager::basePatchExists(std::int16_t baseVer) {
    return files().FileExists(getBasePatchName(baseVer));
}

std::string PatchesManager::formatBasePatchNumber(std::int16_t baseVer, std::int16_t editionVer) {
    return std::to_string(baseVer - 1) + "-" + std::to_string(baseVer) + "." +
           std::to_string(editionVer);
}

std::int16_t PatchesManager::getNextEditionVer(std::int16_t baseVer, std::int16_t curEditionVer) {
    const VbRegExp editionNaming("patch_" + std::to_string(baseVer) + "\\." +
                                 std::to_string(curEditionVer) + "-([0-9]+)\\." + dbType_ +
                                 "\\.sql");
    std::int16_t next = 0;
    for (const auto& name : files().ListFiles(patchesDir_)) {
        std::string captured;
        if (capturedOnce(editionNaming, name, captured))
            next = Max(next, DigitsToInteger(captured));
    }
    return next;
}

std::string PatchesManager::getFix14PatchName() const {
    return inFolder("patch_14_fix." + dbType_ + ".sql");
}

}  // namespace Quimbo

#include "PatchesManager.h"

#include <cctype>
#include <functional>

#include "FailureRecord.h"
#include "MathFuncsModule.h"
#include "StringFuncsModule.h"

namespace Quimbo {
namespace {

constexpr std::size_t none = std::string::npos;

// The position after `literal` standing at `at` in any case, or none.
std::size_t literalEnd(const std::string& name, std::size_t at, const std::string& literal) {
    if (at == none || at + literal.size() > name.size()) return none;
    for (std::size_t i = 0; i < literal.size(); ++i) {
        const char a = name[at + i], b = literal[i];
        if (std::tolower(static_cast<unsigned char>(a)) !=
            std::tolower(static_cast<unsigned char>(b)))
            return none;
    }
    return at + literal.size();
}

// The position after one or more digits at `at`, or none.
std::size_t digitsEnd(const std::string& name, std::size_t at) {
    if (at == none) return none;
    std::size_t end = at;
    while (end < name.size() && std::isdigit(static_cast<unsigned char>(name[end])))
        ++end;
    return end == at ? none : end;
}

// Where a naming that starts at `at` ends, its number in `captured`; none when it does not start
// there.
using Naming =
    std::function<std::size_t(const std::string& name, std::size_t at, std::string& captured)>;

// The number of a name in which the naming stands exactly once (occurrences
// do not overlap; the name may hold more around them).
bool capturedOnce(const Naming& naming, const std::string& name, std::string& captured) {
    int found = 0;
    for (std::size_t at = 0; at < name.size();) {
        std::string number;
        const std::size_t end = naming(name, at, number);
        if (end == none) {
            ++at;
            continue;
        }
        if (++found > 1) return false;
        captured = number;
        at = end;
    }
    return found == 1;
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
    const std::string tail = "." + dbType_ + ".sql";
    // patch_(B-1)-B.0.T.sql, the older naming of base patches of edition 0.
    const Naming oldNaming = [&](const std::string& name, std::size_t at, std::string& number) {
        const std::size_t from =
            literalEnd(name, digitsEnd(name, literalEnd(name, at, "patch_")), "-");
        const std::size_t to = digitsEnd(name, from);
        if (to == none) return none;
        number = name.substr(from, to - from);
        return literalEnd(name, to, ".0" + tail);
    };
    // patch_B?T.sql: any one character but a line break between the number and
    // the type, so the number gives up its last digit when that makes a match.
    const Naming baseNaming = [&](const std::string& name, std::size_t at, std::string& number) {
        const std::size_t digits = literalEnd(name, at, "patch_");
        const std::size_t end = digitsEnd(name, digits);
        if (end == none) return none;
        for (std::size_t stop = end; stop > digits; --stop) {
            if (stop >= name.size() || name[stop] == '\n') continue;
            const std::size_t matched = literalEnd(name, stop + 1, dbType_ + ".sql");
            if (matched == none) continue;
            number = name.substr(digits, stop - digits);
            return matched;
        }
        return none;
    };
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
    // patch_B.E-N.T.sql: an edition patch from the current edition.
    const Naming editionNaming = [&](const std::string& name, std::size_t at, std::string& number) {
        const std::size_t digits = literalEnd(
            name, at,
            "patch_" + std::to_string(baseVer) + "." + std::to_string(curEditionVer) + "-");
        const std::size_t end = digitsEnd(name, digits);
        if (end == none) return none;
        number = name.substr(digits, end - digits);
        return literalEnd(name, end, "." + dbType_ + ".sql");
    };
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

PatchesManager::BasePatch PatchesManager::basePatchFor(std::int16_t baseVer,
                                                       std::int16_t editionVer) {
    if (basePatchExistsOld(baseVer, editionVer))
        return {formatBasePatchNumber(baseVer, editionVer),
                getBasePatchOldName(baseVer, editionVer)};
    return {std::to_string(baseVer), getBasePatchName(baseVer)};
}

}  // namespace Quimbo

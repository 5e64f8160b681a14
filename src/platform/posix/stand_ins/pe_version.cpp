// The version resource of a PE file: DOS header → PE header → resource
// directory (type 16, first name, first language) → VS_FIXEDFILEINFO. Every
// offset is checked against the bytes, so a damaged file reads as "no version".
#include "pe_version.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace platform::posix {
namespace {

constexpr std::uint32_t versionResourceType = 16;
constexpr std::uint32_t fixedInfoSignature = 0xFEEF04BD;

class Bytes {
public:
    explicit Bytes(const std::string& bytes) : bytes_(bytes) {}

    std::optional<std::uint32_t> u16(std::uint64_t at) const { return read(at, 2); }
    std::optional<std::uint32_t> u32(std::uint64_t at) const { return read(at, 4); }

private:
    std::optional<std::uint32_t> read(std::uint64_t at, unsigned size) const {
        if (at + size > bytes_.size()) return std::nullopt;
        std::uint32_t value = 0;
        for (unsigned i = 0; i < size; ++i)
            value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes_[at + i]))
                     << (8 * i);
        return value;
    }
    const std::string& bytes_;
};

struct Section {
    std::uint32_t virtualAddress, virtualSize, rawSize, rawOffset;
};

class PeImage {
public:
    explicit PeImage(const std::string& bytes) : bytes_(bytes) {}

    // Finds the resource directory in the file; false for no PE file or none.
    bool locateResources() {
        if (bytes_.u16(0) != 0x5A4Du) return false;  // "MZ"
        const auto pe = bytes_.u32(0x3C);
        if (!pe || bytes_.u32(*pe) != 0x00004550u) return false;  // "PE\0\0"
        const std::uint64_t coff = *pe + 4;
        const auto sectionCount = bytes_.u16(coff + 2);
        const auto optionalSize = bytes_.u16(coff + 16);
        const std::uint64_t optional = coff + 20;
        const auto magic = bytes_.u16(optional);
        if (!sectionCount || !optionalSize || !magic) return false;
        const std::uint64_t directories = optional + (*magic == 0x20B ? 112 : 96);
        const auto directoryCount = bytes_.u32(directories - 4);
        if (!directoryCount || *directoryCount < 3) return false;
        const auto resourceRva = bytes_.u32(directories + 2 * 8);
        if (!resourceRva || *resourceRva == 0) return false;
        const std::uint64_t table = optional + *optionalSize;
        for (std::uint32_t i = 0; i < *sectionCount; ++i) {
            const std::uint64_t at = table + 40ull * i;
            const auto va = bytes_.u32(at + 12), vsize = bytes_.u32(at + 8);
            const auto rsize = bytes_.u32(at + 16), roffset = bytes_.u32(at + 20);
            if (!va || !vsize || !rsize || !roffset) return false;
            sections_.push_back({*va, *vsize, *rsize, *roffset});
        }
        const auto offset = fileOffset(*resourceRva);
        if (!offset) return false;
        resources_ = *offset;
        return true;
    }

    // The first entry of a resource directory level with the id, or the
    // first entry at all (id nullopt); its offset relative to the root.
    std::optional<std::uint32_t> entry(std::uint32_t directory,
                                       std::optional<std::uint32_t> id) const {
        const std::uint64_t at = resources_ + directory;
        const auto named = bytes_.u16(at + 12), ids = bytes_.u16(at + 14);
        if (!named || !ids) return std::nullopt;
        for (std::uint32_t i = 0; i < *named + *ids; ++i) {
            const std::uint64_t item = at + 16 + 8ull * i;
            const auto name = bytes_.u32(item), target = bytes_.u32(item + 4);
            if (!name || !target) return std::nullopt;
            if (!id || (i >= *named && *name == *id)) return *target;
        }
        return std::nullopt;
    }

    std::string versionText() const {
        const auto type = entry(0, versionResourceType);
        if (!type || !(*type & 0x80000000u)) return "";
        const auto name = entry(*type & 0x7FFFFFFFu, std::nullopt);
        if (!name || !(*name & 0x80000000u)) return "";
        const auto language = entry(*name & 0x7FFFFFFFu, std::nullopt);
        if (!language || (*language & 0x80000000u)) return "";
        const auto dataRva = bytes_.u32(resources_ + *language);
        const auto dataSize = bytes_.u32(resources_ + *language + 4);
        if (!dataRva || !dataSize) return "";
        const auto data = fileOffset(*dataRva);
        return data ? fixedInfo(*data, *dataSize) : "";
    }

private:
    std::optional<std::uint64_t> fileOffset(std::uint32_t rva) const {
        for (const Section& s : sections_) {
            const std::uint32_t span = s.virtualSize > s.rawSize ? s.virtualSize : s.rawSize;
            if (rva >= s.virtualAddress && rva - s.virtualAddress < span)
                return static_cast<std::uint64_t>(s.rawOffset) + (rva - s.virtualAddress);
        }
        return std::nullopt;
    }

    // VS_VERSIONINFO: three 16-bit words, the key "VS_VERSION_INFO" in UTF-16
    // with its terminator, padding to 32 bits, then VS_FIXEDFILEINFO.
    std::string fixedInfo(std::uint64_t at, std::uint32_t size) const {
        const std::uint64_t keyEnd = at + 6 + 2 * 16;
        const std::uint64_t value = at + ((keyEnd - at + 3) & ~3ull);
        if (value + 16 > at + size || bytes_.u32(value) != fixedInfoSignature) return "";
        const auto high = bytes_.u32(value + 8), low = bytes_.u32(value + 12);
        if (!high || !low) return "";
        return std::to_string(*high >> 16) + "." + std::to_string(*high & 0xFFFF) + "." +
               std::to_string(*low >> 16) + "." + std::to_string(*low & 0xFFFF);
    }

    Bytes bytes_;
    std::vector<Section> sections_;
    std::uint64_t resources_ = 0;
};

}  // namespace

std::string peFileVersion(const std::string& bytes) {
    PeImage image(bytes);
    return image.locateResources() ? image.versionText() : "";
}

}  // namespace platform::posix

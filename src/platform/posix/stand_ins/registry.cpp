// The registry stand-in under <root>/registry/HKEY_LOCAL_MACHINE/.
#include "registry.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>

#include "errno_map.h"
#include "file_bytes.h"
#include "file_replace.h"
#include "registry_values.h"
#include "stand_in_files.h"
#include "unique_fd.h"

namespace platform::posix {
namespace {

// The key's folder; 123 for a key name that a folder cannot stand for ("."
// and ".." would lead elsewhere, "/" deeper), which no key of ours has.
Result<std::string> keyFolder(const std::string& path) {
    std::string folder = standInRoot() + "/registry/HKEY_LOCAL_MACHINE";
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string::npos) end = path.size();
        const std::string name = path.substr(start, end - start);
        if (name == "." || name == ".." || name.find('/') != std::string::npos)
            return Result<std::string>::failure(winerr::invalidName);
        if (!name.empty()) folder += "/" + name;
        start = end + 1;
    }
    return {folder, winerr::success};
}

// A value whose type the stand-in does not know, or cannot make out, reads
// as a value of type REG_NONE: present, but of a type no reader takes.
RegistryValue unknownType(const std::string& stored) {
    return RegistryValue{regtype::none, stored};
}

bool isFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Lines of the values file; a missing file is a key without values.
std::string readValues(const std::string& folder) {
    return readWholeFile(folder + "/values").value;
}

// Walks the lines; `visit` gets the name (none for a line that holds no value),
// the stored "TYPE:data" and the line as it stands in the file, to be written
// back unchanged. The empty name is the key's default value.
template <class Visit>
void forEachLine(const std::string& text, Visit visit) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string raw = text.substr(start, end - start);
        // A values file written on Windows ends its lines with CR LF.
        const std::string line =
            !raw.empty() && raw.back() == '\r' ? raw.substr(0, raw.size() - 1) : raw;
        const std::size_t equals = line.find('=');
        if (equals != std::string::npos)
            visit(std::optional<std::string>(line.substr(0, equals)), line.substr(equals + 1), raw);
        else
            visit(std::optional<std::string>(), std::string(), raw);
        start = end + 1;
    }
}

}  // namespace

RegistryHandle PosixRegistry::remember(const std::string& folder) {
    std::lock_guard<std::mutex> lock(mutex_);
    open_[next_] = folder;
    return next_++;
}

std::string PosixRegistry::folderOf(RegistryHandle key) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = open_.find(key);
    return found == open_.end() ? std::string() : found->second;
}

Result<RegistryHandle> PosixRegistry::openKey(const std::string& path) {
    const auto folder = keyFolder(path);
    if (!folder.ok()) return Result<RegistryHandle>::failure(folder.error);
    if (!isFolder(folder.value)) return Result<RegistryHandle>::failure(winerr::fileNotFound);
    return {remember(folder.value), winerr::success};
}

Result<RegistryHandle> PosixRegistry::createKey(const std::string& path) {
    const auto folder = keyFolder(path);
    if (!folder.ok()) return Result<RegistryHandle>::failure(folder.error);
    if (const ErrorCode error = makeFolders(folder.value))
        return Result<RegistryHandle>::failure(error);
    return {remember(folder.value), winerr::success};
}

void PosixRegistry::closeKey(RegistryHandle key) {
    std::lock_guard<std::mutex> lock(mutex_);
    open_.erase(key);
}

Result<RegistryValue> PosixRegistry::queryValue(RegistryHandle key, const std::string& name,
                                                std::size_t bufferSize) {
    const std::string folder = folderOf(key);
    if (folder.empty()) return Result<RegistryValue>::failure(winerr::invalidHandle);
    std::optional<RegistryValue> found;
    forEachLine(readValues(folder), [&](const std::optional<std::string>& lineName,
                                        const std::string& stored, const std::string&) {
        if (lineName == name) found = decodeStoredValue(stored).value_or(unknownType(stored));
    });
    if (!found) return Result<RegistryValue>::failure(winerr::fileNotFound);
    if (found->data.size() > bufferSize) return Result<RegistryValue>::failure(registryMoreData);
    return {*found, winerr::success};
}

ErrorCode PosixRegistry::setValue(RegistryHandle key, const std::string& name,
                                  const RegistryValue& value) {
    const std::string folder = folderOf(key);
    if (folder.empty()) return winerr::invalidHandle;
    const auto stored = encodeStoredValue(value);
    if (!stored || name.find('=') != std::string::npos || name.find('\n') != std::string::npos)
        return winerr::invalidParameter;
    // Writers of one key take turns: each rewrites the whole file.
    Fd lock(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!lock.open()) return setLastErrorFromErrno();
    if (const ErrorCode error = lockWithin(lock.get(), writerWait_, winerr::waitTimeout))
        return error;
    std::string text;
    bool replaced = false;
    forEachLine(readValues(folder), [&](const std::optional<std::string>& lineName,
                                        const std::string&, const std::string& line) {
        if (lineName == name && !replaced) {
            text += name + "=" + *stored + "\n";
            replaced = true;
        } else if (lineName != name) {
            text += line + "\n";
        }
    });
    if (!replaced) text += name + "=" + *stored + "\n";
    return replaceFileContent(folder + "/values", text, false);
}

}  // namespace platform::posix

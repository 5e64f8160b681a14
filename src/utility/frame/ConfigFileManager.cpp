#include "ConfigFileManager.h"

#include "ConfigTextEdits.h"
#include "FailureRecord.h"
#include "FileFuncsModule.h"
#include "VbConversions.h"
#include "VbErrors.h"

namespace Quimbo {
namespace {

const char* const source = "ConfigFileManager";
const char* const lineBreak = "\r\n";
constexpr std::int32_t subscriptOutOfRange = 9;

std::string trimBlanks(const std::string& text) {
    const auto begin = text.find_first_not_of(' ');
    if (begin == std::string::npos) return "";
    return text.substr(begin, text.find_last_not_of(' ') - begin + 1);
}

// Lines split at CR LF, lone CR and lone LF; a final break opens no empty line.
std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const auto end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + (text.compare(end, 2, lineBreak) == 0 ? 2 : 1);
    }
    return lines;
}

// The file's text, or "" when it does not exist yet.
std::string readOrEmpty(FileSystemObject& fso, const std::string& path) {
    if (!fso.FileExists(path)) return "";
    return fso.ReadAll(path);
}

// A TCP port, 1 to 65535, read as CLng reads a number; -1 for anything else.
std::int32_t portOf(const std::string& text) {
    try {
        const std::int32_t port = TextToLong(text);
        return port >= 1 && port <= 65535 ? port : -1;
    } catch (const FailureRecord&) {
        return -1;
    }
}

}  // namespace

void ConfigFileManager::Initialize(FileSystemObject& fileObject) { fileObject_ = &fileObject; }

FileSystemObject& ConfigFileManager::files() {
    if (!fileObject_)
        throw FailureRecord{91, source, "Object variable or With block variable not set"};
    return *fileObject_;
}

std::int32_t ConfigFileManager::SetConfigParams(const std::string& fileName,
                                                const std::vector<std::string>& paramsToUncomment,
                                                const std::vector<std::string>& paramsToComment,
                                                const std::vector<std::string>& paramsToSet) {
    return editSettings(fileName, paramsToUncomment, paramsToComment, paramsToSet, false,
                        platform::AtLink::replaceLink);
}

std::int32_t ConfigFileManager::editSettings(const std::string& fileName,
                                             const std::vector<std::string>& paramsToUncomment,
                                             const std::vector<std::string>& paramsToComment,
                                             const std::vector<std::string>& paramsToSet,
                                             bool ownerOnly, platform::AtLink atLink) {
    // A key without its value is the script runtime's "Subscript out of range",
    // met before anything is written.
    if (paramsToSet.size() % 2 != 0) return subscriptOutOfRange;
    try {
        std::string text = readOrEmpty(files(), fileName);
        for (const auto& key : paramsToUncomment)
            text = ReenableKey(text, key);
        for (const auto& key : paramsToComment)
            text = CommentOutKey(text, key);
        for (std::size_t i = 0; i < paramsToSet.size(); i += 2)
            text = SetKeyValue(text, paramsToSet[i], paramsToSet[i + 1]);
        // A failure half-way (disk full, a killed process) never leaves the file truncated.
        if (atLink == platform::AtLink::replaceLink)
            files().ReplaceFile(fileName, text, ownerOnly);
        else
            files().ReplaceContent(fileName, text, ownerOnly);
        return 0;
    } catch (const FailureRecord& failure) {
        return failure.number;
    }
}

std::int32_t ConfigFileManager::SetHarvellaConfigParams(const std::string& configFile,
                                                        const std::string& dbDriver,
                                                        const std::string& dbURL,
                                                        const std::string& dbUser,
                                                        const std::string& dbPassword) {
    // The file then holds the product user's password: only its owner may read it.
    return editSettings(
        configFile, {}, {},
        {"DBdriver", dbDriver, "DBurl", dbURL, "DBuser", dbUser, "DBpassword", dbPassword}, true,
        platform::AtLink::writeThrough);
}

std::string ConfigFileManager::getPropertyValue(const std::string& fileName,
                                                const std::string& propertyName) {
    std::string value;
    try {
        for (const auto& rawLine : splitLines(files().ReadAll(fileName))) {
            const std::string line = trimBlanks(rawLine);
            const auto equals = line.find('=');
            if (line.compare(0, propertyName.size(), propertyName) == 0 &&
                equals != std::string::npos)
                value = trimBlanks(line.substr(equals + 1));
        }
    } catch (const FailureRecord&) {
    }
    return value;
}

std::int32_t ConfigFileManager::getMySQLPortFromHarvellaConfig(
    const std::string& harvellaConfigFileName) {
    static const std::string scheme = "jdbc:mysql://";
    std::string url = getPropertyValue(harvellaConfigFileName, "DBurl");
    const auto query = url.rfind('?');
    if (query != std::string::npos) url.erase(query);
    const auto lastSlash = url.rfind('/');
    if (url.compare(0, scheme.size(), scheme) != 0 || lastSlash == std::string::npos ||
        lastSlash < scheme.size())
        return -1;
    const std::string hostAndPort = url.substr(scheme.size(), lastSlash - scheme.size());
    const auto colon = hostAndPort.find(':');
    if (colon == std::string::npos) return -1;
    return portOf(hostAndPort.substr(colon + 1));
}

std::int32_t ConfigFileManager::getMySQLPort(const std::string& harvellaConfigFileName,
                                             const std::string& mySQLConfigFileName) {
    const std::int32_t port = getMySQLPortFromHarvellaConfig(harvellaConfigFileName);
    if (port != -1) return port;
    const std::string configured = getPropertyValue(mySQLConfigFileName, "port");
    return configured.empty() ? -1 : portOf(configured);
}

std::string ConfigFileManager::GetRootPwdFromConfig(const std::string& rootPwdConfigFileName) {
    constexpr std::size_t leading = 7, trailing = 11;
    try {
        const auto lines = splitLines(files().ReadAll(rootPwdConfigFileName));
        if (lines.empty() || lines[0].size() < leading + trailing) return "";
        return lines[0].substr(leading, lines[0].size() - leading - trailing);
    } catch (const FailureRecord&) {
        return "";
    }
}

void ConfigFileManager::WriteRootPwdInConfig(const std::string& rootPwdConfigFileName,
                                             const std::string& rootPwdString) {
    files().ReplaceFile(rootPwdConfigFileName, rootPwdString + lineBreak, true);
}

std::string ConfigFileManager::StageRootPwdInConfig(const std::string& rootPwdConfigFileName,
                                                    const std::string& rootPwdString) {
    return CreateTempFileIn(files(), files().GetParentFolderName(rootPwdConfigFileName), "",
                            rootPwdString + lineBreak);
}

void ConfigFileManager::PutRootPwdInPlace(const std::string& stagedFile,
                                          const std::string& rootPwdConfigFileName) {
    files().MoveFileOver(stagedFile, rootPwdConfigFileName);
}

}  // namespace Quimbo

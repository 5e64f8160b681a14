#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "FileSystemObject.h"

namespace Quimbo {

// Reads and edits the utility's text configuration files: the product's
// key=value file, the MySQL option file and the root password file. Every
// operation opens, reads or writes and closes the file itself.
class ConfigFileManager {
public:
    void Initialize(FileSystemObject& fileObject);

    // Re-enables, comments out and sets keys; `paramsToSet` is key, value, key,
    // value, ... The error number that stopped the edit, 0 on success; the
    // file keeps its old content on every failure. It edits the MySQL option
    // file: a link at the path is replaced, never written through.
    std::int32_t SetConfigParams(const std::string& fileName,
                                 const std::vector<std::string>& paramsToUncomment,
                                 const std::vector<std::string>& paramsToComment,
                                 const std::vector<std::string>& paramsToSet);
    // Sets DBdriver, DBurl, DBuser and DBpassword, in that order; the file is
    // then readable by its owner only.
    std::int32_t SetHarvellaConfigParams(const std::string& configFile, const std::string& dbDriver,
                                         const std::string& dbURL, const std::string& dbUser,
                                         const std::string& dbPassword);

    // The trimmed value of the last line that starts with the name and holds
    // "="; "" when there is none or the file cannot be read.
    std::string getPropertyValue(const std::string& fileName, const std::string& propertyName);
    // The port of a "jdbc:mysql://host:port/..." DBurl, or -1. Ports are
    // TCP's 1 to 65535; anything else reads as -1.
    std::int32_t getMySQLPortFromHarvellaConfig(const std::string& harvellaConfigFileName);
    // As above, else the option file's "port" line, or -1.
    std::int32_t getMySQLPort(const std::string& harvellaConfigFileName,
                              const std::string& mySQLConfigFileName);

    // The first line without its 7 leading and 11 trailing padding letters;
    // "" when the file is missing or the line is shorter than 18 characters.
    std::string GetRootPwdFromConfig(const std::string& rootPwdConfigFileName);
    // Writes the padded line and CR LF, readable by the owner only; raises the
    // file error, and the old file stays as it was on failure. The file lies in
    // the server's data folder, where its account may plant a link: a link
    // there is replaced, never written through.
    void WriteRootPwdInConfig(const std::string& rootPwdConfigFileName,
                              const std::string& rootPwdString);

    // A new root password not yet in force: the padded line in a new file
    // beside the root password file, readable by the owner only. Returns its
    // path; the root password file is not touched.
    std::string StageRootPwdInConfig(const std::string& rootPwdConfigFileName,
                                     const std::string& rootPwdString);
    // The staged file becomes the root password file in one step.
    void PutRootPwdInPlace(const std::string& stagedFile, const std::string& rootPwdConfigFileName);

private:
    FileSystemObject& files();
    std::int32_t editSettings(const std::string& fileName,
                              const std::vector<std::string>& paramsToUncomment,
                              const std::vector<std::string>& paramsToComment,
                              const std::vector<std::string>& paramsToSet, bool ownerOnly,
                              platform::AtLink atLink);

    FileSystemObject* fileObject_ = nullptr;
};

}  // namespace Quimbo

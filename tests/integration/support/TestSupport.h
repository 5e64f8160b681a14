#pragma once
#include <string>

namespace testsupport {

struct ProgramRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs a command line (Windows quoting rules) and waits for it to end.
ProgramRun runProgram(const std::string& commandLine);

// A fresh folder under the temporary folder, removed with all its content
// when the object goes, also when the test fails.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

void writeFile(const std::string& path, const std::string& bytes, bool executable = false);
std::string readFile(const std::string& path);
void makeFolders(const std::string& path);
// Files directly in the folder whose names start with the prefix.
std::size_t countFilesStartingWith(const std::string& folder, const std::string& prefix);

std::string binDir();
// The permission bits of a file (0600 …).
unsigned fileMode(const std::string& path);

}  // namespace testsupport

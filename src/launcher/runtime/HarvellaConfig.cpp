#include "runtime/HarvellaConfig.h"

#include "frontend/LauncherErrors.h"
#include "runtime/Fio.h"
#include "runtime/LauncherSettings.h"

namespace Harvella {
namespace {

std::string notFoundMessage(const std::string& path) {
    return "Harvella configuration file does not exist: " + path;
}

// The text after the line's first "=", or the whole line without one.
std::string valueOf(const std::string& line) {
    const std::size_t equals = line.find('=');
    return equals == std::string::npos ? line : line.substr(equals + 1);
}

}  // namespace

HarvellaConfig::HarvellaConfig(platform::LauncherServices& services, const std::string& installPath)
    : files_(&services.files),
      path_(inInstallFolder(installPath, "harvella.config", services.conventions)) {
    if (!Fio::fileExists(*files_, path_)) throw HarvellaConfigNotFoundError(notFoundMessage(path_));
}

std::string HarvellaConfig::getIPAddress() {
    read();
    return ipAddress_;
}

std::string HarvellaConfig::getHTTPPort() {
    read();
    return httpPort_;
}

// Every matching line overwrites the earlier value, so the last one wins;
// only a "#" in the very first column makes a comment.
void HarvellaConfig::read() {
    const auto content = files_->readWritable(path_);
    if (!content.ok()) throw HarvellaConfigNotFoundError(notFoundMessage(path_));
    const std::string& text = content.value;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] == '#') continue;
        if (line.find("IPaddress") != std::string::npos)
            ipAddress_ = valueOf(line);
        else if (line.find("HTTPPort") != std::string::npos)
            httpPort_ = valueOf(line);
    }
}

}  // namespace Harvella

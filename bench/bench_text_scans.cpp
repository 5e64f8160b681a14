// Times the line scans that read configuration files and the MySQL client's
// version answer on text with very long lines: the three configuration edits
// on a 10 MB file that holds a 1 MB line, and the whole version check (action
// 6 of Quimbo with a client that answers 1 MB on one line). Prints figures;
// asserts nothing.
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "frame/ConfigFileManager.h"
#include "frame/ExecCmdModule.h"
#include "frame/FileSystemObject.h"
#include "platform/platform.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int runs = 5;

double medianMilliseconds(const std::function<void()>& prepare, const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        prepare();
        const auto start = Clock::now();
        work();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// 9 MB of ordinary settings around one 1 MB line, with every key the edits look for.
std::string tenMegabyteConfig() {
    std::string text =
        "#port=3306\r\nskip-innodb=1\r\nDBurl=old\r\nnote=" + std::string(1 << 20, 'x') + "\r\n";
    for (int i = 0; text.size() < (10u << 20); ++i)
        text += "setting" + std::to_string(i) + " = value " + std::to_string(i) + "\r\n";
    return text;
}

void writeFile(const std::string& path, const std::string& text, bool executable = false) {
    std::ofstream(path, std::ios::binary) << text;
    if (executable)
        std::filesystem::permissions(path, std::filesystem::perms::owner_exec,
                                     std::filesystem::perm_options::add);
}

}  // namespace

int main() {
    char folderTemplate[] = "/tmp/bench-text-scans-XXXXXX";
    const std::string folder = ::mkdtemp(folderTemplate);
    auto system = platform::makeSystemServices(0, nullptr);
    platform::Services& services = system->services();
    Quimbo::FileSystemObject fso(services.files, services.random, services.conventions);
    Quimbo::ConfigFileManager config;
    config.Initialize(fso);

    const std::string file = folder + "/my-medium.ini";
    const std::string text = tenMegabyteConfig();
    const auto fresh = [&] { writeFile(file, text); };
    const double uncomment =
        medianMilliseconds(fresh, [&] { config.SetConfigParams(file, {"port"}, {}, {}); });
    const double comment =
        medianMilliseconds(fresh, [&] { config.SetConfigParams(file, {}, {"skip-innodb"}, {}); });
    const double set = medianMilliseconds(fresh, [&] {
        config.SetConfigParams(file, {}, {}, {"DBurl", "new"});
    });
    std::printf(
        "configuration edits on %.1f MB holding a 1 MB line, median of %d: re-enable %.0f ms, "
        "comment out %.0f ms, set %.0f ms (target each < 1000 ms)\n",
        text.size() / 1048576.0, runs, uncomment, comment, set);

    const std::string install = folder + "/install";
    std::filesystem::create_directories(install + "/MySQL/bin");
    writeFile(folder + "/answer",
              "mysql  Ver 14.14 Distrib 5.6.11, " + std::string(1 << 20, 'x') + "\n");
    writeFile(install + "/MySQL/bin/mysql", "#!/bin/sh\nexec cat '" + folder + "/answer'\n", true);
    int exitCode = -1;
    const double check = medianMilliseconds(
        [] {},
        [&] {
            std::string err, out;
            exitCode = Quimbo::ExecCmd(
                services, "\"" + std::string(HARVELLA_BIN_DIR) + "/Quimbo\" \"6|" + install + "\"",
                err, out);
        });
    std::printf(
        "version check (whole Quimbo run) on a 1 MB answer line, median of %d: %.0f ms, "
        "exit code %d (target < 1000 ms)\n",
        runs, check, exitCode);

    std::filesystem::remove_all(folder);
    return 0;
}

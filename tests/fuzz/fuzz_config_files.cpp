// The utility's configuration files as another program or a person left them:
// the property and port readers, the root password file, and the edits of
// SetConfigParams. Input: the file's text, then after a NUL byte the edits,
// one per line: "u:key" re-enables, "c:key" comments out, "s:key=value" sets.
// Keys are the utility's own (lines with another key are left out); values
// and texts are anything.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "InputLines.h"
#include "fakes/FakeServices.h"
#include "frame/ConfigFileManager.h"

namespace {

bool isKeyOfOurs(const std::string& key) {
    for (const char* ours :
         {"DBdriver", "DBurl", "DBuser", "DBpassword", "port", "log-bin", "binlog_format"})
        if (key == ours) return true;
    return false;
}

struct Edits {
    std::vector<std::string> uncomment, comment, set;
};

Edits editsOf(const std::string& text) {
    Edits edits;
    fuzzsupport::forEachLine(text, [&](const std::string& line) {
        if (line.size() < 2 || line[1] != ':') return;
        const std::string item = line.substr(2);
        const std::size_t equals = item.find('=');
        const std::string key = item.substr(0, equals);
        if (!isKeyOfOurs(key)) return;
        if (line[0] == 'u') edits.uncomment.push_back(key);
        if (line[0] == 'c') edits.comment.push_back(key);
        if (line[0] == 's') {
            edits.set.push_back(key);
            edits.set.push_back(equals == std::string::npos ? "" : item.substr(equals + 1));
        }
    });
    return edits;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find('\0');
    const std::string text = input.substr(0, split);
    const Edits edits = editsOf(split == std::string::npos ? "" : input.substr(split + 1));

    fakes::FakeServices fake;
    fake.files.files["/tmp/harvella.config"] = text;
    fake.files.files["/tmp/my-medium.ini"] = text;
    fake.files.files["/tmp/data.ptc"] = text;
    Quimbo::FileSystemObject fso(fake.files, fake.random, fakes::linuxConventions());
    Quimbo::ConfigFileManager config;
    config.Initialize(fso);

    // The password is what the padding of its line leaves.
    const std::string password = config.GetRootPwdFromConfig("/tmp/data.ptc");
    if (!password.empty() && password.size() + 18 > text.size()) std::abort();
    config.getMySQLPort("/tmp/harvella.config", "/tmp/my-medium.ini");
    for (const std::string& key : edits.comment)
        config.getPropertyValue("/tmp/harvella.config", key);

    // On a file that can be read and written, every edit succeeds.
    if (config.SetConfigParams("/tmp/harvella.config", edits.uncomment, edits.comment, edits.set) !=
        0)
        std::abort();
    return 0;
}

// File names in the scripts folder, which the installation may hold in any
// spelling: the highest base version and the next edition found among them.
// Input: the names, one per line. A failure may only be a failure record.
#include <cstddef>
#include <cstdint>
#include <string>

#include "InputLines.h"
#include "fakes/FakeServices.h"
#include "frame/FailureRecord.h"
#include "frame/PatchesManager.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string names(reinterpret_cast<const char*>(data), size);
    fakes::FakeServices fake;
    fake.files.folders.insert("/scripts");
    fuzzsupport::forEachLine(names, [&](const std::string& name) {
        if (!name.empty() && name.find('/') == std::string::npos)
            fake.files.files["/scripts/" + name] = "";
    });
    Quimbo::FileSystemObject fso(fake.files, fake.random, fakes::linuxConventions());
    for (const char* type : {"access97", "mysql4"}) {
        Quimbo::PatchesManager patches;
        patches.Initialize(fso, "/scripts", type);
        try {
            const std::int16_t base = patches.getMaxPatchVersion();
            for (std::int16_t edition = 0; edition < 3; ++edition)
                patches.getNextEditionVer(base, edition);
        } catch (const Quimbo::FailureRecord&) {
        }
    }
    return 0;
}

// Decisions of the Access path that the end-to-end runs reach only at some
// cost: the collating order per locale, the script splitting rules, the Jet
// version arithmetic, the backup's space check at its edge and DAO's failed
// registration under the installer page (the copy and the regsvr32 run
// themselves are checked under Wine).
#include <gtest/gtest.h>

#include "access/AccessDBInstaller.h"
#include "access/AccessScript.h"
#include "access/CollatingOrders.h"
#include "access/daoInstaller.h"
#include "access/msJetChecker.h"
#include "fakes/FakeServices.h"
#include "frame/guiManager.h"

namespace {

using namespace Quimbo;

TEST(CollatingOrder, TheFirstOrderOfTheLocalesLanguageElseTheGeneralOrder) {
    EXPECT_EQ(ChooseCollatingOrder(0x419), ";LANGID=0x0419;CP=1251;COUNTRY=0");
    EXPECT_EQ(ChooseCollatingOrder(0x804), ";LANGID=0x0804;CP=936;COUNTRY=0");
    EXPECT_EQ(ChooseCollatingOrder(0x41D), ";LANGID=0x041D;CP=1252;COUNTRY=0");
    for (const std::uint32_t unknown : {0x407u, 0x10419u, 0x0u})
        EXPECT_EQ(ChooseCollatingOrder(unknown), ";LANGID=0x0409;CP=1252;COUNTRY=0") << unknown;
}

TEST(ScriptStatements, SplitAtCrLfLinesEndingInASemicolonOutsideEveryLiteral) {
    const struct {
        const char* script;
        std::vector<std::string> statements;
    } cases[] = {
        // A bare LF does not end a line; blanks and tabs may follow the ";".
        {"a;\nb; \t\r\nc;", {"a;\nb; \t\n", "c;\n"}},
        // A "--" anywhere drops its line, also inside a literal.
        {"insert 'x\r\n-- y;\r\nz';\r\n", {"insert 'x\nz';\n"}},
        // A quote of the other kind is plain text inside a literal.
        {"say \"it's;\r\nfine\";\r\n", {"say \"it's;\nfine\";\n"}},
        // Text without a closing ";" is no statement; a byte order mark is no text.
        {"\xEF\xBB\xBFone;\r\n\r\ntwo", {"one;\n"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ScriptStatements(c.script), c.statements) << c.script;
}

TEST(JetVersion, TheFirstThreeNumbersCountAndAnythingShorterIsNoVersion) {
    EXPECT_EQ(msJetChecker::VersionToInteger("4.0.9511.0"), 4 * 16777216 + 9511);
    EXPECT_EQ(msJetChecker::VersionToInteger("3.51.3328"), 3 * 16777216 + 51 * 65536 + 3328);
    for (const char* broken : {"", "4.0", "4.x.1", "4..1"})
        EXPECT_EQ(msJetChecker::VersionToInteger(broken), 0) << broken;
    EXPECT_TRUE(msJetChecker::IsVersionHigher("4.0.9511.0", "3.51.3328.0"));
    EXPECT_TRUE(msJetChecker::IsVersionLower("3.51.3328.0", "4.0.0"));
}

TEST(AccessBackup, ExactlyTheFilesSizeInFreeSpaceIsEnough) {
    for (const std::uint64_t free : {9u, 10u}) {
        fakes::FakeServices fake;
        fake.files.folders.insert({"/inst", "/d"});
        fake.files.files["/d/old.mdb"] = "0123456789";
        fake.files.freeBytes = free;
        Args args =
            SplitArgumentLine("0|/inst|harvella.config|1|2|3|4|5|6|UpgradeWithBackUp|b|/d/old.mdb");
        int count = static_cast<int>(args.size());
        AccessDBInstaller installer(fake.services);
        installer.Initialize(args, count);
        const int exitCode = fakes::exitCodeOf([&] { installer.InstallDB(); });
        EXPECT_EQ(exitCode == 3000, free < 10) << free << " bytes free, exit " << exitCode;
        EXPECT_EQ(fake.files.files.count("/d/old-b.12082026.090507.mdb"), free < 10 ? 0u : 1u)
            << free << " bytes free";
    }
}

TEST(DaoSetup, AFailedRegistrationUnderTheInstallerPageSaysSoAndEndsWith3003) {
    fakes::FakeServices fake;
    fake.files.folders.insert({"/C", "/C/Program Files", "/C/Program Files/Common Files",
                               "/C/Program Files/Common Files/Microsoft Shared", "/inst"});
    fake.files.files["/inst/database/tools/dao360.dll"] = "library";
    fake.processes.children.push_back(fakes::ScriptedChild{{}, {}, 3, "", 0});
    guiManager window(fake.services);
    window.Initialize(1, 2, 3, 4, 5, 6);
    daoInstaller installer(fake.services);
    installer.Initialize(window, "/inst");

    EXPECT_EQ(fakes::exitCodeOf([&] { installer.SetupDaoIfNeeded(); }), 3003);
    bool shown = false;
    for (const auto& call : fake.windows.calls)
        shown =
            shown || call.find(
                         "Failed to install database due to the following reason: Setup "
                         "failed to install Microsoft DAO 3.6 Object Library") != std::string::npos;
    EXPECT_TRUE(shown);
    EXPECT_EQ(fake.console.out, "");
}

}  // namespace

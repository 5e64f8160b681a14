// The Access path of Quimbo.exe under Wine, where the stand-in servers answer
// DAO.DBEngine.36 and the ADO ProgIDs and log every late-bound call. The
// decisions themselves are tested on Linux; these runs check the Windows side:
// member names, argument order and types, regsvr32, the locale, the system
// folder and version resources. The cases run in order: the first installs DAO.
#include <gtest/gtest.h>
#include <windows.h>

#include "AccessDatabase.h"
#include "support/WineSupport.h"

namespace {

using accesstest::sql;
using winesupport::readFile;
using winesupport::runProgram;

const std::string daoFolder = "C:\\Program Files\\Common Files\\Microsoft Shared\\DAO";
const std::string daoLibrary = daoFolder + "\\dao360.dll";

std::string fixtures() {
    return winesupport::fixturesFolder() + "\\access";
}

void writeFile(const std::string& path, const std::string& bytes) {
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
}

class AccessUnderWine : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const auto registered = runProgram("regsvr32.exe /s \"" + fixtures() + "\\test_ado.dll\"");
        ASSERT_EQ(registered.exitCode, 0) << "the test ADO server did not register";
    }
    void SetUp() override {
        for (const char* folder : {"", "\\database", "\\database\\tools", "\\database\\scripts"})
            winesupport::makeFolder(installDir + folder);
        for (const char* script :
             {"harvella.access97.sql", "patch_10-11.2.access97.sql", "patch_11.access97.sql",
              "patch_12.access97.sql", "patch_13.access97.sql", "patch_13-14.0.access97.sql",
              "patch_14.access97.sql", "patch_14_fix.access97.sql", "patch_15.access97.sql"})
            winesupport::copyFile(fixtures() + "\\scripts\\" + script,
                                  installDir + "\\database\\scripts\\" + script);
        winesupport::copyFile(fixtures() + "\\dao360.dll", tools() + "\\dao360.dll");
        winesupport::copyFile(winesupport::programFolder() + "\\mdbconvert.exe",
                              tools() + "\\mdbconvert.exe");
        writeFile(installDir + "\\harvella.config", "HTTPPort=8080\r\n");
        ::SetEnvironmentVariableA("HARVELLA_COM_LOG", log().c_str());
    }
    void TearDown() override { ::SetEnvironmentVariableA("HARVELLA_COM_LOG", nullptr); }

    std::string tools() const { return installDir + "\\database\\tools"; }
    std::string log() const { return folder / "com.log"; }
    bool logged(const std::string& line) const {
        return readFile(log()).find(line + "\n") != std::string::npos;
    }
    winesupport::ProgramRun quimbo(const std::string& line) {
        return runProgram("\"" + winesupport::programFolder() + "\\Quimbo.exe\" " + line);
    }
    winesupport::ProgramRun install(const std::string& mode) {
        return quimbo("0|" + installDir + "|harvella.config|0|0|0|0|0|0|" + mode + "|");
    }
    void makeDatabase(int base) {
        sql(database,
            "create table patch_history (patch integer, pack_version integer);"
            "create table hv_user (id integer primary key, login varchar(50));"
            "create table invoice_terms (id integer);"
            "insert into hv_user (login) values ('admin');"
            "insert into patch_history values (" +
                std::to_string(base) + ", 0);");
    }

    winesupport::TempFolder folder;
    const std::string installDir = folder / "Harvella Server";
    const std::string database = installDir + "\\database\\harvella.mdb";
};

TEST_F(AccessUnderWine, DaoSetupRegistersTheLibraryAndEndsWith3003WhenRegsvr32Fails) {
    runProgram("regsvr32.exe /u /s \"" + daoLibrary + "\"");
    winesupport::makeFolder(daoFolder);
    writeFile(daoLibrary, "not a library");
    const std::string line = "5|" + installDir + "|" + tools() + "\\dao360.dll";
    auto run = quimbo(line);
    EXPECT_EQ(run.exitCode, 3003);
    EXPECT_EQ(run.out, "");
    // A library already in the folder is registered again, not replaced.
    EXPECT_EQ(readFile(daoLibrary), "not a library");

    ::DeleteFileA(daoLibrary.c_str());
    run = quimbo(line);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(readFile(daoLibrary), readFile(tools() + "\\dao360.dll"));
    HKEY key = nullptr;
    EXPECT_EQ(::RegOpenKeyA(HKEY_CLASSES_ROOT, "DAO.DBEngine.36\\CLSID", &key), ERROR_SUCCESS);
    if (key) ::RegCloseKey(key);
}

TEST_F(AccessUnderWine, CreateTakesTheRussianCollatingOrderAndRunsTheScriptsThroughAdo) {
    // CTest runs this program under the Russian locale.
    const auto run = install("Create");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_TRUE(logged("DBEngine.CreateDatabase(BSTR:" + database +
                       ", BSTR:;LANGID=0x0419;CP=1251;COUNTRY=0)"))
        << readFile(log());
    EXPECT_TRUE(logged("Connection.Open(BSTR:Provider=Microsoft.Jet.OLEDB.4.0;Data Source=\"" +
                       database + "\";, BSTR:, BSTR:)"));
    EXPECT_TRUE(logged("Connection.Execute(BSTR:select max(patch) from patch_history;)"));
    EXPECT_EQ(sql(database, "select patch from patch_history order by rowid;"),
              "10,11,12,13,14,15");
    EXPECT_EQ(sql(database, "pragma application_id;"), std::to_string(0x419));
    std::string url = "DBurl=jdbc:izmado:harvelladb;IzmDllPath=";
    for (const char c : tools() + "\\izmjniado.dll")
        url += c == '\\' ? "\\\\" : std::string(1, c);
    EXPECT_NE(readFile(installDir + "\\harvella.config").find(url + "\r\n"), std::string::npos);
}

TEST_F(AccessUnderWine, WithConvertCompactsThroughDaoAndLeavesADamagedFileAsItWas) {
    makeDatabase(14);
    auto run = install("UpgradeWithConvert");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    const std::string compact = "DBEngine.CompactDatabase(BSTR:" + database +
                                ", BSTR:" + installDir + "\\database\\~mdbconvert-";
    EXPECT_NE(readFile(log()).find(compact), std::string::npos) << readFile(log());
    EXPECT_NE(readFile(log()).find("\\harvella.mdb, MISSING, I4:64)\n"), std::string::npos);
    EXPECT_EQ(sql(database, "pragma user_version;"), "64");
    EXPECT_EQ(sql(database, "select patch from patch_history order by rowid;"), "14,15");

    writeFile(database, "not a database");
    run = install("UpgradeWithConvert");
    EXPECT_EQ(run.exitCode, 3007);
    EXPECT_EQ(readFile(database), "not a database");
}

TEST_F(AccessUnderWine, TheCheckerOpensAKeysetRecordsetAndAnswersOneForALockedFile) {
    makeDatabase(15);
    EXPECT_EQ(quimbo("3|" + database).exitCode, 0);
    EXPECT_TRUE(
        logged("Recordset.Open(BSTR:select count(*) from hv_user, DISPATCH, I4:1, I4:3, I4:-1)"))
        << readFile(log());
    HANDLE held = ::CreateFileA(database.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(quimbo("3|" + database).exitCode, 1);
    ::CloseHandle(held);
}

TEST_F(AccessUnderWine, TheJetCheckReadsTheVersionResourcesInTheSystemFolder) {
    char buffer[MAX_PATH];
    const std::string system(buffer, ::GetSystemDirectoryA(buffer, MAX_PATH));
    const char* libraries[] = {"MSJETOLEDB40.DLL", "MSJET35.DLL", "MSJET40.DLL"};
    const int expected[] = {1, 1, 0};
    for (int i = 0; i < 3; ++i) {
        winesupport::copyFile(fixtures() + "\\" + libraries[i], system + "\\" + libraries[i]);
        EXPECT_EQ(quimbo("4").exitCode, expected[i]) << "with " << libraries[i];
    }
    for (const char* library : libraries)
        ::DeleteFileA((system + "\\" + library).c_str());
}

}  // namespace

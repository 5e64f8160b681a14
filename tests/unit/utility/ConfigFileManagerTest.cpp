#include <gtest/gtest.h>

#include "RaisedBy.h"
#include "fakes/FakeServices.h"
#include "frame/ConfigFileManager.h"

namespace {

using Keys = std::vector<std::string>;

struct ConfigFiles {
    fakes::FakeServices fake;
    Quimbo::FileSystemObject fso{fake.files, fake.random, fakes::linuxConventions()};
    Quimbo::ConfigFileManager config;
    ConfigFiles() {
        fake.files.folders.insert("/inst");
        config.Initialize(fso);
    }
    // The file's text after the edit; the edit must succeed.
    std::string edited(const std::string& text, const Keys& uncomment, const Keys& comment,
                       const Keys& set) {
        fake.files.files["/inst/my.ini"] = text;
        EXPECT_EQ(config.SetConfigParams("/inst/my.ini", uncomment, comment, set), 0);
        return fake.files.files["/inst/my.ini"];
    }
    std::size_t fileCount() const { return fake.files.files.size(); }
};

TEST(ConfigFileEdits, ReenablingDropsTheHashBeforeTheKeyAnywhereCaseSensitively) {
    ConfigFiles files;
    EXPECT_EQ(files.edited("#port=1\r\nx=2 #port=3\r\n#PORT=4\r\n", {"port"}, {}, {}),
              "port=1\r\nx=2 port=3\r\n#PORT=4\r\n");
}

TEST(ConfigFileEdits, CommentingOutPutsTheHashBeforeLeadingBlanksOfActiveLinesOnly) {
    ConfigFiles files;
    EXPECT_EQ(files.edited("skip-innodb=1\r\n\r\n  Skip-InnoDB = 2\r\n#skip-innodb=3\r\n"
                           "skip-innodbx=4\r\nmy-skip-innodb=5\r\n",
                           {}, {"skip-innodb"}, {}),
              "#skip-innodb=1\r\n\r\n#  Skip-InnoDB = 2\r\n#skip-innodb=3\r\n"
              "skip-innodbx=4\r\nmy-skip-innodb=5\r\n");
}

TEST(ConfigFileEdits, SettingReplacesActiveAndCommentedLinesWholeAndIgnoresCase) {
    ConfigFiles files;
    EXPECT_EQ(files.edited("[client]\r\n#DBurl = old\r\nx=1\r\n  dburl=older\r\n", {}, {},
                           {"DBurl", "new"}),
              "[client]\r\nDBurl=new\r\nx=1\r\nDBurl=new\r\n");
}

TEST(ConfigFileEdits, ValuesAreWrittenLiterallyWithDollarsAndBackslashes) {
    ConfigFiles files;
    const std::string password = "p$1a$$s\\w$&d\\1";
    EXPECT_EQ(files.edited("DBpassword=x\r\n", {}, {}, {"DBpassword", password}),
              "DBpassword=" + password + "\r\n");
    EXPECT_EQ(files.edited("a=1\r\n", {}, {}, {"DBpassword", password}),
              "a=1\r\nDBpassword=" + password + "\r\n");
}

TEST(ConfigFileEdits, KeepsLfAndCrLineEndsOfTheFile) {
    ConfigFiles files;
    EXPECT_EQ(files.edited("a=1\nDBuser=x\nb=2\n", {}, {"a"}, {"DBuser", "y"}),
              "#a=1\nDBuser=y\nb=2\n");
    EXPECT_EQ(files.edited("a=1\rDBuser=x\rb=2", {}, {"b"}, {"DBuser", "y"}),
              "a=1\rDBuser=y\r#b=2");
}

TEST(ConfigFileEdits, ALineOfAMegabyteIsEditedLikeAnyOther) {
    ConfigFiles files;
    const std::string longLine = "note=" + std::string(1 << 20, 'x') + "\r\n";
    EXPECT_EQ(files.edited(longLine + "#port=1\r\nskip-innodb = 1\r\nDBurl\r\n=old\r\n" + longLine,
                           {"port"}, {"skip-innodb"}, {"DBurl", "new"}),
              longLine + "port=1\r\n#skip-innodb = 1\r\nDBurl=new\r\n" + longLine)
        << "a key that ends its line takes the \"=\" of the next line along";
}

TEST(ConfigFileEdits, AnAppendedSettingStartsOnALineOfItsOwn) {
    ConfigFiles files;
    EXPECT_EQ(files.edited("a=1\r\n", {}, {}, {"b", "2"}), "a=1\r\nb=2\r\n");
    EXPECT_EQ(files.edited("a=1", {}, {}, {"b", "2", "c", "3"}), "a=1\r\nb=2\r\nc=3\r\n");
    EXPECT_EQ(files.edited("a=1\n", {}, {}, {"b", "2"}), "a=1\nb=2\r\n");
}

TEST(ConfigFileEdits, AMissingFileIsCreatedWithTheSettingsInTheirOrderForItsOwnerOnly) {
    ConfigFiles files;
    EXPECT_EQ(files.config.SetHarvellaConfigParams("/inst/harvella.config", "org.Driver",
                                                   "jdbc:mysql://localhost:3306/hv", "hv", "pw"),
              0);
    EXPECT_EQ(files.fake.files.files["/inst/harvella.config"],
              "DBdriver=org.Driver\r\nDBurl=jdbc:mysql://localhost:3306/hv\r\nDBuser=hv\r\n"
              "DBpassword=pw\r\n");
    EXPECT_EQ(files.fake.files.privateFiles.count("/inst/harvella.config"), 1u)
        << "it holds a password";
    EXPECT_EQ(files.fileCount(), 1u) << "no temporary file stays behind";
}

TEST(ConfigFileEdits, FailuresReturnTheErrorNumberAndKeepTheOldContent) {
    ConfigFiles files;
    EXPECT_EQ(files.config.SetConfigParams("/nowhere/a.ini", {}, {}, {"a", "1"}), 76);
    EXPECT_EQ(files.config.SetConfigParams("/inst/a.ini", {}, {}, {"a", "1", "b"}), 9);
    EXPECT_EQ(files.fileCount(), 0u);

    files.fake.files.files["/inst/my.ini"] = "a=1\r\n";
    files.fake.files.writes.failOnCall(files.fake.files.writes.calls() + 1,
                                       platform::winerr::diskFull);
    EXPECT_EQ(files.config.SetConfigParams("/inst/my.ini", {}, {}, {"a", "2"}), 61);
    EXPECT_EQ(files.fake.files.files["/inst/my.ini"], "a=1\r\n");
    EXPECT_EQ(files.fileCount(), 1u) << "no temporary file stays behind";
}

TEST(ConfigFileProperties, TheLastMatchingLineWinsTrimmedOfBlanks) {
    ConfigFiles files;
    files.fake.files.files["/inst/h.config"] =
        "  DBurl =  first  \r\n#DBuser=no\nDBuser = a=b \rDBurl= second \r\n";
    EXPECT_EQ(files.config.getPropertyValue("/inst/h.config", "DBurl"), "second");
    EXPECT_EQ(files.config.getPropertyValue("/inst/h.config", "DBuser"), "a=b");
    EXPECT_EQ(files.config.getPropertyValue("/inst/h.config", "dburl"), "");
    EXPECT_EQ(files.config.getPropertyValue("/inst/missing", "DBurl"), "");
}

TEST(ConfigFileProperties, ALongerKeyStartingWithTheNameAlsoMatches) {
    ConfigFiles files;
    files.fake.files.files["/inst/h.config"] = "port=3306\r\nport-open=1\r\nportal\r\n";
    EXPECT_EQ(files.config.getPropertyValue("/inst/h.config", "port"), "1");
}

TEST(ConfigFilePorts, TheUrlPortComesFirstThenTheOptionFileAndAnyTcpPortIsTaken) {
    ConfigFiles files;
    auto& disk = files.fake.files.files;
    disk["/inst/my.ini"] = "[client]\r\nport = 3310\r\n";
    const auto port = [&](const std::string& url) {
        disk["/inst/h.config"] = "DBurl=" + url + "\r\n";
        return std::make_pair(files.config.getMySQLPortFromHarvellaConfig("/inst/h.config"),
                              files.config.getMySQLPort("/inst/h.config", "/inst/my.ini"));
    };
    using Ports = std::pair<std::int32_t, std::int32_t>;
    EXPECT_EQ(port("jdbc:mysql://localhost:3307/hv?a=b/c&d=e"), Ports(3307, 3307));
    EXPECT_EQ(port("jdbc:mysql://localhost:65535/hv"), Ports(65535, 65535));
    EXPECT_EQ(port("jdbc:mysql://localhost:40000/hv"), Ports(40000, 40000));
    EXPECT_EQ(port("jdbc:mysql://localhost:65536/hv"), Ports(-1, 3310));
    EXPECT_EQ(port("jdbc:mysql://localhost:0/hv"), Ports(-1, 3310));
    EXPECT_EQ(port("jdbc:mysql://localhost/hv"), Ports(-1, 3310));
    EXPECT_EQ(port("jdbc:mysql://localhost:x1/hv"), Ports(-1, 3310));
    EXPECT_EQ(port("JDBC:mysql://localhost:3307/hv"), Ports(-1, 3310));
    EXPECT_EQ(port("jdbc:mysql://localhost:3307"), Ports(-1, 3310));
    disk["/inst/my.ini"] = "port=50000\r\n";
    EXPECT_EQ(port("jdbc:odbc:hv"), Ports(-1, 50000));
    disk.erase("/inst/my.ini");
    EXPECT_EQ(port("jdbc:odbc:hv"), Ports(-1, -1));
}

TEST(RootPasswordFile, ThePasswordSitsBetweenSevenAndElevenLetters) {
    ConfigFiles files;
    auto& disk = files.fake.files.files;
    const auto read = [&](const std::string& text) {
        disk["/inst/data.ptc"] = text;
        return files.config.GetRootPwdFromConfig("/inst/data.ptc");
    };
    EXPECT_EQ(read("abcdefgpwABCDEFGHIJK\r\nnext"), "pw");
    EXPECT_EQ(read("abcdefgABCDEFGHIJK\r\n"), "");
    EXPECT_EQ(read("abcdefgABCDEFGHIJ\r\n"), "");
    EXPECT_EQ(read(""), "");
    disk.erase("/inst/data.ptc");
    EXPECT_EQ(files.config.GetRootPwdFromConfig("/inst/data.ptc"), "");
}

TEST(RootPasswordFile, WritingStoresTheLinePrivatelyOrRaisesAndKeepsTheOldOne) {
    ConfigFiles files;
    files.config.WriteRootPwdInConfig("/inst/data.ptc", "abcdefgs$3\\cretABCDEFGHIJK");
    EXPECT_EQ(files.fake.files.files["/inst/data.ptc"], "abcdefgs$3\\cretABCDEFGHIJK\r\n");
    EXPECT_EQ(files.fake.files.privateFiles.count("/inst/data.ptc"), 1u);
    EXPECT_EQ(files.config.GetRootPwdFromConfig("/inst/data.ptc"), "s$3\\cret");

    files.fake.files.writes.failOnCall(files.fake.files.writes.calls() + 1,
                                       platform::winerr::accessDenied);
    EXPECT_EQ(
        std::get<0>(raisedBy([&] { files.config.WriteRootPwdInConfig("/inst/data.ptc", "new"); })),
        70)
        << "Permission denied";
    EXPECT_EQ(files.fake.files.files["/inst/data.ptc"], "abcdefgs$3\\cretABCDEFGHIJK\r\n");
    EXPECT_EQ(raisedBy([&] { files.config.WriteRootPwdInConfig("/nowhere/data.ptc", "x"); }),
              Raised(76, "/nowhere/data.ptc", "Path not found"));
}

}  // namespace

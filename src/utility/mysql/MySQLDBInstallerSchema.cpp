// The product database of MySQLDBInstaller: created when missing, given its
// schema when (nearly) empty, its version read, the fix for base 14 and every
// newer numbered patch applied; dropped and rebuilt for a database update.
#include "MySQLDBInstaller.h"
#include "MySQLFailureNumbers.h"
#include "frame/VbConversions.h"

namespace Quimbo {
namespace {

using namespace mysqlfailure;

constexpr std::int16_t fix14Base = 14;

// The base-10 editions were recorded as product features, not as pack versions.
const char* const featureQuery =
    "select group_concat(                 "
    "         distinct feature_code       "
    "         order by feature_code       "
    "         separator '_') as features, "
    "       count(distinct feature_code)  "
    "         as features_num             "
    "  from feature_patch_history;";

std::string lowerCase(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// A maximum over no rows (or over NULLs) counts as 0.
std::int16_t wholeNumber(const std::optional<std::string>& value) {
    return !value || *value == "NULL" ? 0 : TextToInteger(*value);
}

// A database whose files were removed behind the server's back: creating a
// table fails because its constraint names are still taken. Servers end the
// errno with ")" or go on with its meaning in quotes.
bool filesRemovedBehindServer(const std::string& text) {
    return text.find("ERROR 1005") != std::string::npos &&
           (text.find("(errno: 121)") != std::string::npos ||
            text.find("(errno: 121 ") != std::string::npos);
}

}  // namespace

MySQLConnection MySQLDBInstaller::asProductUser(const std::string& database) const {
    return connection(database, settings_.GetMySQLHarvellaUserName(),
                      settings_.GetMySQLHarvellaUserPwd());
}

void MySQLDBInstaller::logLine(const std::string& text) {
    window_.AddRichEditText(guiManager::MakeRTFStr(text, false));
}

MySQLDBInstaller::SchemaVersion MySQLDBInstaller::GetSchemaVersion() {
    const MySQLConnection productDatabase = asProductUser(settings_.GetMySQLHarvellaDBName());
    SchemaVersion version;
    {
        MySQLResultSet tables = client_.sqlExec(productDatabase, "show tables;");
        bool history = false;
        while (!history && MySQLManager::sqlHasNext(tables))
            history =
                lowerCase(MySQLManager::sqlGet(MySQLManager::sqlNext(tables), 0).value_or("")) ==
                "patch_history";
        if (!history) return version;
    }
    {
        MySQLResultSet patch =
            client_.sqlExec(productDatabase, "select max(patch) from patch_history;");
        if (MySQLManager::sqlHasErrors(patch))
            throw FailureRecord{versionUnknown, "obtain version of current database schema",
                                MySQLManager::sqlGetError(patch)};
        if (MySQLManager::sqlHasNext(patch))
            version.patch = wholeNumber(MySQLManager::sqlGet(MySQLManager::sqlNext(patch), 0));
    }
    {
        MySQLResultSet edition = client_.sqlExec(
            productDatabase, "select max(pack_version) from patch_history where patch = '" +
                                 std::to_string(version.patch) + "';");
        if (!MySQLManager::sqlHasErrors(edition) && MySQLManager::sqlHasNext(edition))
            version.edition = wholeNumber(MySQLManager::sqlGet(MySQLManager::sqlNext(edition), 0));
    }
    if (version.patch != 10 || version.edition != 0) return version;
    MySQLResultSet features = client_.sqlExec(productDatabase, featureQuery);
    if (MySQLManager::sqlHasErrors(features) || !MySQLManager::sqlHasNext(features)) return version;
    const auto row = MySQLManager::sqlNext(features);
    const std::string recorded = MySQLManager::sqlGet(row, 0).value_or("");
    const auto count = TextToLong(MySQLManager::sqlGet(row, 1).value_or(""));
    if (recorded == "LTT_RA_TTC" && count == 3)
        version.edition = 2;
    else if (recorded == "RA_TTC" && count == 2)
        version.edition = 1;
    return version;
}

void MySQLDBInstaller::ApplyFix14IfNeeded(std::int16_t patch) {
    if (patch < fix14Base) return;
    MySQLResultSet invoiceTerms = client_.sqlExec(asProductUser(settings_.GetMySQLHarvellaDBName()),
                                                  "select * from invoice_terms;");
    const bool missing = MySQLManager::sqlHasErrors(invoiceTerms);
    MySQLManager::sqlClose(invoiceTerms);
    if (!missing) return;
    ExecScriptOrRaise(settings_.GetMySQLHarvellaDBName(), patches_.getFix14PatchName(),
                      "Failed to apply fix14 patch", settings_.GetMySQLHarvellaUserName(),
                      settings_.GetMySQLHarvellaUserPwd(), schemaFailed);
    logLine("Applied fix14 patch");
}

void MySQLDBInstaller::CreateOrUpdateSchema() {
    const std::string database = settings_.GetMySQLHarvellaDBName();
    const std::string user = settings_.GetMySQLHarvellaUserName();
    const std::string password = settings_.GetMySQLHarvellaUserPwd();
    if (!client_.checkDBexists(database, asProductUser(""))) {
        window_.UpdateCurrentAction("Creating Database");
        ExecUpdateOrRaise("", "create database " + database, user, password, schemaFailed);
        logLine("Created database " + database);
    } else {
        window_.UpdateCurrentAction("Updating Database");
    }
    ForwardProgress(5);
    if (client_.isDBempty(database, asProductUser(""))) {
        ExecScriptOrRaise(database, settings_.GetMySQLHarvellaSchema(),
                          "Failed to create database schema", user, password, schemaFailed);
        logLine("Created database schema");
    }
    ForwardProgress(5);
    const SchemaVersion version = GetSchemaVersion();
    ApplyFix14IfNeeded(version.patch);
    ApplyPatches(version, patches_.getMaxPatchVersion());
}

void MySQLDBInstaller::ApplyPatches(const SchemaVersion& from, std::int16_t newest) {
    const std::string database = settings_.GetMySQLHarvellaDBName();
    const std::string rootPassword = storedRootPassword();
    ExecUpdateOrRaise("", "SET GLOBAL log_bin_trust_function_creators = 1", "root", rootPassword,
                      grantFailed);
    // The edition stays as read for every patch.
    for (int n = from.patch + 1; n <= newest; ++n) {
        const auto patch = patches_.basePatchFor(static_cast<std::int16_t>(n), from.edition);
        ExecScriptOrRaise(database, patch.path, "Failed to apply patch #" + patch.label,
                          settings_.GetMySQLHarvellaUserName(), settings_.GetMySQLHarvellaUserPwd(),
                          schemaFailed);
        logLine("Applied patch #" + patch.label);
    }
    ExecUpdateOrRaise("", "SET GLOBAL log_bin_trust_function_creators = 0", "root", rootPassword,
                      grantFailed);
}

void MySQLDBInstaller::RemoveHarvellaDatabase(const std::string& rootPassword) {
    const std::string database = settings_.GetMySQLHarvellaDBName();
    if (!client_.checkDBexists(database, connection("", "root", rootPassword))) return;
    window_.UpdateCurrentAction("Removing Harvella database");
    ExecUpdateOrRaise("", "DROP DATABASE " + database, "root", rootPassword, dropFailed);
    ForwardProgress(5);
}

void MySQLDBInstaller::RecreateHarvellaDatabase(const std::string& rootPassword,
                                                bool allowRecovery) {
    try {
        if (!hasPrevVersion_ && !repairKeep_) RemoveHarvellaDatabase(rootPassword);
        InstallHarvellaUser(rootPassword, true);
        CreateOrUpdateSchema();
    } catch (const FailureRecord& failure) {
        if (!allowRecovery || !filesRemovedBehindServer(failure.source)) throw;
        window_.UpdateCurrentAction(
            "Harvella database files were manually removed. Trying to recover error.");
        RecreateHarvellaDatabase(rootPassword, false);
    }
}

}  // namespace Quimbo

// The Access installer's schema work: the new database, the schema script,
// the schema version, the fix for base 14 and the numbered patches.
#include "AccessDBInstaller.h"
#include "AccessScript.h"
#include "CollatingOrders.h"
#include "frame/VbConversions.h"

namespace Quimbo {
namespace {

// A base-10 database records product features instead of an edition: exactly
// these features (`count` of them) make the edition.
std::string featureQuery(int count, const std::string& features) {
    const std::string number = std::to_string(count);
    return "select (matched_features.num = " + number +
           ") and (matched_features.num = all_features.num) from (select count(feature_code) "
           "as num from feature_patch_history where feature_code in (" +
           features +
           ")) matched_features, (select count(feature_code) as num from "
           "feature_patch_history) all_features";
}

}  // namespace

void AccessDBInstaller::PrepareSchema(const std::string& dbPath, const std::string& mode) {
    dao_.Initialize(window_, installDir_);
    dao_.SetupDaoIfNeeded();
    if (mode == "Create") {
        window_.UpdateCurrentAction("Creating database " + dbPath);
        CreateAccessDatabase(dbPath);
    }
    window_.UpdateProgressBar(25);
    try {
        connection_.Create();
    } catch (const FailureRecord& failure) {
        fail(failure.description, setupFailed, outputText_);
    }
    connection_.Open(dbPath);
    if (mode == "Create") {
        window_.UpdateCurrentAction("Creating database schema");
        ExecuteScriptFile(
            databaseFolderPath(fileObject_.BuildPath("scripts", "harvella.access97.sql")));
    }
    window_.UpdateProgressBar(40);
    SchemaVersion version = GetSchemaVersion();
    connection_.Close();
    const std::int16_t highest = patches_.getMaxPatchVersion();
    if (mode != "Create" && contains(mode, "WithConvert")) UpgradeDb(dbPath);
    connection_.Open(dbPath);
    applyFix14IfNeeded(version.base);
    // The edition stays as read for every patch.
    while (version.base < highest) {
        const auto next = static_cast<std::int16_t>(version.base + 1);
        const auto patch = patches_.basePatchFor(next, version.edition);
        window_.UpdateCurrentAction("Applying patch #" + patch.label);
        ExecuteScriptFile(patch.path);
        version.base = next;
    }
    window_.UpdateProgressBar(80);
    connection_.Close();
}

void AccessDBInstaller::CreateAccessDatabase(const std::string& filePath) {
    auto engine = services_.databases.createDaoEngine();
    if (!engine.ok())
        fail("You do not have Microsoft DAO version 3.6 or higher installed. Error details: " +
                 std::to_string(engine.error.number) + ", " + engine.error.description,
             setupFailed, outputText_);
    const std::string order = ChooseCollatingOrder(services_.databases.defaultLocaleId());
    const platform::EngineError error = engine.value->createDatabase(filePath, order);
    if (error.failed) fail(error.description, setupFailed, outputText_);
}

// Every failure leaves the number read so far.
AccessDBInstaller::SchemaVersion AccessDBInstaller::GetSchemaVersion() {
    SchemaVersion version;
    const auto read = [this](const std::string& query, std::int16_t& number) {
        try {
            const platform::FirstValue value = connection_.Query(query);
            if (value.hasRow && !value.isNull) number = TextToInteger(value.text);
        } catch (const FailureRecord&) {
        }
    };
    const auto holds = [this](const std::string& query) {
        try {
            const platform::FirstValue value = connection_.Query(query);
            return value.hasRow && !value.isNull && TextToLong(value.text) != 0;
        } catch (const FailureRecord&) {
            return false;
        }
    };
    read("select max(patch) from patch_history;", version.base);
    read("select max(pack_version) from patch_history where patch = " +
             std::to_string(version.base) + ";",
         version.edition);
    if (version.base == 10 && version.edition == 0 && holds(featureQuery(3, "'RA', 'LTT', 'TTC'")))
        version.edition = 2;
    if (version.base == 10 && version.edition == 0 && holds(featureQuery(2, "'RA', 'TTC'")))
        version.edition = 1;
    return version;
}

void AccessDBInstaller::ExecuteScriptFile(const std::string& scriptPath) {
    for (const std::string& statement : ScriptStatements(fileObject_.ReadAll(scriptPath)))
        connection_.Execute(statement);
}

// Databases that reached base 14 before the invoice terms table existed get
// it now; nothing here stops the installation.
void AccessDBInstaller::applyFix14IfNeeded(std::int16_t baseVersion) {
    if (baseVersion < 14) return;
    try {
        connection_.Query("select * from invoice_terms;");
        return;
    } catch (const FailureRecord&) {
    }
    window_.UpdateCurrentAction("Applying special fix");
    try {
        ExecuteScriptFile(patches_.getFix14PatchName());
    } catch (const FailureRecord&) {
    }
}

}  // namespace Quimbo

#include "MySQLFailureReport.h"

#include <algorithm>

#include "MySQLFailureNumbers.h"
#include "frame/StringFuncsModule.h"

namespace Quimbo {
namespace {

using namespace mysqlfailure;

constexpr char bell = '\a';

}  // namespace

const char* const applicationDefinedFailure = "The operation failed.";

FailureReport DescribeFailure(const FailureRecord& failure, const DumpState& dumps) {
    std::string description =
        failure.description.empty() ? applicationDefinedFailure : failure.description;
    description.erase(std::remove(description.begin(), description.end(), bell), description.end());
    description = TrimLineEnds(description);

    FailureReport report;
    if (!failure.source.empty()) report.message = "Failed to " + failure.source + ".";
    if (!description.empty()) report.message += "Error: " + description;
    report.details = description;
    if (!dumps.hasPrevVersion && !dumps.repairKeep) return report;
    if (failure.number == notEnoughDumpSpace) {
        if (!dumps.repairKeep) report.details = dumps.requiredDumpSpace;
    } else if (failure.number != dumpFailed && failure.number != startBeforeDumpFailed) {
        report.details = dumps.dumpFilePath;
    }
    return report;
}

}  // namespace Quimbo

#include "MySQLFailureReport.h"

#include <algorithm>

#include "frame/StringFuncsModule.h"

namespace Quimbo {
namespace {

constexpr std::int32_t dumpFailed = 2013;
constexpr std::int32_t startBeforeDumpFailed = 2017;
constexpr std::int32_t notEnoughDumpSpace = 2019;
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

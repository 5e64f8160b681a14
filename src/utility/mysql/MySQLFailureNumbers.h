#pragma once
#include <cstdint>

namespace Quimbo {

// The numbers with which the MySQL installer's steps fail; each reaches the
// installer as the exit code. 2012 is not used.
namespace mysqlfailure {
constexpr std::int32_t noFreePort = 2000;
constexpr std::int32_t unzipFailed = 2001;
constexpr std::int32_t moveFailed = 2002;
constexpr std::int32_t configFailed = 2003;
constexpr std::int32_t installFailed = 2004;
constexpr std::int32_t startFailed = 2005;
constexpr std::int32_t stopFailed = 2006;
constexpr std::int32_t grantFailed = 2007;
constexpr std::int32_t rootPasswordFailed = 2008;
constexpr std::int32_t versionUnknown = 2009;
constexpr std::int32_t schemaFailed = 2010;
constexpr std::int32_t settingsNotSaved = 2011;
constexpr std::int32_t dumpFailed = 2013;
constexpr std::int32_t removeServiceFailed = 2014;
constexpr std::int32_t removeFolderFailed = 2015;
constexpr std::int32_t dropFailed = 2016;
constexpr std::int32_t startBeforeDumpFailed = 2017;
// Another run holds the installation.
constexpr std::int32_t installationBusy = 2018;
constexpr std::int32_t notEnoughDumpSpace = 2019;
}  // namespace mysqlfailure

}  // namespace Quimbo

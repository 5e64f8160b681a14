#pragma once
// The commands of harvella-sc. Each returns the process exit code and writes
// its report to the two streams it is given.
#include <ostream>
#include <string>
#include <vector>

namespace harvellasc {

using Arguments = std::vector<std::string>;

// sc-style: "create NAME binPath= CMD [DisplayName= X] [start= auto|demand]
// [depend= A/B] [type= own|daemon]"; exit code 0, or 1 with "FAILED <Windows
// error number>" on standard error.
int create(const Arguments& args, std::ostream& out, std::ostream& err);
int remove(const std::string& name, std::ostream& out, std::ostream& err);
int query(const std::string& name, std::ostream& out, std::ostream& err);
int queryConfig(const std::string& name, std::ostream& out, std::ostream& err);
int describe(const std::string& name, const std::string& text, std::ostream& out,
             std::ostream& err);
// net-style: wait for RUNNING or STOPPED; exit 0 on success, 2 on failure.
int startAndWait(const std::string& name, std::ostream& out, std::ostream& err);
int stopAndWait(const std::string& name, std::ostream& out, std::ostream& err);

}  // namespace harvellasc

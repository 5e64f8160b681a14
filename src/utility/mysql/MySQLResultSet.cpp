#include "MySQLResultSet.h"

#include <utility>

#include "frame/FileFuncsModule.h"

namespace Quimbo {

MySQLResultSet MySQLResultSet::failed(std::string error) {
    MySQLResultSet result;
    result.error_ = std::move(error);
    return result;
}

MySQLResultSet::MySQLResultSet(FileSystemObject& fso, std::string outputPath, std::string output)
    : fso_(&fso), outputPath_(std::move(outputPath)), reader_(true), output_(std::move(output)) {}

MySQLResultSet::~MySQLResultSet() {
    close();
}

MySQLResultSet::MySQLResultSet(MySQLResultSet&& other) noexcept {
    *this = std::move(other);
}

MySQLResultSet& MySQLResultSet::operator=(MySQLResultSet&& other) noexcept {
    if (this == &other) return *this;
    close();
    fso_ = other.fso_;
    outputPath_ = std::move(other.outputPath_);
    reader_ = other.reader_;
    output_ = std::move(other.output_);
    position_ = other.position_;
    error_ = std::move(other.error_);
    other.outputPath_.reset();
    other.reader_ = false;
    other.error_.reset();
    return *this;
}

std::optional<std::string> MySQLResultSet::next() {
    if (!hasNext()) return std::nullopt;
    const std::size_t lineEnd = output_.find('\n', position_);
    const std::size_t end = lineEnd == std::string::npos ? output_.size() : lineEnd;
    std::string line = output_.substr(position_, end - position_);
    position_ = lineEnd == std::string::npos ? output_.size() : lineEnd + 1;
    // The Windows client ends its lines with CR LF.
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

void MySQLResultSet::close() {
    reader_ = false;
    output_.clear();
    position_ = 0;
    if (outputPath_ && fso_) DeleteFileQuietly(*outputPath_, *fso_);
    outputPath_.reset();
    error_.reset();
}

}  // namespace Quimbo

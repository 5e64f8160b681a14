#include "PipeFuncsModule.h"

#include "FailureRecord.h"

namespace Quimbo {

void WriteStdOut(platform::Console& console, const std::string& text) {
    if (text.empty()) return;
    const auto written = console.writeStdOut(text);
    if (!written.ok()) throw FailureRecord{1001, "WriteStdOut", "Unable to write to standard output"};
    if (written.value < text.size()) throw FailureRecord{1002, "WriteStdOut", "Incomplete write operation"};
}

void WritePipeText(platform::ChildProcess& pipe, const std::string& text) { pipe.writeInput(text); }

}  // namespace Quimbo

#pragma once

namespace Harvella {

// The verb startAsService: wires the real services and hands the thread to the
// service manager's dispatcher; returns when the service has ended, or at once
// when the process was not started by the service manager.
void runStartAsService(int argc, char** argv);

}  // namespace Harvella

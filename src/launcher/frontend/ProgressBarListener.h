#pragma once
#include "platform/progress_dialog.h"
#include "service/ProgressListener.h"

namespace Harvella {

// The progress dialog's side of start and stop: keeps the bar's total and
// position and sends them to the bar (control 1001) at once, on the thread
// that owns the dialog.
class ProgressBarListener final : public ServiceMan::ProgressListener {
public:
    explicit ProgressBarListener(platform::ProgressDialogWindow& bar) : bar_(bar) {}

    void setTotal(int total) override;
    // Never beyond the total.
    void advance(int n) override;
    void step() override;
    void finish() override;

private:
    platform::ProgressDialogWindow& bar_;
    int total_ = 0;
    int position_ = 0;
};

}  // namespace Harvella

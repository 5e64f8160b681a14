#pragma once
// Shared by the Linux and the Wine service tests: a progress listener that
// only remembers whether the operation reached its end.
#include "service/ServiceMan.h"

namespace testcommon {

class FinishListener final : public Harvella::ServiceMan::ProgressListener {
public:
    bool finished = false;
    void setTotal(int) override { finished = false; }
    void advance(int) override {}
    void step() override {}
    void finish() override { finished = true; }
};

}  // namespace testcommon

#include "frontend/ProgressBarListener.h"

#include <algorithm>

namespace Harvella {

void ProgressBarListener::setTotal(int total) {
    total_ = total;
    position_ = 0;
    bar_.setBarRange(total);
}

void ProgressBarListener::advance(int n) {
    position_ = std::min(position_ + n, total_);
    bar_.setBarPosition(position_);
}

void ProgressBarListener::step() {
    advance(1);
}

void ProgressBarListener::finish() {
    position_ = total_;
    bar_.setBarPosition(position_);
}

}  // namespace Harvella

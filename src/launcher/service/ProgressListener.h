#pragma once

namespace Harvella::ServiceMan {

// Where start and stop report their progress (the progress dialog). The slot
// order is part of the contract; listeners are never deleted through it.
class ProgressListener {
public:
    // The amount of work of the whole operation; position back to 0.
    virtual void setTotal(int total) = 0;
    // n units done; implementations clamp at the total.
    virtual void advance(int n) = 0;
    virtual void step() = 0;
    // Position = total.
    virtual void finish() = 0;

protected:
    ~ProgressListener() = default;
};

}  // namespace Harvella::ServiceMan

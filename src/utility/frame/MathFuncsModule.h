#pragma once

namespace Quimbo {

// The larger of two values; the second when they are equal.
template <class T>
T Max(const T& a, const T& b) {
    return a > b ? a : b;
}

}  // namespace Quimbo

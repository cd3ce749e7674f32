// SPDX-License-Identifier: MIT
#pragma once
// Floating-point faults are detected from the status flags rather than from
// signals: clear the flags, compute into locals, then ask. A fault throws with
// the text the error box shows, before the caller stores anything.

#include <stdexcept>

namespace nc {

class FloatingPointError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
class FloatOverflowError : public FloatingPointError {
public:
    FloatOverflowError() : FloatingPointError("Floating point overflow") {}
};
class FloatInvalidError : public FloatingPointError {
public:
    FloatInvalidError() : FloatingPointError("Invalid floating point operation") {}
};
class FloatDivideByZeroError : public FloatingPointError {
public:
    FloatDivideByZeroError() : FloatingPointError("Floating point division by zero") {}
};

void ClearFloatFaults();

// Throws for overflow, division by zero or an invalid operation raised since
// the last ClearFloatFaults. An invalid operation usually follows one of the
// other two (infinity minus infinity), so those are named first.
void ThrowOnFloatFaults();

} // namespace nc

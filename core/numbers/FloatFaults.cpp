// SPDX-License-Identifier: MIT
#include "core/numbers/FloatFaults.h"

#include <cfenv>

namespace nc {

void ClearFloatFaults()
{
    std::feclearexcept(FE_ALL_EXCEPT);
}

void ThrowOnFloatFaults()
{
    const int raised = std::fetestexcept(FE_OVERFLOW | FE_INVALID | FE_DIVBYZERO);
    if (raised == 0)
        return;
    std::feclearexcept(FE_ALL_EXCEPT);
    if (raised & FE_OVERFLOW)
        throw FloatOverflowError();
    if (raised & FE_DIVBYZERO)
        throw FloatDivideByZeroError();
    throw FloatInvalidError();
}

} // namespace nc

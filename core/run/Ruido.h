// SPDX-License-Identifier: MIT
#pragma once
// Gaussian measurement noise that repeats exactly from its seed. The
// generator is std::mt19937_64, whose output the C++ standard fixes; the
// normal pairs come from Marsaglia's polar method written here, since
// std::normal_distribution may differ between standard libraries.

#include <cstdint>
#include <random>

namespace nc {

struct ParNormal {
    double primero;
    double segundo;
};

class RuidoGaussiano {
public:
    explicit RuidoGaussiano(uint64_t semilla = 1) : generador_(semilla) {}

    // Two independent standard normal values.
    ParNormal Siguiente();

private:
    double Uniforme(); // in [0, 1), 53 random bits

    std::mt19937_64 generador_;
};

} // namespace nc

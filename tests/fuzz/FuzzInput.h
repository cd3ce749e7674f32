// SPDX-License-Identifier: MIT
#pragma once
// Reads typed values off the front of a fuzzer's byte string; once the bytes
// run out every read gives zero.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace nc::fuzz {

class Input {
public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    template <class T> T Take()
    {
        T value{};
        const size_t n = size_ < sizeof(T) ? size_ : sizeof(T);
        std::memcpy(&value, data_, n);
        data_ += n;
        size_ -= n;
        return value;
    }

    bool Empty() const { return size_ == 0; }

    std::string Rest() { return std::string(reinterpret_cast<const char*>(data_), size_); }

private:
    const uint8_t* data_;
    size_t size_;
};

} // namespace nc::fuzz

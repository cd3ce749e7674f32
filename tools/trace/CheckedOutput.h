// SPDX-License-Identifier: MIT
#pragma once
// Output whose loss is never taken for success. The trace's lines go through
// a buffer on a file descriptor; the first write that fails (a full disk, a
// closed descriptor, a pipe whose reader has gone) throws OutputError with
// the system's text, which stops whatever is writing at once.

#include <array>
#include <functional>
#include <ostream>
#include <stdexcept>
#include <streambuf>

namespace nc {

class OutputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A stream buffer that writes to a descriptor in blocks of kSize bytes and
// throws OutputError when a write fails. Its destructor writes nothing: the
// last block goes out with the stream's flush, where a failure can still be
// heard.
class CheckedFdBuf final : public std::streambuf {
public:
    static constexpr std::size_t kSize = 64 * 1024;
    explicit CheckedFdBuf(int fd);

protected:
    int_type overflow(int_type c) override;
    int sync() override;

private:
    void Drain();

    int fd_;
    std::array<char, kSize> buffer_; // one contiguous block, no per-line cells
};

// Runs `body` with a stream on descriptor `fd` and returns its status, after
// a flush that must succeed too. A write that fails stops the body; the error
// goes to `err` as one line and the status is 1. A descriptor already closed
// when this starts stays "closed" even if a later open reuses its number.
int WithCheckedOutput(int fd, std::ostream& err, const std::function<int(std::ostream& out)>& body);

} // namespace nc

// SPDX-License-Identifier: MIT
#include "tools/trace/CheckedOutput.h"

#include <cerrno>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

namespace nc {

CheckedFdBuf::CheckedFdBuf(int fd) : fd_(fd)
{
    setp(buffer_.data(), buffer_.data() + buffer_.size());
}

CheckedFdBuf::int_type CheckedFdBuf::overflow(int_type c)
{
    Drain();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return traits_type::not_eof(c);
}

int CheckedFdBuf::sync()
{
    Drain();
    return 0;
}

void CheckedFdBuf::Drain()
{
    const char* next = pbase();
    while (next < pptr()) {
        const ssize_t written = ::write(fd_, next, static_cast<size_t>(pptr() - next));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            const int error = written < 0 ? errno : EIO;
            setp(buffer_.data(), buffer_.data() + buffer_.size()); // the block is lost
            throw OutputError("Error al escribir la salida: " + std::system_category().message(error));
        }
        next += written;
    }
    setp(buffer_.data(), buffer_.data() + buffer_.size());
}

int WithCheckedOutput(int fd, std::ostream& err, const std::function<int(std::ostream& out)>& body)
{
    // Writing to -1 fails with EBADF, as writing to the closed descriptor would.
    if (::fcntl(fd, F_GETFD) == -1)
        fd = -1;
    CheckedFdBuf buffer(fd);
    std::ostream out(&buffer);
    out.exceptions(std::ios::badbit); // the buffer's OutputError comes through
    try {
        const int status = body(out);
        out.flush();
        return status;
    } catch (const OutputError& e) {
        err << e.what() << '\n';
        err.flush();
        return 1;
    }
}

} // namespace nc

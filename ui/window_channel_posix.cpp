#include "ui/window_host.h"
#include "ui/window_process.h"

#include <cerrno>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Repeats transfer (a read or a send of up to n bytes at p) until all size bytes went through;
// false at the end of the channel or on an error.
template <typename Transfer> bool transferAll(char* data, size_t size, Transfer transfer) {
    while (size > 0) {
        ssize_t count = transfer(data, size);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        data += count;
        size -= static_cast<size_t>(count);
    }
    return true;
}

bool readExactly(int channel, char* data, size_t size) {
    return transferAll(data, size, [channel](char* p, size_t n) { return read(channel, p, n); });
}

} // namespace

void WindowChannelTraits::release(int descriptor) {
    close(descriptor);
}

std::optional<WindowMessage> readWindowMessage(int channel) {
    std::string header(windowFrameHeaderSize, '\0');
    if (!readExactly(channel, header.data(), header.size()))
        return std::nullopt;
    std::optional<uint32_t> length = windowFrameBodyLength(header);
    if (!length)
        return std::nullopt;
    std::string body(*length, '\0');
    if (!readExactly(channel, body.data(), body.size()))
        return std::nullopt;
    return decodeWindowMessageBody(body);
}

bool writeWindowMessage(int channel, const WindowMessage& message) {
    std::optional<std::string> frame = encodeWindowMessage(message);
    if (!frame)
        return false;
    // A closed other side gives an error here, never SIGPIPE.
    return transferAll(frame->data(), frame->size(),
                       [channel](char* p, size_t n) { return send(channel, p, n, MSG_NOSIGNAL); });
}

#include "ui/window_host.h"
#include "ui/window_process.h"

#include <cerrno>
#include <sys/socket.h>
#include <unistd.h>

namespace {

bool readExactly(int channel, char* data, size_t size) {
    while (size > 0) {
        ssize_t count = read(channel, data, size);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        data += count;
        size -= static_cast<size_t>(count);
    }
    return true;
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
    const char* data = frame->data();
    size_t size = frame->size();
    while (size > 0) {
        // A closed other side gives an error here, never SIGPIPE.
        ssize_t count = send(channel, data, size, MSG_NOSIGNAL);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        data += count;
        size -= static_cast<size_t>(count);
    }
    return true;
}

#include "ui/window_request.h"

namespace {

void putNumber(std::string& out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// Reads the body front to back; any read past the end marks the reader as failed.
class BodyReader {
  public:
    explicit BodyReader(std::string_view body) : rest_(body) {}

    std::optional<uint32_t> number(int bytes) {
        if (rest_.size() < static_cast<size_t>(bytes))
            return std::nullopt;
        uint32_t value = 0;
        for (int i = 0; i < bytes; ++i)
            value |= static_cast<uint32_t>(static_cast<unsigned char>(rest_[i])) << (8 * i);
        rest_.remove_prefix(bytes);
        return value;
    }

    std::optional<std::string> bytes(size_t count) {
        if (rest_.size() < count)
            return std::nullopt;
        std::string value(rest_.substr(0, count));
        rest_.remove_prefix(count);
        return value;
    }

    // A length of lengthBytes bytes, then that many bytes (at most maxSize).
    std::optional<std::string> counted(int lengthBytes, size_t maxSize) {
        std::optional<uint32_t> length = number(lengthBytes);
        if (!length || *length > maxSize)
            return std::nullopt;
        return bytes(*length);
    }

    bool atEnd() const { return rest_.empty(); }

  private:
    std::string_view rest_;
};

// Length of the valid UTF-8 sequence at the start of text (0 when it is not one).
size_t utf8SequenceLength(std::string_view text) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    size_t length = 0;
    uint32_t lowestSecond = 0x80, highestSecond = 0xBF;
    if (lead >= 0x01 && lead <= 0x7F)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        lowestSecond = lead == 0xE0 ? 0xA0 : 0x80;  // no overlong forms
        highestSecond = lead == 0xED ? 0x9F : 0xBF; // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        lowestSecond = lead == 0xF0 ? 0x90 : 0x80;
        highestSecond = lead == 0xF4 ? 0x8F : 0xBF; // nothing above U+10FFFF
    } else
        return 0;
    if (text.size() < length || byte(1) < lowestSecond || byte(1) > highestSecond)
        return 0;
    for (size_t i = 2; i < length; ++i)
        if ((byte(i) & 0xC0) != 0x80)
            return 0;
    return length;
}

} // namespace

std::string WindowMessage::field(std::string_view name) const {
    for (const auto& [key, value] : fields)
        if (key == name)
            return value;
    return {};
}

bool WindowMessage::has(std::string_view name) const {
    for (const auto& entry : fields)
        if (entry.first == name)
            return true;
    return false;
}

WindowMessage& WindowMessage::add(std::string name, std::string value) {
    fields.emplace_back(std::move(name), std::move(value));
    return *this;
}

WindowMessage failedWindowAnswer(std::string reason) {
    WindowMessage answer{"failed", {}};
    answer.add("reason", std::move(reason));
    return answer;
}

bool isFailedWindowAnswer(const WindowMessage& answer) {
    return answer.kind == "failed";
}

std::optional<std::string> encodeWindowMessage(const WindowMessage& message) {
    if (message.kind.size() > maxWindowNameSize || message.fields.size() > maxWindowFieldCount)
        return std::nullopt;
    std::string body;
    putNumber(body, message.kind.size(), 1);
    body += message.kind;
    putNumber(body, message.fields.size(), 2);
    for (const auto& [name, value] : message.fields) {
        if (name.size() > maxWindowNameSize || value.size() > maxWindowValueSize)
            return std::nullopt;
        putNumber(body, name.size(), 1);
        body += name;
        putNumber(body, value.size(), 4);
        body += value;
        if (body.size() > maxWindowBodySize)
            return std::nullopt;
    }
    std::string frame;
    frame.reserve(windowFrameHeaderSize + body.size());
    putNumber(frame, body.size(), windowFrameHeaderSize);
    return frame + body;
}

std::optional<uint32_t> windowFrameBodyLength(std::string_view header) {
    if (header.size() != windowFrameHeaderSize)
        return std::nullopt;
    std::optional<uint32_t> length = BodyReader(header).number(windowFrameHeaderSize);
    if (!length || *length > maxWindowBodySize)
        return std::nullopt;
    return length;
}

std::optional<WindowMessage> decodeWindowMessageBody(std::string_view body) {
    if (body.size() > maxWindowBodySize)
        return std::nullopt;
    BodyReader reader(body);
    WindowMessage message;
    std::optional<std::string> kind = reader.counted(1, maxWindowNameSize);
    std::optional<uint32_t> count = reader.number(2);
    if (!kind || !count || *count > maxWindowFieldCount)
        return std::nullopt;
    message.kind = std::move(*kind);
    for (uint32_t i = 0; i < *count; ++i) {
        std::optional<std::string> name = reader.counted(1, maxWindowNameSize);
        std::optional<std::string> value =
            name ? reader.counted(4, maxWindowValueSize) : std::nullopt;
        if (!value)
            return std::nullopt;
        message.add(std::move(*name), std::move(*value));
    }
    if (!reader.atEnd())
        return std::nullopt;
    return message;
}

std::optional<WindowMessage> decodeWindowMessage(std::string_view frame) {
    std::optional<uint32_t> length = windowFrameBodyLength(frame.substr(0, windowFrameHeaderSize));
    if (!length || frame.size() - windowFrameHeaderSize != *length)
        return std::nullopt;
    return decodeWindowMessageBody(frame.substr(windowFrameHeaderSize));
}

std::string displayableText(std::string_view text) {
    std::string shown;
    shown.reserve(text.size());
    while (!text.empty()) {
        size_t length = utf8SequenceLength(text);
        if (length == 0) {
            shown += "\xEF\xBF\xBD";
            length = 1;
        } else
            shown.append(text.data(), length);
        text.remove_prefix(length);
    }
    return shown;
}

std::string_view utf8Prefix(std::string_view text, size_t maxBytes) {
    if (text.size() <= maxBytes)
        return text;
    size_t end = maxBytes;
    // Step back over continuation bytes to the start of the sequence that the cut would split.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

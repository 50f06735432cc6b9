#pragma once

// The messages between the launcher and its window process: a request names a window kind and
// carries its texts; an answer uses the same form (kind "answer", "failed", ...). On the wire
// a message is one frame: a 4-byte little-endian body length, then the body:
//   kind length (1 byte), kind, field count (2 bytes),
//   per field: name length (1 byte), name, value length (4 bytes), value.
// Values are bytes (binary-safe); every length is bounded, so a hostile or cut-off frame is
// rejected without reading past its end.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

constexpr size_t windowFrameHeaderSize = 4;
constexpr size_t maxWindowNameSize = 255;         // a kind or a field name
constexpr size_t maxWindowFieldCount = 256;       // fields of one message
constexpr uint32_t maxWindowBodySize = 32u << 20; // all of one message's body
constexpr size_t maxWindowValueSize = 24u << 20;  // one field's value

struct WindowMessage {
    std::string kind;
    std::vector<std::pair<std::string, std::string>> fields;

    // The first field of that name; empty when there is none.
    std::string field(std::string_view name) const;
    bool has(std::string_view name) const;
    // Adds a field (an existing one of the same name stays first).
    WindowMessage& add(std::string name, std::string value);
};

// The answer "failed", with the reason in its "reason" field.
WindowMessage failedWindowAnswer(std::string reason);
bool isFailedWindowAnswer(const WindowMessage& answer);

// The whole frame; nullopt when a name, a value, the field count or the body is over its bound.
std::optional<std::string> encodeWindowMessage(const WindowMessage& message);

// The body length announced by a frame header (windowFrameHeaderSize bytes); nullopt when it
// is over maxWindowBodySize.
std::optional<uint32_t> windowFrameBodyLength(std::string_view header);

// The message of a frame body; nullopt when the body is malformed: a length past the end,
// a bound exceeded, or bytes left over.
std::optional<WindowMessage> decodeWindowMessageBody(std::string_view body);

// A whole frame (header and body, nothing after it).
std::optional<WindowMessage> decodeWindowMessage(std::string_view frame);

// Text that a window can show: invalid UTF-8 sequences and NUL bytes become U+FFFD.
std::string displayableText(std::string_view text);

// The longest prefix of text of at most maxBytes bytes that does not split a UTF-8 sequence.
std::string_view utf8Prefix(std::string_view text, size_t maxBytes);

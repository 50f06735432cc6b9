#pragma once

// String-table texts and the error notice. Every caller passes the splash window's handle
// as owner (null when no splash window exists).

#include "support/os_handle.h"
#include "ui/message_ids.h"

#include <cstdint>
#include <initializer_list>
#include <string>

// One argument of a printf-style template: %s takes text, %d a signed 32-bit number.
class FormatArgument {
  public:
    FormatArgument(std::string text) : text_(std::move(text)) {}
    FormatArgument(const char* text) : text_(text ? text : "") {}
    FormatArgument(int32_t number) : text_(std::to_string(number)) {}
    FormatArgument(uint32_t number) : text_(std::to_string(static_cast<int32_t>(number))) {}
    const std::string& text() const { return text_; }

  private:
    std::string text_;
};

// Fills the %s and %d placeholders of pattern in order ("%%" gives "%"). A placeholder
// without an argument is left empty.
std::string formatText(const std::string& pattern, std::initializer_list<FormatArgument> args);

// The entry's text in the chosen language; empty when the entry is missing or empty.
std::string loadResourceString(int id);
std::string formatResourceString(int id, std::initializer_list<FormatArgument> args);

// Modal error notice with an OK button; returns when the user closed it.
void reportError(OsHandle owner, const std::string& text);
void reportErrorWithCode(OsHandle owner, const std::string& pattern, const std::string& subject,
                         uint32_t code);
void reportErrorWithReason(OsHandle owner, const std::string& pattern, const std::string& subject,
                           const std::string& reason);
void reportErrorWithSubject(OsHandle owner, const std::string& pattern, const std::string& subject);

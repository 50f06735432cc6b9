#pragma once

#include <string>
#include <vector>

// Splits at every separator; empty inner pieces stay, a trailing empty piece does not, and an
// empty text gives no piece. The separator is never empty.
void splitString(const std::string& text, const std::string& separator,
                 std::vector<std::string>& pieces);

#include "support/split_string.h"

void splitString(const std::string& text, const std::string& separator,
                 std::vector<std::string>& pieces) {
    pieces.clear();
    size_t pos = 0;
    while (pos < text.size()) {
        size_t found = text.find(separator, pos);
        if (found == std::string::npos)
            break;
        pieces.push_back(text.substr(pos, found - pos));
        pos = found + separator.size();
    }
    if (pos < text.size())
        pieces.push_back(text.substr(pos));
}

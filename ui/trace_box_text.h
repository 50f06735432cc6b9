#pragma once

// The text of the "Java Exception" dialog's trace box, on both targets.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The longest line the trace box lays out whole. The box never wraps (a trace is read line by
// line and scrolled sideways), but a line of millions of pixels is more than a text control can
// measure or draw: a longer line goes on in the next line of the box.
constexpr size_t maxTraceBoxLineLength = 16384;

// The trace as the box shows it. breaks: the character offsets (code points) in text of the
// line feeds that split over-long lines, ascending.
struct TraceBoxText {
    std::string text;
    std::vector<size_t> breaks;
};
// trace: valid UTF-8 (displayableText); lines of more than maxLength characters are split.
TraceBoxText traceBoxText(std::string_view trace, size_t maxLength = maxTraceBoxLineLength);

// The characters [from, to) of the box's text as the part of the trace they show, without the
// line feeds that traceBoxText added.
std::string traceBoxSpan(std::string_view trace, const std::vector<size_t>& breaks, size_t from,
                         size_t to);

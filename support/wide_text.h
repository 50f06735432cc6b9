#pragma once

// Text conversions at the Win32 boundary. Portable code keeps UTF-8 std::string; only
// *_win32.cpp files include this header.

#include <string>

std::wstring toWide(const std::string& utf8);
std::string toUtf8(const std::wstring& wide);
std::string toUtf8(const wchar_t* wide, size_t length);
// Narrow text in the calling thread's ANSI code page (VM option strings and the like).
std::string toAnsi(const std::wstring& wide);
std::wstring fromAnsi(const std::string& ansi);

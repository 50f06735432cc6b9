#pragma once

// The one way launcher text becomes Java text: UTF-8 is decoded to UTF-16 units, which are
// copied into a char[] unchanged and handed to new String(char[]). Used on any thread that
// holds its own JNIEnv.

#include <jni.h>

#include <string>
#include <vector>

// UTF-16 units of UTF-8 text; a malformed sequence gives U+FFFD per byte.
std::u16string utf8ToUtf16(const std::string& text);

// UTF-8 of UTF-16 units; an unpaired surrogate gives U+FFFD.
std::string utf16ToUtf8(const char16_t* units, size_t length);
// The text of a Java string as UTF-8, taken from its UTF-16 units; empty when unavailable.
std::string javaStringText(jstring text, JNIEnv* env);

// A new java.lang.String (a local reference), or null with an exception possibly pending.
jstring newJavaString(const std::string& text, JNIEnv* env);
// A new String[] of the items in order (a local reference), or null.
jobjectArray buildArgumentArray(const std::vector<std::string>& items, JNIEnv* env);

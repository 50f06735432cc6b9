#include "vmhost/java_strings.h"

#include "vmhost/jni_resources.h"

namespace {

constexpr char32_t replacement = 0xFFFD;

// Length of the sequence a lead byte starts, 0 for a byte that cannot start one.
int sequenceLength(unsigned char lead) {
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

// Decodes the sequence at text[i]; advances i; replacement for anything malformed.
char32_t decodeOne(const std::string& text, size_t& i) {
    unsigned char lead = static_cast<unsigned char>(text[i]);
    int length = sequenceLength(lead);
    if (length == 0 || i + static_cast<size_t>(length) > text.size()) {
        ++i;
        return replacement;
    }
    char32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (int k = 1; k < length; ++k) {
        unsigned char next = static_cast<unsigned char>(text[i + static_cast<size_t>(k)]);
        if ((next & 0xC0) != 0x80) {
            ++i;
            return replacement;
        }
        code = (code << 6) | (next & 0x3F);
    }
    static const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        ++i;
        return replacement;
    }
    i += static_cast<size_t>(length);
    return code;
}

void appendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (code >> 18)));
        out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

bool isHighSurrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool isLowSurrogate(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

} // namespace

std::string utf16ToUtf8(const char16_t* units, size_t length) {
    std::string out;
    out.reserve(length + length / 2);
    for (size_t i = 0; i < length; ++i) {
        char32_t code = units[i];
        if (isHighSurrogate(code) && i + 1 < length && isLowSurrogate(units[i + 1])) {
            code = 0x10000 + ((code - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            ++i;
        } else if (isHighSurrogate(code) || isLowSurrogate(code)) {
            code = replacement;
        }
        appendUtf8(out, code);
    }
    return out;
}

std::string javaStringText(jstring text, JNIEnv* env) {
    jsize length = env->GetStringLength(text);
    StringChars chars(env, text);
    if (chars.get() == nullptr || length <= 0)
        return {};
    return utf16ToUtf8(reinterpret_cast<const char16_t*>(chars.get()), static_cast<size_t>(length));
}

std::u16string utf8ToUtf16(const std::string& text) {
    std::u16string units;
    units.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        char32_t code = decodeOne(text, i);
        if (code >= 0x10000) {
            code -= 0x10000;
            units.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            units.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            units.push_back(static_cast<char16_t>(code));
        }
    }
    return units;
}

jstring newJavaString(const std::string& text, JNIEnv* env) {
    LocalRef<jclass> stringClass(env, env->FindClass("java/lang/String"));
    if (!stringClass)
        return nullptr;
    jmethodID constructor = env->GetMethodID(stringClass.get(), "<init>", "([C)V");
    if (constructor == nullptr)
        return nullptr;
    std::u16string units = utf8ToUtf16(text);
    jsize length = static_cast<jsize>(units.size());
    LocalRef<jcharArray> chars(env, env->NewCharArray(length));
    if (!chars)
        return nullptr;
    env->SetCharArrayRegion(chars.get(), 0, length, reinterpret_cast<const jchar*>(units.data()));
    if (LocalRef<jthrowable>(env, env->ExceptionOccurred()))
        return nullptr;
    return static_cast<jstring>(env->NewObject(stringClass.get(), constructor, chars.get()));
}

jobjectArray buildArgumentArray(const std::vector<std::string>& items, JNIEnv* env) {
    LocalRef<jclass> stringClass(env, env->FindClass("java/lang/String"));
    if (!stringClass)
        return nullptr;
    LocalRef<jobjectArray> array(
        env, env->NewObjectArray(static_cast<jsize>(items.size()), stringClass.get(), nullptr));
    if (!array)
        return nullptr;
    for (size_t i = 0; i < items.size(); ++i) {
        LocalRef<jstring> item(env, newJavaString(items[i], env));
        if (!item)
            return nullptr;
        env->SetObjectArrayElement(array.get(), static_cast<jsize>(i), item.get());
    }
    return array.release();
}

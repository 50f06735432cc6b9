#pragma once

// Owners of JNI resources: a local reference is deleted, and a GetStringUTFChars or
// GetStringChars buffer released, when its owner goes out of scope. Each belongs to the thread of
// its JNIEnv.

#include <jni.h>

#include <utility>

template <typename Reference> class LocalRef {
  public:
    LocalRef(JNIEnv* env, Reference reference) : env_(env), reference_(reference) {}
    ~LocalRef() { reset(); }
    LocalRef(const LocalRef&) = delete;
    LocalRef& operator=(const LocalRef&) = delete;

    Reference get() const { return reference_; }
    explicit operator bool() const { return reference_ != nullptr; }
    void reset() {
        if (reference_ != nullptr)
            env_->DeleteLocalRef(std::exchange(reference_, nullptr));
    }
    // Hands the reference to the caller, who deletes it.
    Reference release() { return std::exchange(reference_, nullptr); }

  private:
    JNIEnv* env_;
    Reference reference_;
};

// The modified UTF-8 bytes of a Java string; null when the VM could not provide them.
class StringUtfChars {
  public:
    StringUtfChars(JNIEnv* env, jstring text)
        : env_(env), text_(text), chars_(env->GetStringUTFChars(text, nullptr)) {}
    ~StringUtfChars() { release(); }
    StringUtfChars(const StringUtfChars&) = delete;
    StringUtfChars& operator=(const StringUtfChars&) = delete;

    const char* get() const { return chars_; }
    void release() {
        if (chars_ != nullptr)
            env_->ReleaseStringUTFChars(text_, std::exchange(chars_, nullptr));
    }

  private:
    JNIEnv* env_;
    jstring text_;
    const char* chars_;
};

// The UTF-16 units of a Java string; null when the VM could not provide them.
class StringChars {
  public:
    StringChars(JNIEnv* env, jstring text)
        : env_(env), text_(text), chars_(env->GetStringChars(text, nullptr)) {}
    ~StringChars() {
        if (chars_ != nullptr)
            env_->ReleaseStringChars(text_, chars_);
    }
    StringChars(const StringChars&) = delete;
    StringChars& operator=(const StringChars&) = delete;

    const jchar* get() const { return chars_; }

  private:
    JNIEnv* env_;
    jstring text_;
    const jchar* chars_;
};

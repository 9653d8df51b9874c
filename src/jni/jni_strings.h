// Scoped access to the characters of Java strings: whatever a native method
// obtains from the virtual machine is given back when the holder goes out of
// scope, on every way out of the method, exceptions included.
#pragma once

#include <jni.h>

namespace qm {

// The modified UTF-8 characters of one Java string.
class JniUtfChars {
public:
    // A null string, or one whose characters cannot be obtained, holds nothing.
    JniUtfChars(JNIEnv* env, jstring string);
    ~JniUtfChars();
    JniUtfChars(const JniUtfChars&) = delete;
    JniUtfChars& operator=(const JniUtfChars&) = delete;

    // Null when nothing is held.
    const char* get() const { return m_pszChars; }
    // Never null: what is not held reads as empty.
    const char* text() const { return m_pszChars != nullptr ? m_pszChars : ""; }
    bool empty() const { return m_pszChars == nullptr || m_pszChars[0] == '\0'; }

private:
    JNIEnv* m_pEnv;
    jstring m_string;
    const char* m_pszChars;
};

// The argument strings of one message, taken from a Java String[]. Each element
// fetched is a local reference of its own, deleted with its characters.
class JniArgumentStrings {
public:
    // The formatting routines always receive exactly this many arguments.
    static constexpr int kMaxArguments = 5;

    explicit JniArgumentStrings(JNIEnv* env);
    ~JniArgumentStrings();
    JniArgumentStrings(const JniArgumentStrings&) = delete;
    JniArgumentStrings& operator=(const JniArgumentStrings&) = delete;

    // Fetches elements 0 to count-1 in order; count is at most kMaxArguments.
    // Call once.
    void Fetch(jobjectArray array, jsize count);

    int Count() const { return m_iCount; }
    // Argument i as text: empty for a null element and beyond the last one.
    const char* operator[](int index) const;

private:
    struct Element {
        jstring string;
        const char* chars;
    };

    JNIEnv* m_pEnv;
    int m_iCount;
    Element m_elements[kMaxArguments];
};

}  // namespace qm

// A JNI environment without a virtual machine: just the five functions the
// bridge may call, with books kept on everything handed out, so tests can
// show that each string's characters and each array element's local
// reference is given back exactly once.
#pragma once

#include <jni.h>

#include <initializer_list>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace qmtest {

class FakeJni {
public:
    FakeJni();
    ~FakeJni();
    FakeJni(const FakeJni&) = delete;
    FakeJni& operator=(const FakeJni&) = delete;

    JNIEnv* env() { return &m_env.env; }
    // A stand-in for the class the static native methods are called on.
    jclass receiver() const;

    // A Java string owned by the test (like an argument of the call).
    jstring String(const std::string& text);
    // A string whose characters the machine cannot hand out (out of memory).
    jstring UnobtainableString();
    // A String[]; nullptr elements are null elements.
    jobjectArray Array(std::initializer_list<jstring> elements);
    jobjectArray StringArray(const std::vector<std::string>& texts);

    int CharsOutstanding() const { return static_cast<int>(m_chars.size()); }
    int LocalRefsOutstanding() const { return static_cast<int>(m_liveLocalRefs.size()); }
    int CharsObtained() const { return m_iCharsObtained; }
    // Misuse seen: unknown or mismatched releases, double deletes, bad indices.
    const std::vector<std::string>& Errors() const { return m_errors; }
    // Indices passed to GetObjectArrayElement, in call order.
    const std::vector<jsize>& FetchedIndices() const { return m_fetched; }
    void ClearHistory();

private:
    struct Object {
        bool isArray = false;
        bool obtainable = true;
        std::string text;
        std::vector<Object*> elements;
        Object* target = nullptr;  // set for local references
    };
    // Standard layout with the JNIEnv first, so the functions find us from it.
    struct Env {
        JNIEnv env;
        FakeJni* owner;
    };

    static FakeJni& From(JNIEnv* env);
    Object* Resolve(jobject handle, const char* operation);
    Object* NewObject();

    static const char* JNICALL GetStringUTFChars(JNIEnv* env, jstring string, jboolean* isCopy);
    static void JNICALL ReleaseStringUTFChars(JNIEnv* env, jstring string, const char* chars);
    static jsize JNICALL GetArrayLength(JNIEnv* env, jarray array);
    static jobject JNICALL GetObjectArrayElement(JNIEnv* env, jobjectArray array, jsize index);
    static void JNICALL DeleteLocalRef(JNIEnv* env, jobject ref);

    JNINativeInterface_ m_functions;
    Env m_env;
    std::vector<std::unique_ptr<Object>> m_objects;  // never freed early: handles stay unique
    std::set<Object*> m_liveLocalRefs;
    std::map<const char*, Object*> m_chars;          // characters handed out -> their string
    std::vector<std::unique_ptr<char[]>> m_charStore;
    std::vector<std::string> m_errors;
    std::vector<jsize> m_fetched;
    int m_iCharsObtained = 0;
};

}  // namespace qmtest

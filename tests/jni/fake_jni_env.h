// A JNI environment without a virtual machine: just the five functions the
// bridge may call, with books kept on everything handed out, so tests can
// show that each string's characters and each array element's local
// reference go back exactly once.
#pragma once

#include <jni.h>

#include <cstring>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace qmtest {

class FakeJni : public JNIEnv {
public:
    FakeJni() : m_functions{} {
        m_functions.GetStringUTFChars = &GetChars;
        m_functions.ReleaseStringUTFChars = &ReleaseChars;
        m_functions.GetArrayLength = &Length;
        m_functions.GetObjectArrayElement = &Element;
        m_functions.DeleteLocalRef = &DeleteRef;
        functions = &m_functions;
    }
    jstring String(const std::string& text) { return reinterpret_cast<jstring>(New(text)); }
    // A string whose characters the machine cannot hand out (out of memory).
    jstring Unobtainable() { return reinterpret_cast<jstring>(New("", false)); }
    jobjectArray Array(std::initializer_list<jstring> elements) {  // null elements are null references
        Object* array = New("");
        for (jstring element : elements) array->elements.push_back(reinterpret_cast<Object*>(element));
        return reinterpret_cast<jobjectArray>(array);
    }
    // Misuses, characters held, local references held: "0 0 0" when all went back.
    std::string Books() const { return std::to_string(m_misuses) + " " + std::to_string(m_chars.size()) + " " +
                                       std::to_string(m_refs.size()); }

private:
    // A string, an array, or (with a target) a local reference to one.
    struct Object { std::string text; bool obtainable; std::vector<Object*> elements; Object* target; };

    Object* New(const std::string& text, bool obtainable = true, Object* target = nullptr) {
        return &m_objects.emplace_back(Object{text, obtainable, {}, target});
    }
    // The object behind a handle; null, and a misuse, for a null or deleted reference.
    Object* Resolve(void* handle) {
        Object* object = static_cast<Object*>(handle);
        const bool usable = object != nullptr && (object->target == nullptr || m_refs.count(object) != 0);
        if (!usable) ++m_misuses;
        return !usable ? nullptr : object->target != nullptr ? object->target : object;
    }

    static const char* JNICALL GetChars(JNIEnv* env, jstring string, jboolean*) {
        FakeJni& self = static_cast<FakeJni&>(*env);
        Object* object = self.Resolve(string);
        if (object == nullptr || !object->obtainable) return nullptr;
        // A fresh copy each time, freed on release, so the sanitizers see any later use.
        const char* chars = std::strcpy(new char[object->text.size() + 1], object->text.c_str());
        return self.m_chars.emplace(chars, string).first->first;
    }
    static void JNICALL ReleaseChars(JNIEnv* env, jstring string, const char* chars) {
        FakeJni& self = static_cast<FakeJni&>(*env);
        auto found = self.m_chars.find(chars);
        if (found == self.m_chars.end() || found->second != string || self.Resolve(string) == nullptr)
            return void(++self.m_misuses);
        delete[] found->first;
        self.m_chars.erase(found);
    }
    static jsize JNICALL Length(JNIEnv* env, jarray array) {
        Object* object = static_cast<FakeJni&>(*env).Resolve(array);
        return object != nullptr ? static_cast<jsize>(object->elements.size()) : 0;
    }
    static jobject JNICALL Element(JNIEnv* env, jobjectArray array, jsize index) {
        FakeJni& self = static_cast<FakeJni&>(*env);
        Object* object = self.Resolve(array);
        if (object == nullptr || index < 0 || index >= static_cast<jsize>(object->elements.size()))
            return ++self.m_misuses, nullptr;
        Object* element = object->elements[static_cast<std::size_t>(index)];
        if (element == nullptr) return nullptr;  // a null element makes no reference
        return reinterpret_cast<jobject>(*self.m_refs.insert(self.New("", true, element)).first);
    }
    static void JNICALL DeleteRef(JNIEnv* env, jobject ref) {
        FakeJni& self = static_cast<FakeJni&>(*env);
        if (ref != nullptr && self.m_refs.erase(reinterpret_cast<Object*>(ref)) == 0) ++self.m_misuses;
    }

    JNINativeInterface_ m_functions;
    std::deque<Object> m_objects;         // kept to the end: every handle stays unique
    std::set<Object*> m_refs;             // local references handed out, not yet deleted
    std::map<const char*, jstring> m_chars;  // characters handed out, and their string
    int m_misuses = 0;
};

}  // namespace qmtest

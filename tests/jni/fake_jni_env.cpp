#include "jni/fake_jni_env.h"

#include <cstring>

namespace qmtest {

FakeJni::FakeJni() : m_functions{}, m_env{} {
    m_functions.GetStringUTFChars = &FakeJni::GetStringUTFChars;
    m_functions.ReleaseStringUTFChars = &FakeJni::ReleaseStringUTFChars;
    m_functions.GetArrayLength = &FakeJni::GetArrayLength;
    m_functions.GetObjectArrayElement = &FakeJni::GetObjectArrayElement;
    m_functions.DeleteLocalRef = &FakeJni::DeleteLocalRef;
    m_env.env.functions = &m_functions;
    m_env.owner = this;
}

FakeJni::~FakeJni() = default;

jclass FakeJni::receiver() const {
    // Any non-null value: the bridge must never hand it to a JNI function.
    return reinterpret_cast<jclass>(const_cast<Env*>(&m_env));
}

FakeJni& FakeJni::From(JNIEnv* env) { return *reinterpret_cast<Env*>(env)->owner; }

FakeJni::Object* FakeJni::NewObject() {
    m_objects.push_back(std::make_unique<Object>());
    return m_objects.back().get();
}

jstring FakeJni::String(const std::string& text) {
    Object* object = NewObject();
    object->text = text;
    return reinterpret_cast<jstring>(object);
}

jstring FakeJni::UnobtainableString() {
    Object* object = NewObject();
    object->obtainable = false;
    return reinterpret_cast<jstring>(object);
}

jobjectArray FakeJni::Array(std::initializer_list<jstring> elements) {
    Object* object = NewObject();
    object->isArray = true;
    for (jstring element : elements) {
        object->elements.push_back(reinterpret_cast<Object*>(element));
    }
    return reinterpret_cast<jobjectArray>(object);
}

jobjectArray FakeJni::StringArray(const std::vector<std::string>& texts) {
    Object* object = NewObject();
    object->isArray = true;
    for (const std::string& text : texts) {
        object->elements.push_back(reinterpret_cast<Object*>(String(text)));
    }
    return reinterpret_cast<jobjectArray>(object);
}

void FakeJni::ClearHistory() {
    m_fetched.clear();
    m_iCharsObtained = 0;
}

FakeJni::Object* FakeJni::Resolve(jobject handle, const char* operation) {
    Object* object = reinterpret_cast<Object*>(handle);
    if (object == nullptr) {
        m_errors.push_back(std::string(operation) + " on null");
        return nullptr;
    }
    if (object->target != nullptr) {
        if (m_liveLocalRefs.count(object) == 0) {
            m_errors.push_back(std::string(operation) + " through a deleted local reference");
            return nullptr;
        }
        return object->target;
    }
    return object;
}

const char* JNICALL FakeJni::GetStringUTFChars(JNIEnv* env, jstring string, jboolean* isCopy) {
    FakeJni& self = From(env);
    Object* object = self.Resolve(string, "GetStringUTFChars");
    if (object == nullptr || object->isArray) {
        return nullptr;
    }
    if (isCopy != nullptr) {
        *isCopy = JNI_TRUE;
    }
    if (!object->obtainable) {
        return nullptr;
    }
    // A fresh copy each time, so the sanitizers see any use after release.
    std::unique_ptr<char[]> copy(new char[object->text.size() + 1]);
    std::memcpy(copy.get(), object->text.c_str(), object->text.size() + 1);
    const char* chars = copy.get();
    self.m_charStore.push_back(std::move(copy));
    self.m_chars[chars] = reinterpret_cast<Object*>(string);
    ++self.m_iCharsObtained;
    return chars;
}

void JNICALL FakeJni::ReleaseStringUTFChars(JNIEnv* env, jstring string, const char* chars) {
    FakeJni& self = From(env);
    auto found = self.m_chars.find(chars);
    if (found == self.m_chars.end()) {
        self.m_errors.push_back("ReleaseStringUTFChars of characters not handed out");
        return;
    }
    if (found->second != reinterpret_cast<Object*>(string)) {
        self.m_errors.push_back("ReleaseStringUTFChars with another string than the one read");
    }
    if (self.Resolve(string, "ReleaseStringUTFChars") == nullptr) {
        return;
    }
    self.m_chars.erase(found);
    for (auto& stored : self.m_charStore) {
        if (stored.get() == chars) {
            stored.reset();
        }
    }
}

jsize JNICALL FakeJni::GetArrayLength(JNIEnv* env, jarray array) {
    FakeJni& self = From(env);
    Object* object = self.Resolve(array, "GetArrayLength");
    if (object == nullptr || !object->isArray) {
        self.m_errors.push_back("GetArrayLength of something else than an array");
        return 0;
    }
    return static_cast<jsize>(object->elements.size());
}

jobject JNICALL FakeJni::GetObjectArrayElement(JNIEnv* env, jobjectArray array, jsize index) {
    FakeJni& self = From(env);
    self.m_fetched.push_back(index);
    Object* object = self.Resolve(array, "GetObjectArrayElement");
    if (object == nullptr || !object->isArray || index < 0 ||
        index >= static_cast<jsize>(object->elements.size())) {
        self.m_errors.push_back("GetObjectArrayElement outside the array");
        return nullptr;
    }
    Object* element = object->elements[static_cast<std::size_t>(index)];
    if (element == nullptr) {
        return nullptr;  // a null element: no reference is made
    }
    Object* ref = self.NewObject();
    ref->target = element;
    self.m_liveLocalRefs.insert(ref);
    return reinterpret_cast<jobject>(ref);
}

void JNICALL FakeJni::DeleteLocalRef(JNIEnv* env, jobject ref) {
    FakeJni& self = From(env);
    if (ref == nullptr) {
        return;
    }
    if (self.m_liveLocalRefs.erase(reinterpret_cast<Object*>(ref)) == 0) {
        self.m_errors.push_back("DeleteLocalRef of a reference the bridge did not create");
    }
}

}  // namespace qmtest

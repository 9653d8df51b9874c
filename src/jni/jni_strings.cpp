#include "jni/jni_strings.h"

namespace qm {

JniUtfChars::JniUtfChars(JNIEnv* env, jstring string)
    : m_pEnv(env),
      m_string(string),
      m_pszChars(string != nullptr ? env->GetStringUTFChars(string, nullptr) : nullptr) {}

JniUtfChars::~JniUtfChars() {
    if (m_pszChars != nullptr) {
        m_pEnv->ReleaseStringUTFChars(m_string, m_pszChars);
    }
}

JniArgumentStrings::JniArgumentStrings(JNIEnv* env) : m_pEnv(env), m_iCount(0), m_elements{} {}

JniArgumentStrings::~JniArgumentStrings() {
    // Characters first: they belong to the string the local reference names.
    for (int i = 0; i < m_iCount; ++i) {
        Element& element = m_elements[i];
        if (element.string == nullptr) {
            continue;
        }
        if (element.chars != nullptr) {
            m_pEnv->ReleaseStringUTFChars(element.string, element.chars);
        }
        m_pEnv->DeleteLocalRef(element.string);
    }
}

void JniArgumentStrings::Fetch(jobjectArray array, jsize count) {
    if (count > kMaxArguments) {
        count = kMaxArguments;
    }
    // m_iCount grows element by element so that the destructor gives back
    // exactly what was obtained, even if the loop is left early.
    for (jsize i = m_iCount; i < count; ++i) {
        Element& element = m_elements[i];
        element.string = static_cast<jstring>(m_pEnv->GetObjectArrayElement(array, i));
        element.chars = nullptr;
        ++m_iCount;
        if (element.string != nullptr) {
            element.chars = m_pEnv->GetStringUTFChars(element.string, nullptr);
        }
    }
}

const char* JniArgumentStrings::operator[](int index) const {
    if (index < 0 || index >= m_iCount || m_elements[index].chars == nullptr) {
        return "";
    }
    return m_elements[index].chars;
}

}  // namespace qm

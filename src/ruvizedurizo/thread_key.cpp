#include "thread_key.h"

void initializeThreadKey(unsigned long* key) {
    if (key != nullptr) *key = kNoThreadKey;
}

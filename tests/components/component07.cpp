// Test library in row 7 whose entry offers no component.
#include "qmerrlog/component.h"

CQmErrLogComponent* GetComponentPtr() {
    return nullptr;
}

// Test library in row 5 that loads but has no GetComponentPtr entry.
extern "C" __attribute__((visibility("default"))) int QmTestNotAComponent() {
    return 5;
}

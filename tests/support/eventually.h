// Waits for what another thread is to bring about: polls a condition until
// it holds or a generous deadline (never reached in a passing run) passes.
#pragma once

#include <chrono>
#include <thread>

namespace qmtest {

template <typename Condition>
bool Eventually(Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace qmtest

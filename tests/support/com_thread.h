#pragma once
// For tests of code that initialises COM on the calling thread: each case
// runs on a thread of its own, so COM starts uninitialised there and a case
// that leaves it unbalanced cannot spoil the next one.

#include <gtest/gtest.h>
#include <objbase.h>

#include <functional>
#include <thread>

namespace quillon::test {

inline void OnNewThread(const std::function<void()>& Body) { std::thread(Body).join(); }

inline bool ComInitialised() {
    const HRESULT status = ::CoInitialize(nullptr);
    if (SUCCEEDED(status)) ::CoUninitialize();
    return status == S_FALSE;
}

// Undoes the test thread's own CoInitialize calls and checks that exactly
// those were left, so the code under test undid all of its own and no more.
inline void ExpectComBalanced(int OwnInitialisations) {
    for (int i = 0; i < OwnInitialisations; ++i) {
        EXPECT_TRUE(ComInitialised()) << "the caller's COM initialisation was undone";
        ::CoUninitialize();
    }
    EXPECT_FALSE(ComInitialised()) << "COM was left initialised";
}

}  // namespace quillon::test

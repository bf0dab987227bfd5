#include "platform/os/Threads.h"

#include <atomic>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

std::atomic<int> g_runs{0};

DWORD CountRun(LPVOID parameter) {
    g_runs.fetch_add(1);
    return static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(parameter));
}

DWORD SpinUntilStopped(LPVOID parameter) {
    auto* stop = static_cast<std::atomic<bool>*>(parameter);
    while (!stop->load()) SwitchToThread();
    return 7;
}

TEST(Threads, SuspendedThreadRunsOnlyAfterResumeAndIsJoinedByTheWait) {
    g_runs = 0;
    DWORD id = 0;
    HANDLE h = CreateThread(nullptr, 0, CountRun, reinterpret_cast<LPVOID>(std::uintptr_t{42}), CREATE_SUSPENDED, &id);
    ASSERT_NE(h, nullptr);
    EXPECT_NE(id, 0u);
    EXPECT_EQ(WaitForSingleObjectEx(h, 0, TRUE), WAIT_TIMEOUT); // held at the gate
    DWORD code = 0;
    EXPECT_FALSE(GetExitCodeThread(h, &code));
    EXPECT_EQ(g_runs.load(), 0);
    EXPECT_EQ(ResumeThread(h), 1u);
    EXPECT_EQ(WaitForSingleObjectEx(h, INFINITE, TRUE), WAIT_OBJECT_0);
    EXPECT_EQ(g_runs.load(), 1);
    EXPECT_TRUE(GetExitCodeThread(h, &code));
    EXPECT_EQ(code, 42u);
    EXPECT_EQ(ResumeThread(h), 0u); // already running: nothing to resume
    EXPECT_TRUE(CloseHandle(h));
}

TEST(Threads, StopFlagEndsASpinningThread) {
    std::atomic<bool> stop{false};
    HANDLE h = CreateThread(nullptr, 0, SpinUntilStopped, &stop, 0, nullptr);
    ASSERT_NE(h, nullptr);
    stop = true;
    EXPECT_EQ(WaitForSingleObjectEx(h, INFINITE, TRUE), WAIT_OBJECT_0);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(h, &code));
    EXPECT_EQ(code, 7u);
    EXPECT_TRUE(CloseHandle(h));
}

TEST(Threads, NullAndForeignHandlesFailAtOnce) {
    EXPECT_EQ(WaitForSingleObjectEx(nullptr, INFINITE, TRUE), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(ResumeThread(nullptr), 0xFFFFFFFFu);
    EXPECT_FALSE(CloseHandle(nullptr));
    int notAHandle = 0;
    EXPECT_EQ(WaitForSingleObject(&notAHandle, 0), WAIT_FAILED);
    EXPECT_EQ(CreateThread(nullptr, 0, nullptr, nullptr, 0, nullptr), nullptr);
}

TEST(Threads, ClosingAHeldThreadLetsItGoWithoutRunning) {
    g_runs = 0;
    HANDLE h = CreateThread(nullptr, 0, CountRun, nullptr, CREATE_SUSPENDED, nullptr);
    ASSERT_NE(h, nullptr);
    EXPECT_TRUE(CloseHandle(h));
    Sleep(20);
    EXPECT_EQ(g_runs.load(), 0);
}

TEST(ThreadsDeathTest, ThreadNeverResumedDoesNotHoldUpExit) {
    // Without CloseHandle, as after a failed start-up left to process exit.
    EXPECT_EXIT(
        {
            CreateThread(nullptr, 0, CountRun, nullptr, CREATE_SUSPENDED, nullptr);
            std::exit(3);
        },
        ::testing::ExitedWithCode(3), "");
}

TEST(Threads, CriticalSectionIsRecursiveAndExcludesOtherThreads) {
    CRITICAL_SECTION cs;
    InitializeCriticalSection(&cs);
    EnterCriticalSection(&cs);
    EnterCriticalSection(&cs); // the owner may enter again
    std::atomic<int> otherGot{-1};
    std::pair<CRITICAL_SECTION*, std::atomic<int>*> args(&cs, &otherGot);
    HANDLE h = CreateThread(
        nullptr, 0,
        [](LPVOID p) -> DWORD {
            auto* args = static_cast<std::pair<CRITICAL_SECTION*, std::atomic<int>*>*>(p);
            const BOOL got = TryEnterCriticalSection(args->first);
            if (got) LeaveCriticalSection(args->first);
            args->second->store(got);
            return 0;
        },
        &args, 0, nullptr);
    ASSERT_NE(h, nullptr);
    WaitForSingleObjectEx(h, INFINITE, FALSE);
    CloseHandle(h);
    EXPECT_EQ(otherGot.load(), FALSE);
    LeaveCriticalSection(&cs);
    LeaveCriticalSection(&cs);
    EXPECT_TRUE(TryEnterCriticalSection(&cs));
    LeaveCriticalSection(&cs);
    DeleteCriticalSection(&cs);
}

TEST(Threads, CriticalSectionCountsStayExactUnderContention) {
    CRITICAL_SECTION cs;
    InitializeCriticalSection(&cs);
    struct Shared {
        CRITICAL_SECTION* cs;
        long counter = 0;
    } shared{&cs};
    auto work = [](LPVOID p) -> DWORD {
        auto* s = static_cast<Shared*>(p);
        for (int i = 0; i < 20000; ++i) {
            EnterCriticalSection(s->cs);
            ++s->counter;
            LeaveCriticalSection(s->cs);
        }
        return 0;
    };
    HANDLE a = CreateThread(nullptr, 0, work, &shared, 0, nullptr);
    HANDLE b = CreateThread(nullptr, 0, work, &shared, 0, nullptr);
    WaitForSingleObjectEx(a, INFINITE, TRUE);
    WaitForSingleObjectEx(b, INFINITE, TRUE);
    CloseHandle(a);
    CloseHandle(b);
    EXPECT_EQ(shared.counter, 40000);
    DeleteCriticalSection(&cs);
}

} // namespace

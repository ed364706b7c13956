#include <atomic>
#include <memory>

#include <gtest/gtest.h>

#include "Tick.h"
#include "WorkerThread.h"

TEST(WorkerThread, StartsOnlyWhenResumedAndReportsItsEnd)
{
    std::atomic<bool> ran{false};
    CWorkerThread thread([&] {
        ran = true;
        return 7u;
    });
    EXPECT_FALSE(thread.IsRunning());
    EXPECT_FALSE(ran.load());
    thread.Resume();
    EXPECT_TRUE(thread.WaitFor(5000));
    EXPECT_TRUE(ran.load());
    EXPECT_EQ(thread.ExitCode(), 7u);
    EXPECT_FALSE(thread.IsRunning());
}

TEST(WorkerThread, BoundedWaitLeavesASlowThreadRunningWithWhatItOwns)
{
    auto release = std::make_shared<std::atomic<bool>>(false);
    auto finished = std::make_shared<std::atomic<bool>>(false);
    {
        CWorkerThread thread([release, finished] {
            while (!release->load())
                SleepMs(1);
            finished->store(true);
            return 0u;
        });
        thread.Resume();
        EXPECT_FALSE(thread.WaitFor(20));
        EXPECT_TRUE(thread.IsRunning());
    }
    // The owner is gone; the thread still has its captures and ends normally.
    release->store(true);
    const uint32_t start = GetTickCount32();
    while (!finished->load() && GetTickCount32() - start < 5000)
        SleepMs(1);
    EXPECT_TRUE(finished->load());
}

TEST(Tick, DifferencesSurviveAWrap)
{
    const uint32_t before = 0xFFFFFF00u;
    const uint32_t after = 0x00000100u;
    EXPECT_EQ(after - before, 0x200u);
}

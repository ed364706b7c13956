#include <thread>

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <gtest/gtest.h>

#include "SingleInstance.h"

TEST(SingleInstance, ASecondStartEndsAndRaisesTheFirst)
{
    CSingleInstance first(QStringLiteral("marlune-test-instance"));
    ASSERT_TRUE(first.Acquire());
    int activations = 0;
    QObject::connect(&first, &CSingleInstance::ActivationRequested, [&] { ++activations; });

    // The second start blocks in its connect while the first answers on
    // this thread, so it runs on its own thread like a second process would.
    bool secondAcquired = true;
    std::thread second([&] {
        CSingleInstance later(QStringLiteral("marlune-test-instance"));
        secondAcquired = later.Acquire();
    });
    QDeadlineTimer deadline(5000);
    while (activations == 0 && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    second.join();
    EXPECT_FALSE(secondAcquired);
    EXPECT_EQ(activations, 1);
}

TEST(SingleInstance, TheNameIsFreeAgainOnceTheFirstEnds)
{
    {
        CSingleInstance first(QStringLiteral("marlune-test-reuse"));
        ASSERT_TRUE(first.Acquire());
    }
    CSingleInstance again(QStringLiteral("marlune-test-reuse"));
    EXPECT_TRUE(again.Acquire());
}

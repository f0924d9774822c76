#include "platform/main_thread.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <thread>

namespace vantile::platform {
namespace {

TEST(MainThread, WithoutInvokerRunsOnTheCallingThread) {
    ASSERT_FALSE(HasMainThreadInvoker());
    std::thread::id ran;
    RunOnMainThread([&] { ran = std::this_thread::get_id(); });
    EXPECT_EQ(ran, std::this_thread::get_id());
}

TEST(MainThread, InvokerRunsTheCallAndIsRestored) {
    int handedOver = 0;
    bool ran = false;
    {
        ScopedMainThreadInvoker scoped([&](const MainThreadCall& call) {
            ++handedOver;
            call();
        });
        std::thread worker([&] { RunOnMainThread([&] { ran = true; }); });
        worker.join();
        EXPECT_THROW(RunOnMainThread([] { throw std::runtime_error("x"); }), std::runtime_error);
    }
    EXPECT_TRUE(ran);
    EXPECT_EQ(handedOver, 2);
    EXPECT_FALSE(HasMainThreadInvoker());
}

}  // namespace
}  // namespace vantile::platform

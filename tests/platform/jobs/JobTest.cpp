// Jobs that a disk which does not answer would hold: the owner is never
// held longer than the stop wait, a job left behind touches nothing of its
// owner's, and past the cap new work waits instead of piling up threads.
#include "platform/jobs/BackgroundCall.h"
#include "platform/jobs/Job.h"
#include "platform/jobs/JobMailbox.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace orbisk {
namespace {

using namespace std::chrono_literals;

// Stands for a read that does not return until the disk answers again.
class Stall {
public:
    void Wait()
    {
        std::unique_lock lock(mutex_);
        ++waiting_;
        changed_.notify_all();
        changed_.wait(lock, [this] { return open_; });
    }
    void WaitUntilWaiting(int count)
    {
        std::unique_lock lock(mutex_);
        ASSERT_TRUE(changed_.wait_for(lock, 10s, [&] { return waiting_ >= count; })) << "the jobs never started";
    }
    void Open()
    {
        const std::lock_guard lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int waiting_ = 0;
    bool open_ = false;
};

void WaitForNoneLeftBehind()
{
    for (int i = 0; i < 1000 && Job::LeftBehind() > 0; ++i)
        std::this_thread::sleep_for(10ms);
    ASSERT_EQ(Job::LeftBehind(), 0);
}

TEST(Job, AJobThatEndsIsWaitedForAndOneThatDoesNotIsLeftBehindWithItsGateShut)
{
    int reports = 0;
    Job quick([&](JobControl& job) { job.Through([&] { ++reports; }); });
    ASSERT_TRUE(quick.WaitFor(10s));
    EXPECT_TRUE(quick.Stop());
    EXPECT_EQ(reports, 1);

    auto stall = std::make_shared<Stall>();
    auto touchedAfter = std::make_shared<std::atomic<bool>>(false);
    auto owned = std::make_shared<std::atomic<int>>(0);
    {
        Job blocked([stall, touchedAfter, owned](JobControl& job) {
            stall->Wait();
            owned->store(1); // what it owns it may still use
            if (job.Through([] {}))
                touchedAfter->store(true);
        });
        stall->WaitUntilWaiting(1);
        int polls = 0;
        EXPECT_FALSE(blocked.Stop([&] { ++polls; }));
        EXPECT_GE(polls, 1); // the owner kept showing reports while it waited
        EXPECT_FALSE(blocked.Running());
        EXPECT_EQ(Job::LeftBehind(), 1);
    }
    stall->Open();
    WaitForNoneLeftBehind();
    EXPECT_EQ(owned->load(), 1);
    EXPECT_FALSE(touchedAfter->load());
}

TEST(Job, PastTheCapNewWorkWaitsInTheQueueUntilAJobLeftBehindEnds)
{
    std::vector<std::shared_ptr<Stall>> stalls;
    for (int i = 0; i < Job::MaxLeftBehind; ++i) {
        auto stall = std::make_shared<Stall>();
        stalls.push_back(stall);
        Job job([stall](JobControl&) { stall->Wait(); });
        stall->WaitUntilWaiting(1);
        EXPECT_TRUE(job.Release());
    }
    ASSERT_EQ(Job::LeftBehind(), Job::MaxLeftBehind);

    std::atomic<bool> ran { false };
    Job next([&](JobControl&) { ran.store(true); });
    EXPECT_TRUE(next.Queued());
    EXPECT_TRUE(Job::Stalled());
    EXPECT_FALSE(next.WaitFor(50ms));
    EXPECT_FALSE(ran.load());

    // Work cancelled while queued never runs and costs no wait.
    std::atomic<bool> cancelledRan { false };
    {
        Job dropped([&](JobControl&) { cancelledRan.store(true); });
        EXPECT_TRUE(dropped.Stop());
    }

    stalls.front()->Open();
    EXPECT_TRUE(next.WaitFor(10s));
    EXPECT_TRUE(ran.load());
    EXPECT_TRUE(next.Stop());
    EXPECT_FALSE(Job::Stalled());

    for (const auto& stall : stalls)
        stall->Open();
    WaitForNoneLeftBehind();
    EXPECT_FALSE(cancelledRan.load());
}

TEST(Job, AMailboxKeepsOrderMergesAndKeepsOnlyTheLatestOfASlot)
{
    JobMailbox<int, 1> box(nullptr, [](int& last, const int& next) {
        if (last >= 0 || next >= 0)
            return false;
        last += next;
        return true;
    });
    Job job([&](JobControl& control) {
        box.Post(control, 1);
        box.Post(control, -1);
        box.Post(control, -2);
        box.PostLatest(control, 0, 7);
        box.PostLatest(control, 0, 8);
        box.Post(control, 2);
    });
    ASSERT_TRUE(job.WaitFor(10s));
    ASSERT_TRUE(job.Stop());
    const auto batch = box.Take();
    EXPECT_EQ(batch.reports, (std::vector<int> { 1, -3, 2 }));
    EXPECT_EQ(batch.latest[0], 8);
    EXPECT_TRUE(box.Take().empty());
}

TEST(Job, ABackgroundCallIsUsedAtOnceWhereTheDiskAnswersAndDroppedWhenCancelled)
{
    int argc = 0;
    QCoreApplication app(argc, nullptr);

    BackgroundCall<int> call;
    int got = 0;
    const auto until = [&](int value) {
        for (int i = 0; i < 2000 && got != value; ++i) {
            QCoreApplication::processEvents();
            std::this_thread::sleep_for(5ms);
        }
        return got == value;
    };
    call.Start([] { return 42; }, [&](int value) { got = value; });
    EXPECT_TRUE(until(42)); // at once where the thread is not kept waiting

    // A value that comes late is delivered by the event loop.
    auto stall = std::make_shared<Stall>();
    call.Start([stall] { stall->Wait(); return 7; }, [&](int value) { got = value; });
    EXPECT_TRUE(call.Waiting());
    stall->Open();
    EXPECT_TRUE(until(7));

    // One asked for while a read is stuck waits for it instead of leaving
    // it behind, and the stale value is never delivered.
    auto stuck = std::make_shared<Stall>();
    std::vector<int> delivered;
    call.Start([stuck] { stuck->Wait(); return 1; }, [&](int value) { delivered.push_back(value); });
    call.Start([] { return 2; }, [&](int value) { delivered.push_back(value); got = value; });
    EXPECT_EQ(Job::LeftBehind(), 0);
    stuck->Open();
    EXPECT_TRUE(until(2));
    EXPECT_EQ(delivered, std::vector<int> { 2 });
}

} // namespace
} // namespace orbisk

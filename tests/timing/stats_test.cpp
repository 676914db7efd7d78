// The Performance camera's statistics on their own: the running series with
// its rescaling, tick differences, the lock-free shared series and the three
// result texts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "timing/stats.h"

namespace {

using namespace PerformanceCam;

_Timings Fresh(double minStart = kMainMinStart) {
    _Timings t{};
    ResetTimings(t, minStart);
    return t;
}

TEST(TimingSeries, HundredCallsOfFiveHundredTicksReadAsTheExample) {
    _Timings t = Fresh();
    for (int i = 0; i < 100; ++i) CalculateTimes(t, 500.0);
    EXPECT_EQ(t.callCount, 100);
    EXPECT_EQ(t.totalTicks, 50000.0);
    EXPECT_EQ(t.sampleWeight, 100.0);
    EXPECT_EQ(t.averageTicks, 500.0);
    EXPECT_EQ(t.minTicks, 500.0);
    EXPECT_EQ(t.maxTicks, 500.0);

    ResultTexts texts;
    FormatResults(t, texts);
    EXPECT_STREQ(texts.chNumCalls, "100");
    EXPECT_STREQ(texts.chTotalTime, "50000 cycles");
    EXPECT_STREQ(texts.chAverageTime, "500.000000 cycles");
}

TEST(TimingSeries, MinimumAndMaximumFollowTheMeasurements) {
    _Timings t = Fresh();
    for (double x : {300.0, 100.0, 900.0, 200.0}) CalculateTimes(t, x);
    EXPECT_EQ(t.minTicks, 100.0);
    EXPECT_EQ(t.maxTicks, 900.0);
    EXPECT_EQ(t.averageTicks, 375.0);
    // A measurement above the starting minimum leaves the minimum there.
    _Timings big = Fresh();
    CalculateTimes(big, 2e6);
    EXPECT_EQ(big.minTicks, kMainMinStart);
}

TEST(TimingSeries, RescalingPastTwoMillionKeepsTheAverageThenFavoursLaterCalls) {
    _Timings t = Fresh();
    int calls = 0;
    while (t.totalTicks <= 2000000.0 - 500.0) {
        CalculateTimes(t, 500.0);
        ++calls;
    }
    EXPECT_EQ(calls, 4000);
    EXPECT_EQ(t.totalTicks, 2000000.0);
    CalculateTimes(t, 500.0); // 2,000,500 > 2,000,000: both shrink by 20
    EXPECT_DOUBLE_EQ(t.totalTicks, 100025.0);
    EXPECT_DOUBLE_EQ(t.sampleWeight, 200.05);
    EXPECT_DOUBLE_EQ(t.averageTicks, 500.0);
    EXPECT_EQ(t.callCount, 4001);

    // One later call of 1500 ticks now weighs like twenty earlier ones.
    CalculateTimes(t, 1500.0);
    EXPECT_DOUBLE_EQ(t.averageTicks, (100025.0 + 1500.0) / 201.05);
    EXPECT_GT(t.averageTicks, (4001 * 500.0 + 1500.0) / 4002);
    EXPECT_EQ(t.callCount, 4002);
    // The total shown is always count times average.
    ResultTexts texts;
    FormatResults(t, texts);
    char expect[64];
    std::snprintf(expect, sizeof expect, "%.0f cycles", 4002 * t.averageTicks);
    EXPECT_STREQ(texts.chTotalTime, expect);
}

TEST(TimingSeries, ResetStartsANewSeriesAndKeepsTheAverage) {
    _Timings t = Fresh();
    CalculateTimes(t, 40.0);
    CalculateTimes(t, 60.0);
    ResetTimings(t, kBackToBackMinStart);
    EXPECT_EQ(t.callCount, 0);
    EXPECT_EQ(t.totalTicks, 0.0);
    EXPECT_EQ(t.sampleWeight, 0.0);
    EXPECT_EQ(t.maxTicks, 0.0);
    EXPECT_EQ(t.minTicks, kBackToBackMinStart);
    EXPECT_EQ(t.averageTicks, 50.0);
}

TEST(TimingCounter, DifferenceIsTheLow32BitsOfTheFullDifference) {
    _RdtscInfo start{0xFFFFFFF0u, 7}, stop{0x10u, 8}, d{1, 1};
    CalculateDelta(d, start, stop); // crosses into the high half
    EXPECT_EQ(d.low, 0x20u);
    EXPECT_EQ(d.high, 0u);
    // 2^32 + 5 ticks count as 5.
    EXPECT_EQ(DeltaTicks({3, 1}, {8, 2}), 5u);
    // A counter that stepped back gives the modular difference, not a crash.
    EXPECT_EQ(DeltaTicks({10, 0}, {4, 0}), 0xFFFFFFFAu);
}

TEST(TimingCounter, ReadingsNeverGoBackwards) {
    _RdtscInfo a, b;
    GetRdtscInfo(a);
    for (int i = 0; i < 1000; ++i) {
        GetRdtscInfo(b);
        EXPECT_GE(CounterValue(b), CounterValue(a));
        a = b;
    }
}

TEST(TimingTexts, AreBoundedByTheirBuffers) {
    _Timings t = Fresh();
    t.callCount = -1; // past 2^31 calls: the count reads as unsigned for the total
    t.averageTicks = 1e290;
    ResultTexts texts;
    std::memset(&texts, 'x', sizeof texts);
    FormatResults(t, texts);
    EXPECT_STREQ(texts.chNumCalls, "-1");
    EXPECT_EQ(std::strlen(texts.chTotalTime), kTextSize - 1); // cut, terminated
    EXPECT_EQ(std::strlen(texts.chAverageTime), kTextSize - 1);
    EXPECT_EQ(std::string(texts.chTotalTime, 5), "42949");

    t.callCount = 3;
    t.averageTicks = std::nan("");
    FormatResults(t, texts);
    EXPECT_STREQ(texts.chNumCalls, "3");
    EXPECT_LT(std::strlen(texts.chAverageTime), kTextSize);
}

TEST(SharedTimings, ShortSeriesMatchThePlainSeriesExactly) {
    SharedTimings s;
    _Timings plain = Fresh();
    for (std::uint32_t x : {120u, 80u, 95u, 3000u, 7u}) {
        s.Add(x);
        CalculateTimes(plain, x);
    }
    const _Timings t = s.Snapshot();
    EXPECT_EQ(t.callCount, plain.callCount);
    EXPECT_EQ(t.totalTicks, plain.totalTicks);
    EXPECT_EQ(t.sampleWeight, plain.sampleWeight);
    EXPECT_EQ(t.averageTicks, plain.averageTicks);
    EXPECT_EQ(t.minTicks, plain.minTicks);
    EXPECT_EQ(t.maxTicks, plain.maxTicks);
}

TEST(SharedTimings, LongSeriesFollowTheRescalingRule) {
    SharedTimings s;
    _Timings plain = Fresh();
    for (int i = 0; i < 20000; ++i) {
        const std::uint32_t x = (i < 8000) ? 500u : 900u + static_cast<std::uint32_t>(i % 7);
        s.Add(x);
        CalculateTimes(plain, x);
    }
    const _Timings t = s.Snapshot();
    EXPECT_EQ(t.callCount, 20000);
    EXPECT_NEAR(t.averageTicks, plain.averageTicks, plain.averageTicks * 1e-5);
    // Recent calls dominate: the plain mean of all calls would be far lower.
    EXPECT_GT(t.averageTicks, 890.0);
    EXPECT_EQ(t.minTicks, 500.0);
    EXPECT_EQ(t.maxTicks, 906.0);
}

TEST(SharedTimings, ResetKeepsTheAverageUntilTheNextMeasurement) {
    SharedTimings s;
    s.Add(10);
    s.Add(30);
    s.Reset(kMainMinStart);
    _Timings t = s.Snapshot();
    EXPECT_EQ(t.callCount, 0);
    EXPECT_EQ(t.averageTicks, 20.0);
    EXPECT_EQ(t.minTicks, kMainMinStart);
    EXPECT_EQ(t.maxTicks, 0.0);
    s.Add(7);
    t = s.Snapshot();
    EXPECT_EQ(t.callCount, 1);
    EXPECT_EQ(t.averageTicks, 7.0);
}

void ExpectSameRecord(const _Timings &got, const _Timings &want) {
    EXPECT_EQ(got.callCount, want.callCount);
    EXPECT_EQ(got.totalTicks, want.totalTicks);
    EXPECT_EQ(got.sampleWeight, want.sampleWeight);
    EXPECT_EQ(got.averageTicks, want.averageTicks);
    EXPECT_EQ(got.minTicks, want.minTicks);
    EXPECT_EQ(got.maxTicks, want.maxTicks);
    ResultTexts a, b;
    FormatResults(got, a);
    FormatResults(want, b);
    EXPECT_STREQ(a.chNumCalls, b.chNumCalls);
    EXPECT_STREQ(a.chTotalTime, b.chTotalTime);
    EXPECT_STREQ(a.chAverageTime, b.chAverageTime);
}

// Feeds the same ticks to the shared statistics and to a plain series.
template <class Ticks> void FeedBoth(SharedTimings &s, _Timings &plain, int calls, Ticks next) {
    for (int i = 0; i < calls; ++i) {
        const std::uint32_t x = next(i);
        s.Add(x);
        CalculateTimes(plain, x);
    }
}

TEST(SharedTimings, OneThreadPastTheRescalingIsThePlainSeriesExactly) {
    {
        SharedTimings s;
        _Timings plain = Fresh();
        FeedBoth(s, plain, 100000, [](int) { return 500u; });
        ExpectSameRecord(s.Snapshot(), plain);
        ResultTexts texts;
        FormatResults(s.Snapshot(), texts);
        EXPECT_STREQ(texts.chAverageTime, "500.000000 cycles"); // the average of all calls so far
    }
    {
        SharedTimings s;
        _Timings plain = Fresh();
        std::mt19937 random(20240607u);
        std::uniform_int_distribution<std::uint32_t> ticks(1u, 20000u);
        FeedBoth(s, plain, 50000, [&](int) { return ticks(random); });
        ASSERT_LT(plain.sampleWeight, 0.01 * plain.callCount); // rescaled many times over
        ExpectSameRecord(s.Snapshot(), plain);
    }
}

TEST(SharedTimings, ResetStartsThePlainSeriesAgainWithTheAverageKept) {
    SharedTimings s;
    _Timings plain = Fresh();
    std::mt19937 random(7u);
    std::uniform_int_distribution<std::uint32_t> ticks(300u, 900u);
    FeedBoth(s, plain, 30000, [&](int) { return ticks(random); });
    for (int frame = 0; frame < 3; ++frame) {
        s.Reset(kMainMinStart);
        ResetTimings(plain, kMainMinStart);
        ExpectSameRecord(s.Snapshot(), plain); // count 0, the last average kept
        s.Reset(kMainMinStart);                // a frame with no measurement keeps it too
        ExpectSameRecord(s.Snapshot(), plain);
        FeedBoth(s, plain, 10000 + frame, [&](int) { return ticks(random); });
        ExpectSameRecord(s.Snapshot(), plain);
    }
}

TEST(SharedTimings, ASecondThreadSwitchesToTheSharedFormUntilTheNextReset) {
    SharedTimings s;
    _Timings plain = Fresh();
    // This thread owns the series and passes the rescaling alone...
    FeedBoth(s, plain, 60000, [](int) { return 400u; });
    // ...then a second thread measures while the owner goes on.
    constexpr int kPerThread = 50000;
    std::thread second([&] {
        for (int i = 0; i < kPerThread; ++i) s.Add(i == kPerThread / 2 ? 100u : 400u);
    });
    for (int i = 0; i < kPerThread; ++i) s.Add(400);
    second.join();
    const _Timings t = s.Snapshot();
    EXPECT_EQ(t.callCount, 60000 + 2 * kPerThread); // both threads' calls, each once
    EXPECT_NEAR(t.averageTicks, 400.0, 400.0 * 1e-5); // the one short call weighs next to nothing
    EXPECT_EQ(t.minTicks, 100.0);
    EXPECT_EQ(t.maxTicks, 400.0);

    // Next frame on another thread: the plain series again, starting from the
    // average the shared form reported last.
    s.Reset(kMainMinStart);
    ResetTimings(plain, kMainMinStart);
    plain.averageTicks = t.averageTicks;
    ExpectSameRecord(s.Snapshot(), plain);
    std::thread third([&] {
        std::mt19937 random(99u);
        std::uniform_int_distribution<std::uint32_t> ticks(1u, 5000u);
        FeedBoth(s, plain, 20000, [&](int) { return ticks(random); });
    });
    third.join();
    ExpectSameRecord(s.Snapshot(), plain);
}

TEST(SharedTimings, ConcurrentMeasurementsAreEachCountedOnce) {
    SharedTimings s;
    constexpr int kThreads = 4, kPerThread = 50000;
    std::vector<std::thread> threads;
    for (int k = 0; k < kThreads; ++k)
        threads.emplace_back([&s] {
            for (int i = 0; i < kPerThread; ++i) s.Add(250);
        });
    for (auto &th : threads) th.join();
    const _Timings t = s.Snapshot();
    EXPECT_EQ(t.callCount, kThreads * kPerThread);
    // Every measurement was 250 ticks, whatever order the threads took.
    EXPECT_NEAR(t.averageTicks, 250.0, 250.0 * 1e-5);
    EXPECT_EQ(t.minTicks, 250.0);
    EXPECT_EQ(t.maxTicks, 250.0);
}

} // namespace

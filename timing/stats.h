// stats.h -- the Performance camera's measuring tools: the cycle counter, tick
// differences, the running statistics with their rescaling, a lock-free form
// of those statistics for evaluations that run on several threads at once,
// and the three result texts.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstring>
#if defined(__APPLE__)
#include <pthread.h>
#endif

#if defined(__i386__) || defined(__x86_64__) || defined(_M_IX86) || defined(_M_X64)
#define LENTARA_TIMING_TSC 1
#if defined(_MSC_VER)
#include <intrin.h>
#else
#include <x86intrin.h>
#endif
#else
#define LENTARA_TIMING_TSC 0
#include <chrono>
#endif

namespace PerformanceCam {

// One 64-bit counter reading as two halves, low half first.
struct _RdtscInfo {
    std::uint32_t low;
    std::uint32_t high;
};

// Running statistics of a series of tick measurements.
struct _Timings {
    double totalTicks;   // running sum, rescaled
    double sampleWeight; // measurements in totalTicks, rescaled along with it
    double minTicks;
    double maxTicks;
    double averageTicks; // totalTicks / sampleWeight after the last measurement
    std::int32_t callCount; // never rescaled
};

// Once the sum passes this many ticks, sum and weight shrink by kRescale, so
// older measurements weigh a twentieth of newer ones from then on.
constexpr double kRescaleAbove = 2000000.0;
constexpr double kRescale = 20.0;

// Starting minimum of each series: no real measurement comes near these.
constexpr double kMainMinStart = 1000000.0;
constexpr double kBackToBackMinStart = 10000000.0;
// Counter read pairs timed at each new frame. A build may take fewer (the
// fuzz build does: there the count only makes every new frame slower).
#ifndef LENTARA_TIMING_BASELINE_PAIRS
#define LENTARA_TIMING_BASELINE_PAIRS 10000
#endif
constexpr int kBaselinePairs = LENTARA_TIMING_BASELINE_PAIRS;

// Reads the cycle counter. On x86 a load fence first, so that the read is not
// moved ahead of earlier loads; elsewhere the finest monotonic clock's ticks.
inline std::uint64_t ReadCounter() noexcept {
#if LENTARA_TIMING_TSC
    _mm_lfence();
    return __rdtsc();
#else
    return static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
#endif
}

inline void GetRdtscInfo(_RdtscInfo &record) noexcept {
    const std::uint64_t t = ReadCounter();
    record.low = static_cast<std::uint32_t>(t);
    record.high = static_cast<std::uint32_t>(t >> 32);
}

inline std::uint64_t CounterValue(const _RdtscInfo &r) noexcept {
    return (static_cast<std::uint64_t>(r.high) << 32) | r.low;
}

// stop - start as 64-bit numbers; `out` gets the low 32 bits (its high half
// 0), so a measurement of 2^32 ticks or more counts modulo 2^32.
inline void CalculateDelta(_RdtscInfo &out, const _RdtscInfo &start, const _RdtscInfo &stop) noexcept {
    out.low = static_cast<std::uint32_t>(CounterValue(stop) - CounterValue(start));
    out.high = 0;
}

inline std::uint32_t DeltaTicks(const _RdtscInfo &start, const _RdtscInfo &stop) noexcept {
    _RdtscInfo d;
    CalculateDelta(d, start, stop);
    return d.low;
}

// Adds one measurement of x ticks.
inline void CalculateTimes(_Timings &t, double x) noexcept {
    t.totalTicks += x;
    t.sampleWeight += 1.0;
    if (t.minTicks > x) t.minTicks = x;
    if (x > t.maxTicks) t.maxTicks = x;
    if (t.totalTicks > kRescaleAbove) {
        t.totalTicks /= kRescale;
        t.sampleWeight /= kRescale;
    }
    // Past 2^31 calls the count wraps (and reads as unsigned for the total)
    // instead of overflowing.
    t.callCount = static_cast<std::int32_t>(static_cast<std::uint32_t>(t.callCount) + 1u);
    t.averageTicks = t.totalTicks / t.sampleWeight;
}

// Starts a new series; the average keeps its value until the next measurement.
inline void ResetTimings(_Timings &t, double minStart) noexcept {
    t.minTicks = minStart;
    t.maxTicks = 0.0;
    t.totalTicks = 0.0;
    t.sampleWeight = 0.0;
    t.callCount = 0;
}

// Names the calling thread for SharedTimings without allocating: Windows
// gives every thread its own id, and so does pthread_self on macOS (whose
// thread-locals are allocated on a thread's first access); on ELF systems the
// address of a per-thread byte in the static TLS block serves. 0 names no
// thread.
#if defined(_WIN32)
extern "C" __declspec(dllimport) unsigned long __stdcall GetCurrentThreadId(void);
inline std::uintptr_t ThisThreadToken() noexcept { return static_cast<std::uintptr_t>(GetCurrentThreadId()); }
#elif defined(__APPLE__)
inline std::uintptr_t ThisThreadToken() noexcept { return reinterpret_cast<std::uintptr_t>(pthread_self()); }
#else
#if defined(__ELF__) && defined(__GNUC__)
#define LENTARA_TIMING_TLS __attribute__((tls_model("initial-exec")))
#else
#define LENTARA_TIMING_TLS
#endif
inline std::uintptr_t ThisThreadToken() noexcept {
    static thread_local char token LENTARA_TIMING_TLS;
    return reinterpret_cast<std::uintptr_t>(&token);
}
#endif

// The same statistics, fed from several threads at once without locks or
// allocation; every measurement is counted exactly once.
//
// While one thread alone measures, the statistics are exactly the plain
// series: the first thread to add after a reset owns a plain _Timings record
// and feeds it with CalculateTimes. Only the owner writes that record, and it
// is read only between frames, when no Add runs, so it needs no atomics.
// An Add from any other thread marks the series shared, and the shared form
// below is reported instead.
//
// The shared form is fed by every thread from the start. Its rescaled sum and
// weight change together, so they live in one 64-bit word (two
// single-precision halves) updated by compare-and-swap: the updates line up
// one after another in some order, as the plain series would. Until the first
// rescaling the exact integer sum and count give the average.
class SharedTimings {
public:
    SharedTimings() noexcept { Reset(kMainMinStart); }

    void Add(std::uint32_t x) noexcept {
        // Claim the plain series, or find out whose it is. Nothing is
        // published through the claim, so relaxed order does.
        const std::uintptr_t me = ThisThreadToken();
        std::uintptr_t owner = owner_.load(std::memory_order_relaxed);
        if (owner == 0 && owner_.compare_exchange_strong(owner, me, std::memory_order_relaxed)) owner = me;
        if (owner == me)
            CalculateTimes(plain_, x);
        else if (!shared_.load(std::memory_order_relaxed))
            shared_.store(true, std::memory_order_relaxed);

        calls_.fetch_add(1, std::memory_order_relaxed);
        exactCount_.fetch_add(1, std::memory_order_relaxed);
        exactSum_.fetch_add(x, std::memory_order_relaxed);
        std::uint32_t lo = min_.load(std::memory_order_relaxed);
        while (x < lo && !min_.compare_exchange_weak(lo, x, std::memory_order_relaxed)) {
        }
        std::uint32_t hi = max_.load(std::memory_order_relaxed);
        while (x > hi && !max_.compare_exchange_weak(hi, x, std::memory_order_relaxed)) {
        }
        std::uint64_t old = pair_.load(std::memory_order_relaxed);
        for (;;) {
            float total = Total(old) + static_cast<float>(x);
            float weight = Weight(old) + 1.0f;
            bool rescale = total > static_cast<float>(kRescaleAbove);
            if (rescale) {
                total /= static_cast<float>(kRescale);
                weight /= static_cast<float>(kRescale);
            }
            if (pair_.compare_exchange_weak(old, Pack(total, weight), std::memory_order_relaxed)) {
                if (rescale) rescaled_.store(true, std::memory_order_relaxed);
                break;
            }
        }
    }

    // Must not run while Add does: the host calls it between frames. The
    // average last reported is kept until the next measurement.
    void Reset(double minStart) noexcept {
        const double kept = Snapshot().averageTicks;
        average_ = kept;
        ResetTimings(plain_, minStart);
        plain_.averageTicks = kept;
        owner_.store(0, std::memory_order_relaxed);
        shared_.store(false, std::memory_order_relaxed);
        calls_.store(0, std::memory_order_relaxed);
        exactCount_.store(0, std::memory_order_relaxed);
        exactSum_.store(0, std::memory_order_relaxed);
        min_.store(minStart >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<std::uint32_t>(minStart),
                   std::memory_order_relaxed);
        max_.store(0, std::memory_order_relaxed);
        pair_.store(Pack(0.0f, 0.0f), std::memory_order_relaxed);
        rescaled_.store(false, std::memory_order_relaxed);
    }

    // The statistics as a plain record; call it when no Add runs.
    _Timings Snapshot() const noexcept {
        if (!shared_.load(std::memory_order_relaxed)) return plain_;
        _Timings t;
        const std::uint64_t n = exactCount_.load(std::memory_order_relaxed);
        t.callCount = calls_.load(std::memory_order_relaxed);
        t.minTicks = min_.load(std::memory_order_relaxed);
        t.maxTicks = max_.load(std::memory_order_relaxed);
        if (!rescaled_.load(std::memory_order_relaxed)) {
            t.totalTicks = static_cast<double>(exactSum_.load(std::memory_order_relaxed));
            t.sampleWeight = static_cast<double>(n);
        } else {
            const std::uint64_t p = pair_.load(std::memory_order_relaxed);
            t.totalTicks = Total(p);
            t.sampleWeight = Weight(p);
        }
        t.averageTicks = (n != 0 && t.sampleWeight > 0.0) ? t.totalTicks / t.sampleWeight : average_;
        return t;
    }

private:
    static std::uint64_t Pack(float total, float weight) noexcept {
        std::uint32_t a, b;
        std::memcpy(&a, &total, sizeof a);
        std::memcpy(&b, &weight, sizeof b);
        return (static_cast<std::uint64_t>(b) << 32) | a;
    }
    static float Total(std::uint64_t p) noexcept {
        const std::uint32_t a = static_cast<std::uint32_t>(p);
        float f;
        std::memcpy(&f, &a, sizeof f);
        return f;
    }
    static float Weight(std::uint64_t p) noexcept {
        const std::uint32_t b = static_cast<std::uint32_t>(p >> 32);
        float f;
        std::memcpy(&f, &b, sizeof f);
        return f;
    }

    // The plain series and its owner's token (0: no measurement yet).
    _Timings plain_{};
    std::atomic<std::uintptr_t> owner_{0};
    std::atomic<bool> shared_{false};

    std::atomic<std::int32_t> calls_{0};
    std::atomic<std::uint64_t> exactCount_{0};
    std::atomic<std::uint64_t> exactSum_{0};
    std::atomic<std::uint32_t> min_{0};
    std::atomic<std::uint32_t> max_{0};
    std::atomic<std::uint64_t> pair_{0};
    std::atomic<bool> rescaled_{false};
    double average_ = 0.0;
};

// The results panel's three lines.
constexpr std::size_t kTextSize = 224;
struct ResultTexts {
    char chNumCalls[kTextSize];
    char chTotalTime[kTextSize];
    char chAverageTime[kTextSize];
};

// Calls as "%i", total as the count (read unsigned) times the average with
// "%.0f cycles", average with "%f cycles". A huge or non-finite average is
// cut to the buffer, never past it.
inline void FormatResults(const _Timings &t, ResultTexts &out) noexcept {
    std::snprintf(out.chNumCalls, kTextSize, "%i", static_cast<int>(t.callCount));
    const double total = static_cast<double>(static_cast<std::uint32_t>(t.callCount)) * t.averageTicks;
    std::snprintf(out.chTotalTime, kTextSize, "%.0f cycles", total);
    std::snprintf(out.chAverageTime, kTextSize, "%f cycles", t.averageTicks);
}

} // namespace PerformanceCam

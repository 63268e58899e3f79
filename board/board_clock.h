#pragma once

// The clock the simulated board drains its buffer by. Injected, so that tests of pacing and
// underruns run exactly and instantly on a manual clock instead of waiting in real time.

#include <algorithm>
#include <chrono>
#include <thread>

namespace arb {

class BoardClock {
  public:
    using duration = std::chrono::nanoseconds;
    using time_point = std::chrono::time_point<std::chrono::steady_clock, duration>;

    virtual ~BoardClock() = default;
    virtual time_point now() = 0;
    // Returns no earlier than `t`.
    virtual void sleepUntil(time_point t) = 0;
    void sleepFor(duration d) { sleepUntil(now() + d); }
};

// Real time: the steady clock and the calling thread's sleep.
class SteadyBoardClock final : public BoardClock {
  public:
    time_point now() override {
        return std::chrono::time_point_cast<duration>(std::chrono::steady_clock::now());
    }
    void sleepUntil(time_point t) override { std::this_thread::sleep_until(t); }
};

// Test time: starts at zero, moves only when told to or when someone sleeps.
class ManualBoardClock final : public BoardClock {
  public:
    time_point now() override { return now_; }
    void sleepUntil(time_point t) override { now_ = std::max(now_, t); }
    void advance(duration d) { now_ += d; }
    // Time since the clock started, for assertions.
    duration elapsed() const { return now_.time_since_epoch(); }

  private:
    time_point now_{};
};

} // namespace arb

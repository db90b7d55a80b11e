#include "core/zel_zelbase.hpp"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace zel {

double ProcStat = 0;
TMathFeedBackProc MathFeedBackProc;
std::atomic<bool> AbortMathProc{false};

void ReportProgress() {
  ProcStat += 1;
  if (MathFeedBackProc) MathFeedBackProc(ProcStat);
}

bool RunTicketsOnWorkers(int32_t Tickets, int32_t NThreads,
                         const std::function<TTicketWork()>& MakeWork) {
  if (Tickets <= 0) return true;
  std::atomic<int32_t> next{0};
  std::atomic<bool> stop{false};
  std::atomic<bool> outOfMemory{false};
  std::mutex mu;
  std::condition_variable cv;
  int32_t ticketsDone = 0;  // guarded by mu
  int64_t stepsDone = 0;    // guarded by mu
  auto work = [&]() {
    try {
      const TTicketWork run = MakeWork();
      while (!stop.load(std::memory_order_relaxed)) {
        const int32_t ticket = next.fetch_add(1);
        if (ticket >= Tickets) break;
        const int64_t steps = run(ticket);
        {
          const std::lock_guard<std::mutex> lock(mu);
          ++ticketsDone;
          stepsDone += steps;
        }
        cv.notify_one();
      }
    } catch (const std::bad_alloc&) {
      outOfMemory = true;
      stop = true;
      cv.notify_one();
    }
  };
  std::vector<std::thread> workers;
  struct Joiner {
    std::vector<std::thread>& w;
    std::atomic<bool>& stop;
    ~Joiner() {
      stop = true;
      for (auto& t : w)
        if (t.joinable()) t.join();
    }
  } joiner{workers, stop};
  const int32_t n = std::max(1, NThreads);
  workers.reserve(static_cast<size_t>(n));
  for (int32_t k = 0; k < n; ++k) {
    try {
      workers.emplace_back(work);
    } catch (const std::system_error&) {
      break;  // the threads that did start share all tickets
    }
  }
  if (workers.empty()) work();

  int64_t reported = 0;
  int32_t seenTickets = 0;
  for (;;) {
    int64_t steps = 0;
    int32_t tickets = 0;
    {
      std::unique_lock<std::mutex> lock(mu);
      cv.wait_for(lock, std::chrono::milliseconds(10),
                  [&] { return ticketsDone != seenTickets || outOfMemory.load(); });
      steps = stepsDone;
      tickets = ticketsDone;
    }
    if (outOfMemory.load()) throw std::bad_alloc();  // the joiner joins first
    if (tickets == seenTickets && MathFeedBackProc) MathFeedBackProc(ProcStat);
    seenTickets = tickets;
    for (; reported < steps; ++reported) ReportProgress();
    if (AbortMathProc.load()) return false;  // the joiner stops and joins
    if (seenTickets >= Tickets) break;
  }
  if (MathFeedBackProc) MathFeedBackProc(ProcStat);
  return true;
}

void NormalizeRange(int32_t& Lo, int32_t& Hi, int32_t First, int32_t Last) {
  if (Lo == 0 && Hi == 0) {
    Lo = First;
    Hi = Last;
    return;
  }
  if (Lo > Hi) std::swap(Lo, Hi);
  Lo = std::clamp(Lo, First, Last);
  Hi = std::clamp(Hi, First, Last);
}

}  // namespace zel

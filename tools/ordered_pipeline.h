// Work spread over threads, results handed back in the order the work was
// given. At most a few pieces per thread are in flight, so memory stays
// flat however much work comes. With one thread the work runs at once on
// the calling thread.
#pragma once

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace formel_cli {

template <class Work, class Result>
class OrderedPipeline {
 public:
  // process runs on worker thread number `thread` (0 to threads - 1) and may
  // keep per-thread state by that number; deliver runs on the calling thread.
  using Process = std::function<Result(int thread, Work& work)>;
  using Deliver = std::function<void(Result& result)>;

  OrderedPipeline(int threads, Process process, Deliver deliver)
      : process_(std::move(process)), deliver_(std::move(deliver)),
        maxInFlight_(static_cast<std::size_t>(threads) * 4) {
    if (threads == 1) return;
    for (int t = 0; t < threads; ++t) workers_.emplace_back([this, t] { RunWorker(t); });
  }

  // Results not yet delivered are dropped.
  ~OrderedPipeline() {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    workAdded_.notify_all();
    for (std::thread& worker : workers_) worker.join();
  }

  OrderedPipeline(const OrderedPipeline&) = delete;
  OrderedPipeline& operator=(const OrderedPipeline&) = delete;

  // Rethrows what process or deliver threw, on the calling thread.
  void Submit(Work work) {
    if (workers_.empty()) {
      Result result = process_(0, work);
      deliver_(result);
      return;
    }
    std::unique_lock lock(mutex_);
    while (slots_.size() >= maxInFlight_) DeliverFront(lock);
    slots_.push_back(Slot{std::move(work), std::nullopt, nullptr, false});
    workAdded_.notify_one();
    while (!slots_.empty() && Done(slots_.front())) DeliverFront(lock);
  }

  // Delivers everything submitted. Afterwards every worker is idle until
  // the next Submit, so the caller may use their per-thread state.
  void Drain() {
    std::unique_lock lock(mutex_);
    while (!slots_.empty()) DeliverFront(lock);
  }

 private:
  struct Slot {
    Work work;
    std::optional<Result> result;
    std::exception_ptr error;
    bool taken;
  };

  static bool Done(const Slot& slot) { return slot.result.has_value() || slot.error != nullptr; }

  // Waits for the oldest piece and delivers it with the lock released.
  void DeliverFront(std::unique_lock<std::mutex>& lock) {
    workDone_.wait(lock, [this] { return Done(slots_.front()); });
    Slot slot = std::move(slots_.front());
    slots_.pop_front();
    lock.unlock();
    struct Relock {
      std::unique_lock<std::mutex>& lock;
      ~Relock() { lock.lock(); }
    } relock{lock};
    if (slot.error != nullptr) std::rethrow_exception(slot.error);
    deliver_(*slot.result);
  }

  // Slots are only added at the back and removed at the front once done, so
  // the reference to a taken slot stays valid while it is worked on.
  void RunWorker(int thread) {
    std::unique_lock lock(mutex_);
    for (;;) {
      Slot* slot = nullptr;
      workAdded_.wait(lock, [&] { return stopping_ || (slot = NextUntaken()) != nullptr; });
      if (stopping_) return;
      slot->taken = true;
      lock.unlock();
      std::optional<Result> result;
      std::exception_ptr error;
      try {
        result.emplace(process_(thread, slot->work));
      } catch (...) {
        error = std::current_exception();
      }
      lock.lock();
      slot->result = std::move(result);
      slot->error = error;
      workDone_.notify_one();
    }
  }

  Slot* NextUntaken() {
    for (Slot& slot : slots_) {
      if (!slot.taken) return &slot;
    }
    return nullptr;
  }

  Process process_;
  Deliver deliver_;
  std::size_t maxInFlight_;
  std::mutex mutex_;
  std::condition_variable workAdded_;
  std::condition_variable workDone_;
  std::deque<Slot> slots_;
  bool stopping_ = false;
  std::vector<std::thread> workers_;
};

}  // namespace formel_cli

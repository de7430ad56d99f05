// One piece of work at a time on a thread of its own, for the view's slow steps (the exact
// frame after a move, the overview of a new drawing): a new piece stops the one under way,
// which sees its stop flag set and ends early, and the thread goes on with the new one.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace tessaro::view {

class BackgroundWork {
public:
  using Job = std::function<void(const std::atomic<bool>& stop)>;

  BackgroundWork() = default;
  BackgroundWork(const BackgroundWork&) = delete;
  BackgroundWork& operator=(const BackgroundWork&) = delete;
  // Stops the work under way and waits for it.
  ~BackgroundWork();

  // Runs `job` next, stopping the one under way and dropping one that waits.
  void Start(Job job);
  // Stops the work under way and drops one that waits.
  void Stop();

private:
  void Loop();

  std::mutex mutex_;
  std::condition_variable wake_;
  Job waiting_;
  std::shared_ptr<std::atomic<bool>> running_;  // the stop flag of the job under way
  bool quit_ = false;
  std::thread thread_;  // started with the first job
};

}  // namespace tessaro::view

// The work thread: waits for a job, runs it with a stop flag of its own.
#include "view/background_work.h"

#include <utility>

namespace tessaro::view {

BackgroundWork::~BackgroundWork() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    quit_ = true;
    waiting_ = nullptr;
    if (running_) running_->store(true);
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void BackgroundWork::Start(Job job) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    waiting_ = std::move(job);
    if (running_) running_->store(true);
    if (!thread_.joinable()) thread_ = std::thread([this] { Loop(); });
  }
  wake_.notify_all();
}

void BackgroundWork::Stop() {
  const std::lock_guard<std::mutex> lock(mutex_);
  waiting_ = nullptr;
  if (running_) running_->store(true);
}

void BackgroundWork::Loop() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (true) {
    wake_.wait(lock, [this] { return quit_ || waiting_ != nullptr; });
    if (quit_) return;
    Job job = std::move(waiting_);
    waiting_ = nullptr;
    auto stop = std::make_shared<std::atomic<bool>>(false);
    running_ = stop;
    lock.unlock();
    job(*stop);
    job = nullptr;  // what it holds (a scene, a frame) goes here, not under the lock
    lock.lock();
    running_.reset();
  }
}

}  // namespace tessaro::view

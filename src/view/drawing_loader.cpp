// The load thread: read, then what the view needs, its news passed to the window's thread.
#include "view/drawing_loader.h"

#include <utility>

namespace tessaro::view {

std::optional<LoadedDrawing> LoadDrawing(const std::filesystem::path& path, bool dark, const QSize& viewSize,
                                         double ratio, const std::atomic<bool>* stop,
                                         const std::function<void(double)>& progress) {
  // Shares of the work, about as a million entities spend them: the read, then the rest.
  constexpr double kRead = 0.45;
  const auto tell = [&](double share) {
    if (progress) progress(share);
    return stop == nullptr || !stop->load();
  };
  LoadedDrawing loaded;
  try {
    loaded.report = ReadDxfFile(loaded.drawing, path, [&](double share) { return tell(kRead * share); });
  } catch (const DxfReadStopped&) {
    return std::nullopt;
  }
  std::optional<PreparedScene> prepared =
      PrepareScene(loaded.drawing, dark, viewSize, ratio, stop, [&](double share) { tell(kRead + (1 - kRead) * share); });
  if (!prepared) return std::nullopt;
  loaded.prepared = std::move(*prepared);
  return loaded;
}

DrawingLoader::DrawingLoader(QObject* parent) : QObject(parent) {}

DrawingLoader::~DrawingLoader() {
  if (stop_) stop_->store(true);
  Join();
}

void DrawingLoader::Join() {
  if (thread_.joinable()) thread_.join();
}

void DrawingLoader::Start(const std::filesystem::path& path, bool dark, const QSize& viewSize, double ratio) {
  if (stop_) stop_->store(true);
  Join();
  result_.reset();
  error_ = nullptr;
  stop_ = std::make_shared<std::atomic<bool>>(false);
  running_ = true;
  const std::uint64_t serial = ++serial_;
  thread_ = std::thread([this, path, dark, viewSize, ratio, stop = stop_, serial] {
    std::optional<LoadedDrawing> loaded;
    std::exception_ptr error;
    int told = -1;
    try {
      loaded = LoadDrawing(path, dark, viewSize, ratio, stop.get(), [&](double share) {
        const int percent = static_cast<int>(share * 100);
        if (percent == told) return;
        told = percent;
        QMetaObject::invokeMethod(this, [this, percent, serial] {
          if (serial == serial_ && running_) emit Progress(percent);
        }, Qt::QueuedConnection);
      });
    } catch (...) {
      error = std::current_exception();
    }
    if (stop->load()) loaded.reset();
    // Handed over on the window's thread; the owner waits for this thread before it goes.
    auto result = std::make_shared<std::optional<LoadedDrawing>>(std::move(loaded));
    QMetaObject::invokeMethod(this, [this, result, error, serial] {
      if (serial != serial_ || !running_) return;
      Join();
      running_ = false;
      result_ = std::move(*result);
      error_ = error;
      emit Finished();
    }, Qt::QueuedConnection);
  });
}

void DrawingLoader::Cancel() {
  if (!running_) return;
  stop_->store(true);  // the thread ends at its next look at the flag; Start or the end joins it
  running_ = false;
  result_.reset();
  error_ = nullptr;
  emit Finished();
}

}  // namespace tessaro::view

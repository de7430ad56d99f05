// Opening a DXF file without stopping the window: the file is read, flattened, indexed and
// given its overview on a thread of its own, which says how far it got and can be stopped;
// the window then swaps the drawing in and hands the view what was made of it.
#pragma once

#include <QObject>
#include <QSize>
#include <atomic>
#include <exception>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

#include "cad/drawing.h"
#include "dxf/file.h"
#include "view/prepared_scene.h"

namespace tessaro::view {

struct LoadedDrawing {
  Drawing drawing;
  DxfReadReport report;
  PreparedScene prepared;
};

// Reads `path` and prepares it for a view of `viewSize` at `ratio` (dark or not) on the
// calling thread. `progress` hears the share done now and then. A file that cannot be read
// throws as ReadDxfFile; once `stop` is set the work ends early and nothing comes back.
std::optional<LoadedDrawing> LoadDrawing(const std::filesystem::path& path, bool dark, const QSize& viewSize,
                                         double ratio, const std::atomic<bool>* stop = nullptr,
                                         const std::function<void(double)>& progress = {});

class DrawingLoader final : public QObject {
  Q_OBJECT

public:
  explicit DrawingLoader(QObject* parent = nullptr);
  // Stops a load under way and waits for its thread.
  ~DrawingLoader() override;

  // Starts loading `path` for a view of `viewSize` at `ratio`, stopping a load under way
  // first (its Finished is not sent).
  void Start(const std::filesystem::path& path, bool dark, const QSize& viewSize, double ratio);
  // Stops the load under way: Finished follows, with neither a drawing nor an error.
  void Cancel();
  bool Running() const { return running_; }

  // After Finished: what was loaded (nothing when the load was stopped or failed) and why
  // it failed.
  std::optional<LoadedDrawing> TakeDrawing() { return std::move(result_); }
  std::exception_ptr Error() const { return error_; }

signals:
  void Progress(int percent);
  void Finished();

private:
  void Join();

  std::thread thread_;
  std::shared_ptr<std::atomic<bool>> stop_;
  std::uint64_t serial_ = 0;  // of the load under way: a stopped one's messages are dropped
  bool running_ = false;
  std::optional<LoadedDrawing> result_;
  std::exception_ptr error_;
};

}  // namespace tessaro::view

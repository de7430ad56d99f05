// The mouse over the drawing: the two-click view tools with their prompts, picking a shape
// to see what it is, and the "Misura" tool with its snapping.
#include <QAction>
#include <QDockWidget>
#include <QLabel>
#include <QStatusBar>
#include <cmath>

#include "render/pick.h"
#include "view/drawing_view.h"
#include "shell/main_window.h"
#include "view/pick_tools.h"

namespace tessaro::shell {
namespace {

constexpr double kPickPixels = 6.0;  // how near the pointer a shape or snap point must be
const QString kNothingPicked = QStringLiteral("Clicca un elemento del disegno per vederne i dati.");

}  // namespace

void MainWindow::CreatePickPane() {
  pickPane_ = new QDockWidget(QStringLiteral("Elemento"), this);
  pickPane_->setObjectName(QStringLiteral("PickPane"));
  pickInfo_ = new QLabel(kNothingPicked, pickPane_);
  pickInfo_->setObjectName(QStringLiteral("PickInfo"));
  pickInfo_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  pickInfo_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  pickInfo_->setWordWrap(true);
  pickInfo_->setMargin(6);
  pickPane_->setWidget(pickInfo_);
  addDockWidget(Qt::LeftDockWidgetArea, pickPane_);
  resizeDocks({pickPane_}, {150}, Qt::Vertical);
}

void MainWindow::ShowPrompt() {
  const QString prompt = view::ToolPrompt(state_.pick, measure_);
  if (!prompt.isEmpty()) {
    statusBar()->showMessage(prompt);
    promptShown_ = true;
  } else if (promptShown_) {
    statusBar()->clearMessage();
    promptShown_ = false;
  }
  Action(kCmdMeasure)->setChecked(measure_.armed);
}

double MainWindow::PickTolerance() const {
  const QPointF a = view_->ToDrawing(QPointF(0, 0));
  const QPointF b = view_->ToDrawing(QPointF(kPickPixels, 0));
  return std::hypot(b.x() - a.x(), b.y() - a.y());
}

void MainWindow::PickAt(float x, float y) {
  view_->Redraw();  // the scene of the drawing as it is now
  const render::Scene& scene = view_->Scene();
  const auto shape = render::PickShape(scene.List(), scene.Index(), drawing_.Layers(), {x, y}, PickTolerance());
  view_->SetHighlight(shape);
  pickInfo_->setText(shape ? view::DescribeShape(scene.List(), scene.List().Shapes()[*shape], drawing_.Layers())
                           : kNothingPicked);
  if (shape) pickPane_->show();
}

void MainWindow::MeasureAt(float x, float y, bool click) {
  view_->Redraw();
  const render::Scene& scene = view_->Scene();
  const auto snap = render::Snap(scene.List(), scene.Index(), drawing_.Layers(), {x, y}, PickTolerance());
  const Point2d at = snap ? snap->at : Point2d{x, y};
  const std::optional<QPointF> mark = snap ? std::optional(QPointF(at.x, at.y)) : std::nullopt;
  if (!click) {
    const auto line = measure_.firstTaken ? std::optional(QLineF(measure_.first.x, measure_.first.y, at.x, at.y))
                                          : std::nullopt;
    view_->SetMeasureMarks(line, mark);
    return;
  }
  if (!measure_.firstTaken) {
    measure_.first = at;
    measure_.firstTaken = true;
    view_->SetMeasureMarks(std::nullopt, mark);
    return;
  }
  const render::Measurement m = render::Measure(measure_.first, at);
  const QString text = view::DescribeMeasurement(m);
  pickInfo_->setText(QStringLiteral("Misura\n") + text.split(QStringLiteral("   ")).join(QLatin1Char('\n')));
  pickPane_->show();
  view_->SetMeasureMarks(QLineF(measure_.first.x, measure_.first.y, at.x, at.y), mark);
  measure_.firstTaken = false;  // ready for the next measurement
  statusBar()->showMessage(text);
  promptShown_ = false;  // the result stays until the next click
}

void MainWindow::MeasureCommand() {
  measure_ = MeasureState{!measure_.armed, false, {}};
  view_->SetMeasureMarks(std::nullopt, std::nullopt);
  view_->SetPointerState(measure_.armed ? view::kPointerPicking : view::kPointerIdle);
  ShowPrompt();
}

void MainWindow::OnViewMouseDown(int button, int, float, float) {
  view::ViewMouseDown(state_.pick, *view_, button);
  ShowPrompt();
}

void MainWindow::OnViewMouseMove(int, int, float x, float y) {
  view::ViewMouseMove(state_.pick, *view_, state_.viewEnabled, x, y);
  if (measure_.armed) {
    MeasureAt(x, y, false);
    if (view_->PointerState() != view::kPointerPicking) view_->SetPointerState(view::kPointerPicking);
  }
}

void MainWindow::OnViewMouseUp(int button, int, float x, float y) {
  const view::PickState& p = state_.pick;
  const bool toolArmed = p.windowPickPending || p.windowPickActive || p.panPickPending || p.panPickActive;
  view::ViewMouseUp(state_.pick, *view_, x, y);
  // A left click with no view tool waiting measures, or picks what lies under it.
  if (!toolArmed && button == view::kLeftButton) {
    if (measure_.armed) {
      MeasureAt(x, y, true);
      if (!measure_.firstTaken) return;  // the result stays in the status bar
    } else {
      PickAt(x, y);
    }
  }
  ShowPrompt();
}

}  // namespace tessaro::shell

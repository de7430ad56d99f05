// The main window end to end on copies of the example projects: start-up, choosing a
// stack (grid, caption, layer list, drawing), the layer switch, the option buttons, the
// wheel, the file commands through the dialog seam, the batch, close and placement.
#include <QAction>
#include <QComboBox>
#include <QDockWidget>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressDialog>
#include <QTimer>
#include <QStatusBar>
#include <QTreeWidget>
#include <QWindow>
#include <QtTest>
#include <functional>

#include "platform/dxf_file.h"
#include "shell/drawing_view.h"
#include "shell/main_window.h"
#include "shell/property_grid.h"
#include "shell/settings_store.h"
#include "shell_test_support.h"

using namespace tessaro;
using namespace tessaro::shell;
using namespace tessaro::shell::testing;

namespace {

const QString kBatchQuestion = QStringLiteral(
    "Attenzione : \r\nil salvataggio in automatico sovrascriverà  i disegni esistenti.\r\nprocedere comunque?");

QStringList ComboEntries(const QComboBox& combo) {
  QStringList entries;
  for (int i = 0; i < combo.count(); ++i) entries << combo.itemText(i);
  return entries;
}

// "caption=value" for every row of the grid, indented by level.
QStringList GridLines(const QTreeWidget& grid) {
  QStringList lines;
  std::function<void(QTreeWidgetItem*, int)> walk = [&](QTreeWidgetItem* item, int depth) {
    lines << QString(depth * 2, QLatin1Char(' ')) + item->text(0) + QLatin1Char('=') + item->text(1);
    for (int i = 0; i < item->childCount(); ++i) walk(item->child(i), depth + 1);
  };
  for (int i = 0; i < grid.topLevelItemCount(); ++i) walk(grid.topLevelItem(i), 0);
  return lines;
}

// A window on a project, with its dialogs answered by the test.
struct Harness {
  FakeMessages messages;
  FakeFileDialogs files;
  QTemporaryDir programFolder;
  std::unique_ptr<MainWindow> window;

  explicit Harness(const QString& projectFolder) {
    ShellSetup setup;
    setup.commandLine = projectFolder;
    setup.programFolder = programFolder.path();
    setup.messages = &messages;
    setup.files = &files;
    window = std::make_unique<MainWindow>(setup);
  }
  MainWindow& w() { return *window; }
};

QPoint GlobalCentreOf(const QWidget& widget) { return widget.mapToGlobal(widget.rect().center()); }

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TemporarySettings> settings_;

private slots:
  void init() { settings_ = std::make_unique<TemporarySettings>(); }
  void cleanup() { settings_.reset(); }

  void start_up_shows_the_lists_and_draws_nothing() {
    ExampleProject project(QStringLiteral("Magazzino"), false);
    QVERIFY(project.ok());
    Harness h(project.Folder());
    QVERIFY(h.w().Start());
    QCOMPARE(h.w().windowTitle(), QStringLiteral("Visualizzatore DXF Pilastri"));
    QCOMPARE(h.w().StatusText()->text(), QStringLiteral("Vers. 2.0.0"));
    QCOMPARE(ComboEntries(*h.w().StackList()), (QStringList{"Scegli pilastrata...", "1", "2", "3"}));
    QCOMPARE(h.w().StackList()->currentIndex(), 0);
    QCOMPARE(ComboEntries(*h.w().LayerList()), QStringList{"Layer Dxf"});
    QCOMPARE(h.w().CurrentDrawing().EntityCount(), std::size_t{0});
    QCOMPARE(h.w().Grid()->topLevelItemCount(), 0);
    QCOMPARE(h.w().State().columnStackFolder, project.Folder() + "/Pilastri");
    QVERIFY(h.w().State().viewEnabled);
    QVERIFY(h.messages.shown.empty());
    // Option buttons: single stirrups and ties on the axis are the starting choice.
    QVERIFY(h.w().Action(kCmdSingleStirrups)->isChecked());
    QVERIFY(!h.w().Action(kCmdSplitStirrups)->isChecked());
    QVERIFY(h.w().Action(kCmdTiesOnAxis)->isChecked());
    QVERIFY(!h.w().Action(kCmdTiesTangent)->isChecked());
  }

  void start_up_without_a_stack_folder_says_so() {
    QTemporaryDir empty;
    Harness h(empty.path());
    QVERIFY(!h.w().Start());
    QCOMPARE(h.messages.Texts(), QStringList{"Errore caricamento visualizzatore pilastri!"});
    QCOMPARE(h.messages.shown[0].title, QStringLiteral("Tessaro"));
    QCOMPARE(ComboEntries(*h.w().StackList()), QStringList{"Scegli pilastrata..."});
  }

  void an_empty_command_line_means_the_program_folder() {
    Harness h{QString()};
    h.w().Start();
    QCOMPARE(h.w().State().projectFolder, h.programFolder.path());
    QCOMPARE(h.w().State().columnStackFolder, h.programFolder.path() + "/Pilastri");
  }

  void choosing_a_stack_fills_grid_caption_and_layers() {
    ExampleProject project(QStringLiteral("Magazzino"), false);
    Harness h(project.Folder());
    h.w().Start();
    QVERIFY(h.w().ChooseStack(QStringLiteral("2")));
    QCOMPARE(h.w().State().currentStackId, QStringLiteral("2"));
    QCOMPARE(h.w().State().drawingName, QStringLiteral("Pilastrata_2"));
    QCOMPARE(h.w().windowTitle(), QStringLiteral("Visualizzatore DXF -  Pilastrata_2"));
    QVERIFY(!h.w().State().viewEnabled);
    QVERIFY(h.w().CurrentDrawing().EntityCount() > 0);

    const QStringList layers = ComboEntries(*h.w().LayerList());
    QVERIFY2(layers.contains(QStringLiteral("Sezioni  (ON)")), qPrintable(layers.join('|')));
    QCOMPARE(h.w().LayerList()->currentIndex(), 0);
    for (const QString& entry : layers) QVERIFY(entry.endsWith(QStringLiteral("  (ON)")));

    const QStringList grid = GridLines(*h.w().Grid());
    QCOMPARE(h.w().Grid()->topLevelItemCount(), 2);  // two pieces
    // The first piece: category, its rows, then the three sub-categories with theirs.
    QCOMPARE(grid.mid(0, 6), (QStringList{"Pilastro 2=", "  ID pilastrata=2", "  Lato 1=50 cm", "  Lato 2=50 cm",
                                          "  Quota iniziale=0 cm", "  Quota finale=450 cm"}));
    QCOMPARE(grid[6], QStringLiteral("  Ferri longitudinali="));
    QVERIFY(grid[7].startsWith(QStringLiteral("    Ferri lato 1=")));
    QVERIFY(grid.contains(QStringLiteral("  Staffe=")));
    QVERIFY(grid.contains(QStringLiteral("  Disassamenti=")));
    QVERIFY(grid.contains(QStringLiteral("    Disassamento lato 2=5 cm")));
    QCOMPARE(grid.size(), 2 * 20);
    QCOMPARE(grid[20], QStringLiteral("Pilastro 3="));

    // Rows cannot be edited.
    QTreeWidgetItem* row = h.w().Grid()->topLevelItem(0)->child(1);
    QVERIFY(!(row->flags() & Qt::ItemIsEditable));
    QCOMPARE(h.w().Grid()->editTriggers(), QAbstractItemView::NoEditTriggers);
  }

  void a_new_stack_replaces_the_grid_and_the_drawing() {
    ExampleProject project(QStringLiteral("Magazzino"), false);
    Harness h(project.Folder());
    h.w().Start();
    h.w().ChooseStack(QStringLiteral("3"));
    QCOMPARE(h.w().Grid()->topLevelItemCount(), 3);
    const std::size_t threePieces = h.w().CurrentDrawing().EntityCount();
    h.w().ChooseStack(QStringLiteral("1"));
    QCOMPARE(h.w().Grid()->topLevelItemCount(), 1);
    QCOMPARE(h.w().Grid()->topLevelItem(0)->child(0)->text(1), QStringLiteral("1"));
    QVERIFY(h.w().CurrentDrawing().EntityCount() < threePieces);
    // "Scegli pilastrata..." names no stack: the grid empties, the drawing stays.
    const std::size_t oneStack = h.w().CurrentDrawing().EntityCount();
    h.w().StackList()->setCurrentIndex(0);
    h.w().RunCommand(kCmdStackList);
    QCOMPARE(h.w().Grid()->topLevelItemCount(), 0);
    QCOMPARE(h.w().CurrentDrawing().EntityCount(), oneStack);
  }

  void the_layer_switch_turns_the_selected_layer_off_and_on() {
    ExampleProject project(QStringLiteral("Magazzino"), false);
    Harness h(project.Folder());
    h.w().Start();
    h.w().ChooseStack(QStringLiteral("1"));
    QComboBox& list = *h.w().LayerList();
    const int entry = list.findText(QStringLiteral("Sezioni  (ON)"));
    QVERIFY(entry >= 0);
    list.setCurrentIndex(entry);
    h.w().RunCommand(kCmdLayerSwitch);
    QCOMPARE(list.itemText(entry), QStringLiteral("Sezioni (OFF)"));
    QCOMPARE(list.currentIndex(), entry);  // the same entry stays selected
    const auto layer = h.w().CurrentDrawing().FindLayer("Sezioni");
    QVERIFY(layer && !h.w().CurrentDrawing().Layers()[*layer].on);

    // Nothing of the layer is painted any more.
    RecordingSink sink;
    PaintDrawing(h.w().CurrentDrawing(), sink);
    std::size_t onSezioni = 0;
    for (const auto& e : h.w().CurrentDrawing().Entities()) onSezioni += e.layer == *layer ? 1 : 0;
    QCOMPARE(std::size_t(sink.painted.size()), h.w().CurrentDrawing().EntityCount() - onSezioni);

    h.w().RunCommand(kCmdLayerSwitch);
    QCOMPARE(list.itemText(entry), QStringLiteral("Sezioni  (ON)"));
  }

  void a_layer_named_like_a_suffix_is_found_by_length() {
    ExampleProject project(QStringLiteral("Magazzino"), false);
    Harness h(project.Folder());
    h.w().Start();
    h.w().CurrentDrawing().Clear();
    h.w().CurrentDrawing().AddLayer("Pareti (OFF)");
    h.w().LayerList()->clear();
    h.w().LayerList()->addItem(QStringLiteral("Pareti (OFF)  (ON)"));
    h.w().RunCommand(kCmdLayerSwitch);
    QCOMPARE(ComboEntries(*h.w().LayerList()), QStringList{"Pareti (OFF) (OFF)"});
  }

  void option_buttons_flip_and_redraw() {
    ExampleProject project(QStringLiteral("Magazzino"), false);
    Harness h(project.Folder());
    h.w().Start();
    h.w().ChooseStack(QStringLiteral("3"));
    h.w().ChooseStack(QStringLiteral("3"));  // the second draw starts from the state the first left
    const std::string axis = DxfText(h.w().CurrentDrawing());
    const QTreeWidget* gridBefore = h.w().Grid();

    h.w().RunCommand(kCmdTiesTangent);
    QVERIFY(h.w().State().session.options.option2);
    QVERIFY(h.w().Action(kCmdTiesTangent)->isChecked());
    QVERIFY(!h.w().Action(kCmdTiesOnAxis)->isChecked());
    QCOMPARE(h.w().State().currentStackId, QStringLiteral("3"));  // the button names no stack
    QVERIFY(h.w().Grid() != gridBefore);
    QCOMPARE(h.w().Grid()->topLevelItemCount(), 3);
    QVERIFY(DxfText(h.w().CurrentDrawing()) != axis);

    h.w().RunCommand(kCmdTiesOnAxis);  // either button of the pair flips it
    QVERIFY(!h.w().State().session.options.option2);
    QVERIFY(h.w().Action(kCmdTiesOnAxis)->isChecked());
    QVERIFY(DxfText(h.w().CurrentDrawing()) == axis);

    h.w().RunCommand(kCmdSplitStirrups);
    QVERIFY(h.w().State().session.options.option1);
    QVERIFY(h.w().Action(kCmdSplitStirrups)->isChecked());
    QVERIFY(!h.w().Action(kCmdSingleStirrups)->isChecked());
  }

  void wheel_zooms_over_the_view_only_while_it_is_enabled() {
    ExampleProject project(QStringLiteral("Magazzino"), false);
    Harness h(project.Folder());
    h.w().Start();
    h.w().show();
    QVERIFY(QTest::qWaitForWindowExposed(&h.w()));
    h.w().ChooseStack(QStringLiteral("1"));
    DrawingView& view = *h.w().View();
    const QPoint centre = GlobalCentreOf(view);
    const double scale = view.State().scale;

    h.w().State().viewEnabled = false;
    h.w().MouseWheel(0, 120, centre.x(), centre.y());
    QCOMPARE(view.State().scale, scale);
    QCOMPARE(view.ZoomInOutPercent(), 12.0f);  // nothing took the wheel

    h.w().State().viewEnabled = true;
    h.w().MouseWheel(0, 120, centre.x(), centre.y());
    QVERIFY(qAbs(view.State().scale - scale * 1.06) < 1e-9 * scale);
    QCOMPARE(view.ZoomInOutPercent(), 6.0f);
    h.w().MouseWheel(0, -240, centre.x(), centre.y());  // one step, whatever the size
    QVERIFY(qAbs(view.State().scale - scale) < 1e-9 * scale);

    // The bottom-right corner of the view's rectangle still counts as inside.
    const QPoint corner = view.mapToGlobal(QPoint(view.width(), view.height()));
    h.w().MouseWheel(0, 120, corner.x(), corner.y());
    QVERIFY(view.State().scale > scale * 1.05);

    // The anchor stays under the pointer.
    const QPoint off = view.mapToGlobal(QPoint(view.width() / 4, view.height() / 4));
    const QPointF before = view.ToDrawing(QPointF(view.width() / 4, view.height() / 4));
    h.w().MouseWheel(0, 120, off.x(), off.y());
    const QPointF after = view.ToDrawing(QPointF(view.width() / 4, view.height() / 4));
    QVERIFY(qAbs(before.x() - after.x()) < 1e-6 && qAbs(before.y() - after.y()) < 1e-6);
  }

  void wheel_over_a_list_gives_it_the_focus_and_over_the_bars_stops() {
    ExampleProject project(QStringLiteral("Magazzino"), false);
    Harness h(project.Folder());
    h.w().Start();
    h.w().show();
    QVERIFY(QTest::qWaitForWindowExposed(&h.w()));
    h.w().View()->SetZoomInOutPercent(10);
    const QPoint onList = GlobalCentreOf(*h.w().LayerList());
    h.w().MouseWheel(0, 120, onList.x(), onList.y());
    QVERIFY(h.w().LayerList()->hasFocus());
    const QPoint onMenu = GlobalCentreOf(*h.w().menuBar());
    h.w().MouseWheel(0, 120, onMenu.x(), onMenu.y());
    QCOMPARE(h.w().View()->ZoomInOutPercent(), 10.0f);  // the bars stop the search unchanged
    const QPoint onGrid = GlobalCentreOf(*h.w().Grid());
    h.w().MouseWheel(0, 120, onGrid.x(), onGrid.y());
    QCOMPARE(h.w().View()->ZoomInOutPercent(), 12.0f);  // not a control of the window's own
  }

  void wheel_events_of_the_window_reach_mouse_wheel() {
    ExampleProject project(QStringLiteral("Magazzino"), false);
    Harness h(project.Folder());
    h.w().Start();
    h.w().show();
    QVERIFY(QTest::qWaitForWindowExposed(&h.w()));
    h.w().ChooseStack(QStringLiteral("1"));
    h.w().State().viewEnabled = true;
    DrawingView& view = *h.w().View();
    const double scale = view.State().scale;
    const QPoint local = view.mapTo(&h.w(), view.rect().center());
    const QPoint global = view.mapToGlobal(view.rect().center());
    QWheelEvent wheel(QPointF(local), QPointF(global), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(h.w().windowHandle(), &wheel);
    QVERIFY(qAbs(view.State().scale - scale * 1.06) < 1e-9 * scale);
  }

  // Middle button pressed and released, mouse moved, a click: the view zooms to the
  // rectangle between the release point and the click point.
  void middle_release_then_click_zooms_to_the_rectangle() {
    ExampleProject project(QStringLiteral("Magazzino"), false);
    Harness h(project.Folder());
    h.w().Start();
    h.w().show();
    QVERIFY(QTest::qWaitForWindowExposed(&h.w()));
    h.w().ChooseStack(QStringLiteral("1"));
    DrawingView& view = *h.w().View();
    const QPoint first(view.width() / 4, view.height() / 4);
    const QPoint second(view.width() / 2, view.height() / 2);
    const QPointF from = view.ToDrawing(first);
    const QPointF to = view.ToDrawing(second);
    QTest::mousePress(&view, Qt::MiddleButton, {}, first);
    QCOMPARE(view.PointerState(), int(kPointerPicking));
    QTest::mouseRelease(&view, Qt::MiddleButton, {}, first);
    QTest::mouseMove(&view, second);
    QTest::mouseClick(&view, Qt::LeftButton, {}, second);
    QVERIFY(!h.w().State().pick.windowPickActive);
    QCOMPARE(view.PointerState(), int(kPointerIdle));
    // The rectangle's centre is now the view's centre and it fills one direction.
    const QPointF centre = view.ToDrawing(QPointF(view.width() / 2.0, view.height() / 2.0));
    QVERIFY(qAbs(centre.x() - (from.x() + to.x()) / 2) < 1e-3 && qAbs(centre.y() - (from.y() + to.y()) / 2) < 1e-3);
    const QPointF a = view.ToPixel(from);
    const QPointF b = view.ToPixel(to);
    QVERIFY(qAbs(qAbs(b.x() - a.x()) - view.width()) < 1.0 || qAbs(qAbs(b.y() - a.y()) - view.height()) < 1.0);
  }

  void resizing_the_window_shows_the_whole_drawing_again() {
    ExampleProject project(QStringLiteral("Magazzino"), false);
    Harness h(project.Folder());
    h.w().Start();
    h.w().show();
    QVERIFY(QTest::qWaitForWindowExposed(&h.w()));
    h.w().ChooseStack(QStringLiteral("2"));
    DrawingView& view = *h.w().View();
    view.ZoomIn();
    view.ZoomIn();
    h.w().resize(h.w().width() - 100, h.w().height() - 60);
    QTRY_VERIFY(view.width() > 0);
    const auto box = h.w().CurrentDrawing().ComputeExtents();
    QVERIFY(box.has_value());
    // Both corners of the drawing are inside the view, and it touches one pair of margins.
    const QPointF low = view.ToPixel(QPointF(box->min.x, box->min.y));
    const QPointF high = view.ToPixel(QPointF(box->max.x, box->max.y));
    QVERIFY(QRectF(view.rect()).contains(low) && QRectF(view.rect()).contains(high));
    QVERIFY(high.x() - low.x() > 0.9 * view.width() || low.y() - high.y() > 0.9 * view.height());
  }

  void zoom_commands_set_their_step() {
    ExampleProject project(QStringLiteral("Magazzino"), false);
    Harness h(project.Folder());
    h.w().Start();
    DrawingView& view = *h.w().View();
    view.SetZoomInOutPercent(6);
    const double scale = view.State().scale;
    h.w().RunCommand(kCmdZoomOut);  // zooms with the step in force, then sets 10
    QVERIFY(qAbs(view.State().scale - scale / 1.06) < 1e-9 * scale);
    QCOMPARE(view.ZoomInOutPercent(), 10.0f);
    view.SetZoomInOutPercent(6);
    h.w().RunCommand(kCmdZoomIn);  // sets 10 first
    QVERIFY(qAbs(view.State().scale - scale * 1.1 / 1.06) < 1e-9 * scale);
    h.w().RunCommand(kCmdZoomPrevious);
    QVERIFY(qAbs(view.State().scale - scale / 1.06) < 1e-9 * scale);
    h.w().RunCommand(kCmdZoomWindow);
    QVERIFY(h.w().State().pick.windowPickPending);
    QCOMPARE(view.PointerState(), int(kPointerPicking));
    h.w().RunCommand(kCmdPan);
    QVERIFY(h.w().State().pick.panPickPending);
  }

  void open_and_save_go_through_the_dialogs() {
    ExampleProject project(QStringLiteral("Magazzino"), false);
    Harness h(project.Folder());
    h.w().Start();
    h.w().ChooseStack(QStringLiteral("2"));

    // Save: proposes the stack's drawing name in the program's folder.
    const QString saved = h.programFolder.path() + "/uscita.dxf";
    h.files.saveAnswers = {saved};
    h.w().RunCommand(kCmdSaveDxf);
    QCOMPARE(h.files.saveRequests.size(), std::size_t{1});
    const FileDialogRequest& save = h.files.saveRequests[0];
    QCOMPARE(save.title, QStringLiteral("Salva File DXF"));
    QCOMPARE(save.fileName, QStringLiteral("Pilastrata_2"));
    QCOMPARE(save.initialFolder, h.programFolder.path());
    QCOMPARE(save.filter, QStringLiteral("DXF File (*.DXF *.dxf);;All (*.*)"));
    QCOMPARE(save.defaultSuffix, QStringLiteral("dxf"));
    QVERIFY(QFile::exists(saved));
    const std::size_t drawn = h.w().CurrentDrawing().EntityCount();

    // Open: the file replaces the drawing; caption names it; the stack list has no choice.
    h.w().CurrentDrawing().Clear();
    h.files.openAnswers = {saved};
    h.w().RunCommand(kCmdOpenDxf);
    QCOMPARE(h.files.openRequests.size(), std::size_t{1});
    QCOMPARE(h.files.openRequests[0].title, QStringLiteral("Apri File DXF"));
    QCOMPARE(h.files.openRequests[0].fileName, QString());
    QCOMPARE(h.w().CurrentDrawing().EntityCount(), drawn);
    QCOMPARE(h.w().windowTitle(), QStringLiteral("Visualizzatore DXF -  uscita.dxf"));
    QCOMPARE(h.w().State().drawingName, QString());
    QCOMPARE(h.w().StackList()->currentIndex(), -1);
    QVERIFY(ComboEntries(*h.w().LayerList()).contains(QStringLiteral("Sezioni  (ON)")));

    // After an open the save proposes no name; a cancelled dialog writes nothing.
    h.w().RunCommand(kCmdSaveDxf);
    QCOMPARE(h.files.saveRequests.back().fileName, QString());

    // A cancelled open leaves everything as it was.
    h.w().RunCommand(kCmdOpenDxf);
    QCOMPARE(h.w().CurrentDrawing().EntityCount(), drawn);
    QCOMPARE(h.w().windowTitle(), QStringLiteral("Visualizzatore DXF -  uscita.dxf"));
  }

  void silent_save_writes_into_the_drawings_folder() {
    ExampleProject project(QStringLiteral("Magazzino"), true);
    Harness h(project.Folder());
    h.w().Start();
    h.w().SilentSaveDxf();  // no drawing name yet: nothing
    QVERIFY(QDir(project.DrawingsFolder()).isEmpty());
    h.w().ChooseStack(QStringLiteral("3"));
    h.w().SilentSaveDxf();
    QVERIFY(QFile::exists(project.DrawingsFolder() + "/Pilastrata_3.dxf"));
  }

  void close_question_answers_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<int>("saveDialogs");
    QTest::newRow("Yes saves and closes") << int(Answer::Yes) << true << 1;
    QTest::newRow("No closes") << int(Answer::No) << true << 0;
    QTest::newRow("Cancel keeps the window and the drawing") << int(Answer::Cancel) << false << 0;
  }

  void close_question_answers() {
    QFETCH(int, answer);
    QFETCH(bool, closes);
    QFETCH(int, saveDialogs);
    ExampleProject project(QStringLiteral("Magazzino"), false);
    Harness h(project.Folder());
    h.w().Start();
    h.w().show();
    h.w().ChooseStack(QStringLiteral("1"));
    const std::size_t drawn = h.w().CurrentDrawing().EntityCount();
    h.messages.answers = {static_cast<Answer>(answer)};
    QCOMPARE(h.w().close(), closes);
    QCOMPARE(h.messages.shown.back().text, QStringLiteral("Vuoi salvare il disegno corrente?"));
    QCOMPARE(h.messages.shown.back().title, QStringLiteral("Tessaro"));
    QVERIFY(h.messages.shown.back().withCancel);
    QCOMPARE(int(h.files.saveRequests.size()), saveDialogs);
    QCOMPARE(h.w().isVisible(), !closes);
    QCOMPARE(h.w().CurrentDrawing().EntityCount(), drawn);
  }

  void exit_command_asks_the_close_question() {
    ExampleProject project(QStringLiteral("Magazzino"), false);
    Harness h(project.Folder());
    h.w().Start();
    h.w().show();
    h.messages.answers = {Answer::No};
    h.w().RunCommand(kCmdExit);
    QVERIFY(!h.w().isVisible());
  }

  void placement_is_written_at_close_and_read_at_start() {
    ExampleProject project(QStringLiteral("Magazzino"), false);
    {
      Harness h(project.Folder());
      h.w().Start();
      h.w().show();
      QVERIFY(QTest::qWaitForWindowExposed(&h.w()));
      h.w().setGeometry(120, 80, 900, 640);
      h.messages.answers = {Answer::No};
      const QRect placed(h.w().x(), h.w().y(), h.w().width(), h.w().height());
      QVERIFY(h.w().close());
      const QStringList dump = settings_->Dump();
      QVERIFY2(dump.contains("Settings/MainLeft=" + QString::number(placed.x())), qPrintable(dump.join('|')));
      QVERIFY(dump.contains("Settings/MainTop=" + QString::number(placed.y())));
      QVERIFY(dump.contains("Settings/MainWidth=900"));
      QVERIFY(dump.contains("Settings/MainHeight=640"));
      QVERIFY(QFile::exists(settings_->Folder() + "/TessaroTest/Tessaro.ini"));
    }
    Harness again(project.Folder());
    again.w().Start();
    QCOMPARE(again.w().width(), 900);
    QCOMPARE(again.w().height(), 640);
    QCOMPARE(again.w().pos(), QPoint(settings_->Dump().filter("MainLeft").first().section('=', 1).toInt(),
                                     settings_->Dump().filter("MainTop").first().section('=', 1).toInt()));
  }

  void a_minimized_window_keeps_the_saved_placement() {
    {
      auto settings = OpenSettings();
      WritePlacement(*settings, QRect(10, 20, 700, 500));
    }
    ExampleProject project(QStringLiteral("Magazzino"), false);
    Harness h(project.Folder());
    h.w().Start();
    h.w().showMinimized();
    h.w().resize(333, 222);
    h.messages.answers = {Answer::No};
    QVERIFY(h.w().close());
    QVERIFY(settings_->Dump().contains("Settings/MainWidth=700"));
  }

  void unreadable_placement_values_keep_the_window_s_own() {
    {
      auto settings = OpenSettings();
      settings->setValue("Settings/MainWidth", "largo");
      settings->setValue("Settings/MainHeight", "555");
    }
    ExampleProject project(QStringLiteral("Magazzino"), false);
    Harness h(project.Folder());
    const int ownWidth = h.w().width();
    h.w().Start();
    QCOMPARE(h.w().width(), ownWidth);
    QCOMPARE(h.w().height(), 555);
  }

  void batch_with_no_stacks_reports_success() {
    QTemporaryDir folder;
    QDir(folder.path()).mkpath("Pilastri");
    Harness h(folder.path());
    QVERIFY(h.w().Start());
    h.w().RunCommand(kCmdGenerateAll);
    QCOMPARE(h.messages.shown.size(), std::size_t{2});
    QCOMPARE(h.messages.shown[0].text, kBatchQuestion);
    QVERIFY(!h.messages.shown[0].withCancel);
    QCOMPARE(h.messages.shown[0].title, QStringLiteral("Tessaro"));
    QCOMPARE(h.messages.shown[1].text, QStringLiteral("Salvataggio correttamente effettuato."));
    QCOMPARE(h.messages.shown[1].title, QStringLiteral("Dxf pilastri"));
    QCOMPARE(h.messages.shown[1].icon, MessageIcon::Information);
  }

  void batch_answered_no_does_nothing() {
    ExampleProject project(QStringLiteral("Magazzino"), true);
    Harness h(project.Folder());
    h.w().Start();
    h.messages.answers = {Answer::No};
    h.w().RunCommand(kCmdGenerateAll);
    QCOMPARE(h.messages.Texts().last(), QStringLiteral("Azione annullata."));
    QCOMPARE(h.messages.shown.back().icon, MessageIcon::None);
    QVERIFY(QDir(project.DrawingsFolder()).isEmpty());
  }

  void batch_writes_every_stack_and_never_under_another_name() {
    ExampleProject project(QStringLiteral("Magazzino"), true);
    // Stack 4 names a piece file that does not exist: its load draws nothing.
    QFile broken(project.Folder() + "/Pilastri/P4.pst");
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("Manca_1\r\n");
    broken.close();
    Harness h(project.Folder());
    h.w().Start();
    h.w().RunCommand(kCmdGenerateAll);
    QCOMPARE(QDir(project.DrawingsFolder()).entryList(QDir::Files),
             (QStringList{"Pilastrata_1.dxf", "Pilastrata_2.dxf", "Pilastrata_3.dxf"}));
    QCOMPARE(h.messages.Texts().last(), QStringLiteral("Salvataggio correttamente effettuato."));
    // The last stack of the list stays chosen.
    QCOMPARE(h.w().State().currentStackId, QStringLiteral("4"));
    // What was written is the stack's own drawing.
    Drawing reread;
    ReadDxfFile(reread, ToPath(project.DrawingsFolder() + "/Pilastrata_1.dxf"));
    h.w().ChooseStack(QStringLiteral("1"));
    QCOMPARE(reread.EntityCount(), h.w().CurrentDrawing().EntityCount());
  }

  void a_cancelled_batch_says_how_many_drawings_it_wrote() {
    ExampleProject project(QStringLiteral("Magazzino"), true);
    Harness h(project.Folder());
    h.w().Start();
    h.w().show();
    // Press "Annulla" as soon as the first drawing is on disk.
    QTimer watcher;
    connect(&watcher, &QTimer::timeout, this, [&] {
      if (QDir(project.DrawingsFolder()).entryList(QDir::Files).isEmpty()) return;
      if (auto* progress = h.w().findChild<QProgressDialog*>()) progress->cancel();
    });
    watcher.start(0);
    h.w().RunCommand(kCmdGenerateAll);
    // Stopped before the last stack, and the count is what is on disk.
    const QStringList written = QDir(project.DrawingsFolder()).entryList(QDir::Files);
    QVERIFY(!written.isEmpty() && !written.contains(QStringLiteral("Pilastrata_3.dxf")));
    QCOMPARE(h.messages.Texts().last(),
             QStringLiteral("Generazione interrotta. Disegni salvati: %1.").arg(written.size()));
    QCOMPARE(h.messages.shown.back().title, QStringLiteral("Dxf pilastri"));
  }

  void an_open_menu_takes_the_wheel_from_the_view() {
    Harness h{QString()};
    h.w().Start();
    QVERIFY(h.w().State().viewEnabled);
    QMenu* file = h.w().menuBar()->actions().first()->menu();
    QVERIFY(QMetaObject::invokeMethod(file, "aboutToShow"));
    QVERIFY(!h.w().State().viewEnabled);
  }

  void info_names_the_dxf_library() {
    Harness h{QString()};
    h.w().RunCommand(kCmdHelp);
    QCOMPARE(h.messages.shown.size(), std::size_t{1});
    const auto& info = h.messages.shown[0];
    QCOMPARE(info.icon, MessageIcon::Information);
    QVERIFY(info.text.contains(QStringLiteral("dxflib")));
    QVERIFY(info.text.contains(QStringLiteral("https://www.ribbonsoft.com/en/what-is-dxflib")));
    QCOMPARE(info.text.count(QStringLiteral("\n\n")), 1);  // two paragraphs
  }

  void status_bar_and_pane_buttons_toggle() {
    Harness h{QString()};
    h.w().Start();
    h.w().RunCommand(kCmdStatusBar);
    QVERIFY(h.w().statusBar()->isHidden());
    QVERIFY(!h.w().Action(kCmdStatusBar)->isChecked());
    h.w().RunCommand(kCmdStatusBar);
    QVERIFY(!h.w().statusBar()->isHidden());
    h.w().RunCommand(kCmdProperties);
    QVERIFY(h.w().PropertiesPane()->isHidden());
    QVERIFY(!h.w().Action(kCmdProperties)->isChecked());
    h.w().RunCommand(kCmdProperties);
    QVERIFY(!h.w().PropertiesPane()->isHidden());
    QCOMPARE(h.w().PropertiesPane()->windowTitle(), QStringLiteral("Proprietà"));
  }

  void command_table_has_each_id_once_with_its_caption() {
    QSet<int> ids;
    for (const Command& c : MainWindow::CommandTable()) {
      QVERIFY2(!ids.contains(c.id), qPrintable(QString::number(c.id)));
      ids.insert(c.id);
    }
    Harness h{QString()};
    const QList<QPair<int, QString>> captions = {
        {kCmdZoomExtents, "Zoom Estendi"}, {kCmdZoomWindow, "Zoom Finestra"}, {kCmdZoomIn, "Zoom più"},
        {kCmdZoomOut, "Zoom meno"},       {kCmdZoomPrevious, "Zoom Precedente"}, {kCmdHelp, "Help"},
        {kCmdExit, "Esci"},               {kCmdPan, "Pan"},                   {kCmdGenerateAll, "Genera dxf"},
        {kCmdOpenDxf, "Apri dxf..."},     {kCmdSaveDxf, "Salva dxf..."},      {kCmdProperties, "Proprietà"}};
    for (const auto& [id, caption] : captions) QCOMPARE(h.w().Action(id)->text(), caption);
    QStringList menus;
    for (QAction* a : h.w().menuBar()->actions()) menus << a->text();
    QCOMPARE(menus, (QStringList{"File", "Visualizza", "Help"}));
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"

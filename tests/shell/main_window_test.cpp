// The main window end to end on copies of the example projects: start-up, choosing a
// stack, the layer switch, the option buttons, the wheel and zoom steps, the mouse tools,
// the file commands through the dialog seam, close and the batch.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QWindow>
#include <QtTest>

#include "cad/extents.h"
#include "dxf/file.h"
#include "dxf_write/writer.h"
#include "view/drawing_view.h"
#include "shell/check_pane.h"
#include "shell/problem_words.h"
#include "shell/property_grid.h"
#include "shell_test_support.h"

using namespace tessaro;
using namespace tessaro::shell;
using namespace tessaro::shell::testing;

namespace {

QStringList ComboEntries(const QComboBox& combo) {
  QStringList entries;
  for (int i = 0; i < combo.count(); ++i) entries << combo.itemText(i);
  return entries;
}

// "caption=value" for every row of the grid in order, indented by level.
QStringList GridLines(QTreeWidget& grid) {
  QStringList lines;
  for (QTreeWidgetItemIterator it(&grid); *it; ++it) {
    QString indent;
    for (QTreeWidgetItem* up = (*it)->parent(); up; up = up->parent()) indent += QStringLiteral("  ");
    lines << indent + (*it)->text(0) + QLatin1Char('=') + (*it)->text(1);
  }
  return lines;
}

bool Near(const QPointF& a, const QPointF& b) { return qAbs(a.x() - b.x()) < 1e-3 && qAbs(a.y() - b.y()) < 1e-3; }

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TemporarySettings> settings_;
  std::unique_ptr<ExampleProject> project_;
  std::unique_ptr<Harness> h_;

  // A started and shown window on a copy of the example project (made now unless the
  // test made one), with a stack chosen when one is named.
  Harness& Window(const QString& stack = {}) {
    if (!project_) project_ = std::make_unique<ExampleProject>(false);
    h_ = std::make_unique<Harness>(project_->Folder(), true);
    if (!stack.isEmpty()) h_->w().ChooseStack(stack);
    return *h_;
  }

private slots:
  // The last test's window goes while its own settings are still in place.
  void init() {
    h_.reset();
    project_.reset();
    settings_ = std::make_unique<TemporarySettings>();
  }

  // The example project, and an empty command line: the program's folder, without stacks.
  void start_up() {
    for (const bool example : {true, false}) {
      Harness& h = example ? Window() : *(h_ = std::make_unique<Harness>(QString()));
      QCOMPARE(h.started, example);
      QCOMPARE(h.w().State().projectFolder, example ? project_->Folder() : h.programFolder.path());
      QCOMPARE(h.messages.log, example ? QStringList{} : QStringList{"Tell Tessaro: Errore caricamento visualizzatore pilastri!"});
      QCOMPARE(ComboEntries(*h.w().StackList()),
               (example ? QStringList{"Scegli pilastrata...", "1", "2", "3"} : QStringList{"Scegli pilastrata..."}));
      QCOMPARE(ComboEntries(*h.w().LayerList()), QStringList{"Layer Dxf"});
      QCOMPARE(h.w().windowTitle() + " " + h.w().StatusText()->text(), "Visualizzatore DXF Pilastri Vers. 2.0.0");
      // The view takes the wheel until a menu opens.
      QVERIFY(h.w().State().viewEnabled);
      QVERIFY(QMetaObject::invokeMethod(h.w().menuBar()->actions().first()->menu(), "aboutToShow"));
      QVERIFY(!h.w().State().viewEnabled);
    }
    // Started to show a DXF file: no project to list stacks from, nor to complain about.
    Harness drawing(QString(), false, true);
    QVERIFY(drawing.started && drawing.messages.log.isEmpty());
    QCOMPARE(ComboEntries(*drawing.w().StackList()), QStringList{"Scegli pilastrata..."});
  }

  // Caption, stack, sides, levels and first bars of each stack's first piece file.
  // Each stack chosen after stack 3 is drawn, so choosing replaces grid and drawing.
  void choosing_a_stack() {
    for (const int pieces : {1, 2, 3}) {  // stack n has n pieces
      const QString stack = QString::number(pieces);
      Harness& h = Window(QStringLiteral("3"));
      QVERIFY(h.w().ChooseStack(stack));
      QCOMPARE(h.w().windowTitle(), "Visualizzatore DXF -  Pilastrata_" + stack);
      QCOMPARE(ComboEntries(*h.w().LayerList()),
               (QStringList{"Sezioni  (ON)", "ContornoCLS  (ON)", "Ferri  (ON)", "Testo  (ON)", "Quote  (ON)"}));
      QCOMPARE(h.w().LayerList()->currentIndex(), 0);
      // The layer switch turns the chosen layer off and on again; the entry stays chosen.
      const auto ferri = h.w().CurrentDrawing().FindLayer("Ferri").value();
      h.w().LayerList()->setCurrentIndex(2);
      for (const QString& shown : {QStringLiteral("Ferri (OFF)"), QStringLiteral("Ferri  (ON)")}) {
        h.w().RunCommand(kCmdLayerSwitch);
        QCOMPARE(h.w().LayerList()->currentText(), shown);
        QCOMPARE(h.w().CurrentDrawing().Layers()[ferri].on, shown.endsWith(QStringLiteral("(ON)")));
      }
      // Per piece its category and rows, then three sub-categories with theirs (the rows'
      // values are the stack load's business).
      const QStringList grid = GridLines(*h.w().Grid());
      QCOMPARE(grid.size(), pieces * 20);
      QVERIFY(grid[0].startsWith("Pilastro ") && grid[1] == "  ID pilastrata=" + stack);
      // The same drawing as a window that drew only this stack.
      Harness alone(project_->Folder());
      alone.w().ChooseStack(stack);
      QCOMPARE(DxfText(h.w().CurrentDrawing()), DxfText(alone.w().CurrentDrawing()));
    }
  }

  // Single stirrups and ties on the axis are the starting choice; either button of a
  // pair flips it and the same stack is drawn again.
  void option_buttons_flip_and_redraw() {
    for (const auto& [flip, back] : {std::pair{kCmdTiesTangent, kCmdTiesOnAxis}, {kCmdSplitStirrups, kCmdSingleStirrups}}) {
      Harness& h = Window(QStringLiteral("3"));
      QVERIFY(!h.w().Action(flip)->isChecked() && h.w().Action(back)->isChecked());
      h.w().ChooseStack(QStringLiteral("3"));  // the second draw starts from the state the first left
      const std::string before = DxfText(h.w().CurrentDrawing());
      h.w().RunCommand(flip);
      QVERIFY(h.w().Action(flip)->isChecked() && !h.w().Action(back)->isChecked());
      QVERIFY(DxfText(h.w().CurrentDrawing()) != before);
      h.w().RunCommand(back);
      QVERIFY(!h.w().Action(flip)->isChecked() && h.w().Action(back)->isChecked());
      QVERIFY(DxfText(h.w().CurrentDrawing()) == before);
    }
  }

  // Wheel events of the window over the view (taking them only while enabled), its
  // bottom-right corner, or a control: a wheel step on the view is 6% (it was 8 before), one
  // step per event; a turn that finds no target sets 12; the point under the pointer stays.
  void wheel() {
    const std::tuple<QString, int, double, float> cases[] = {  // over, rotation, zoom, percent after
        {"view off", 120, 1.0, 12.0f}, {"view", 120, 1.06, 6.0f}, {"view", -240, 1 / 1.06, 6.0f},
        {"corner", 120, 1.06, 6.0f},   {"layers", 120, 1.0, 8.0f}, {"stacks", -120, 1.0, 8.0f},  // focus, not a turn
        {"menu", 120, 1.0, 8.0f},      {"grid", 120, 1.0, 12.0f}};  // the menu bar stops the search; the grid is no target
    for (const auto& [over, rotation, zoom, percent] : cases) {
      Harness& h = Window(QStringLiteral("1"));
      DrawingView& view = *h.w().View();
      view.SetZoomInOutPercent(8);
      h.w().State().viewEnabled = over != "view off";
      const std::map<QString, QWidget*> controls = {
          {"layers", h.w().LayerList()}, {"stacks", h.w().StackList()}, {"menu", h.w().menuBar()}, {"grid", h.w().Grid()}};
      QWidget* target = controls.count(over) ? controls.at(over) : &view;
      const QPoint local = over == "corner" ? QPoint(view.width(), view.height()) : target->rect().center() / 2;
      const QPoint global = target->mapToGlobal(local);
      const QPointF anchor = view.ToDrawing(local);
      const double scale = view.State().scale;
      QWheelEvent wheel(QPointF(h.w().mapFromGlobal(global)), QPointF(global), QPoint(), QPoint(0, rotation),
                        Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
      QCoreApplication::sendEvent(h.w().windowHandle(), &wheel);
      QVERIFY2(qAbs(view.State().scale / scale - zoom) < 1e-9, qPrintable(over));
      QCOMPARE(view.ZoomInOutPercent(), percent);
      QVERIFY(Near(view.ToDrawing(local), anchor));
      QCOMPARE(h.w().LayerList()->hasFocus(), over == "layers");
      QCOMPARE(h.w().StackList()->hasFocus(), over == "stacks");
      QCOMPARE(h.w().State().currentStackId, QStringLiteral("1"));  // no other stack was chosen by the wheel
    }
  }

  // Yes saves and closes, No closes, Cancel keeps the window and the drawing; "Esci" asks the same.
  void close_question_answers() {
    for (const auto& [answer, byExit] : {std::pair{Answer::Yes, false}, {Answer::No, false}, {Answer::Cancel, false},
                                         {Answer::No, true}}) {
      Harness& h = Window(QStringLiteral("1"));
      const std::size_t drawn = h.w().CurrentDrawing().EntityCount();
      h.messages.answers = {answer};
      if (byExit) h.w().RunCommand(kCmdExit);
      if (!byExit) h.w().close();
      QCOMPARE(h.messages.log, QStringList{"Ask+Cancel Tessaro: Vuoi salvare il disegno corrente?"});
      QCOMPARE(h.files.requests.size(), std::size_t{answer == Answer::Yes});
      QCOMPARE(h.w().isVisible(), answer == Answer::Cancel);
      QCOMPARE(h.w().CurrentDrawing().EntityCount(), drawn);
    }
  }

  // The batch through the window: No cancels; the generation options, kept in the settings,
  // ask for schedules and BVBS files too; a stack whose last piece has a bad bar field is
  // drawn as far as it goes and shown with its problem, in Italian, but not written.
  void batch_from_the_window() {
    project_ = std::make_unique<ExampleProject>(true);
    // The UTF-8 sign read as Windows-1252, then garbage.
    const QString piece = BreakLastPiece(project_->Folder(), "4\xC3\x98" "16x|2\xD8" "16");
    Harness& h = Window();
    const auto written = [&] { return QDir(project_->DrawingsFolder()).entryList(QDir::Files); };
    h.messages.answers = {Answer::No};
    h.w().RunCommand(kCmdGenerateAll);
    QCOMPARE(h.messages.log.last(), QStringLiteral("Tell Tessaro: Azione annullata."));
    QVERIFY(written().isEmpty());
    for (int id : {kCmdBatchSchedule, kCmdBatchBvbs, kCmdBatchXlsx, kCmdBatchMarks}) h.w().RunCommand(id);
    QVERIFY(h.w().Action(kCmdBatchSchedule)->isChecked() && !h.w().Action(kCmdBatchPdf)->isChecked());
    QCOMPARE(settings_->Value("Generazione/DistintaFerri"), QStringLiteral("true"));
    QCOMPARE(settings_->Value("Generazione/Posizioni"), QStringLiteral("true"));
    h.w().RunCommand(kCmdGenerateAll);
    const QString problem = QDir::toNativeSeparators(piece) + ", riga 7, campo 1: \"4\u00C3\u02DC16x\": non \u00E8 un campo numero\u00D8diametro "
                                    "come 4\u00D816";
    QCOMPARE(h.messages.log.last(), "Warning Dxf pilastri: Attenzione: disegni salvati 2 su 3.\nNon salvate (resta il "
                                    "disegno precedente):\nPilastrata_3: " + problem);
    QStringList expected{"Distinta_1.csv", "Distinta_2.csv", "Distinta_progetto.csv", "Distinta_progetto.xlsx",
                         "Pilastrata_1.abs", "Pilastrata_1.dxf", "Pilastrata_2.abs", "Pilastrata_2.dxf",
                         "Verifica_1.txt", "Verifica_2.txt"};
    if (!XlsxAvailable()) expected.removeAll("Distinta_progetto.xlsx");
    QCOMPARE(written(), expected);
    Drawing marked;
    ReadDxfFile(marked, ToPath(project_->DrawingsFolder() + "/Pilastrata_2.dxf"));
    QVERIFY(marked.FindLayer("Posizioni"));
    // Every written stack's findings, as the command line prints them, in stack order.
    QStringList lines;
    for (const QString id : {"1", "2"}) {
      QFile report(project_->DrawingsFolder() + "/Verifica_" + id + ".txt");
      QVERIFY(report.open(QIODevice::ReadOnly));
      lines << QString::fromUtf8(report.readAll()).split("\r\n", Qt::SkipEmptyParts).mid(1);
    }
    const QListWidget& list = *h.w().Checks()->List();
    QCOMPARE(list.count(), lines.size());
    for (int i = 0; i < list.count(); ++i) QCOMPARE(list.item(i)->text(), lines[i]);
    // The window ends on the broken stack, shown with its problem until another stack is drawn.
    QVERIFY(h.w().CurrentDrawing().EntityCount() > 0);
    QCOMPARE(h.w().ProblemText()->text(), "Pilastrata 3 incompleta: " + problem);
    h.w().ChooseStack(QStringLiteral("2"));
    QCOMPARE(h.w().ProblemText()->text(), QString());
  }

  // The window's words for the engine's problems: Italian, lines and fields from 1, and the
  // input echoed at most 80 characters long.
  void problems_are_worded_in_italian() {
    Problem empty, number, bound, incomplete, noPieces;
    empty.kind = ProblemKind::EmptyLine, empty.line = 6, empty.field = 1;
    number.kind = ProblemKind::BadNumber, number.line = 8, number.field = 2, number.text = std::string(5000, '9');
    bound.kind = ProblemKind::OutOfBounds, bound.line = 3, bound.field = 0, bound.text = "0", bound.subject = "Lato 1";
    bound.lowOpen = true, bound.high = 1000;
    incomplete.kind = ProblemKind::DrawingIncomplete, incomplete.error = ErrorKind::DivisionByZero;
    incomplete.detail = "division by zero";
    noPieces.kind = ProblemKind::NoPieces;
    const std::pair<Problem, QString> cases[] = {
        {empty, "riga 7, campo 2: la riga \u00E8 vuota"},
        {number, "riga 9, campo 3: \"" + QString(80, QLatin1Char('9')) + QChar(0x2026) + "\" non \u00E8 un numero"},
        {bound, "riga 4, campo 1: Lato 1 \"0\" \u00E8 fuori dai limiti da 0 (escluso) a 1000"},
        {incomplete, "il disegno di questo pilastro \u00E8 incompleto: divisione per zero"},
        {noPieces, "il file della pilastrata non elenca pilastri"},
    };
    for (const auto& [problem, expected] : cases) QCOMPARE(ItalianProblem(problem), expected);
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"

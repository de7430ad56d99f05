// The main window end to end on copies of the example projects: start-up, choosing a
// stack, the layer switch, the option buttons, the wheel and zoom steps, the mouse tools,
// the file commands through the dialog seam, close, placement and the batch.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenuBar>
#include <QTranslator>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QWindow>
#include <QtTest>
#include <fstream>

#include "cad/extents.h"
#include "dxf/file.h"
#include "dxf_write/writer.h"
#include "view/drawing_view.h"
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
    h_ = std::make_unique<Harness>(project_->Folder());
    h_->w().show();
    if (!QTest::qWaitForWindowExposed(&h_->w())) qFatal("the window never showed");
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

  void start_up_data() {
    QTest::addColumn<bool>("example");
    QTest::addColumn<QStringList>("stacks");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("example project") << true << QStringList{"Scegli pilastrata...", "1", "2", "3"} << QStringList{};
    QTest::newRow("empty command line: the program's folder, without stacks")
        << false << QStringList{"Scegli pilastrata..."}
        << QStringList{"Tell Tessaro: Errore caricamento visualizzatore pilastri!"};
  }

  void start_up() {
    QFETCH(bool, example);
    QFETCH(QStringList, stacks);
    QFETCH(QStringList, messages);
    Harness& h = example ? Window() : *(h_ = std::make_unique<Harness>(QString()));
    QCOMPARE(h.started, example);
    QCOMPARE(h.w().State().projectFolder, example ? project_->Folder() : h.programFolder.path());
    QCOMPARE(h.messages.log, messages);
    QCOMPARE(ComboEntries(*h.w().StackList()), stacks);
    QCOMPARE(ComboEntries(*h.w().LayerList()), QStringList{"Layer Dxf"});
    QCOMPARE(h.w().windowTitle() + " " + h.w().StatusText()->text(), "Visualizzatore DXF Pilastri Vers. 2.0.0");
    // The view takes the wheel until a menu opens.
    QVERIFY(h.w().State().viewEnabled);
    QVERIFY(QMetaObject::invokeMethod(h.w().menuBar()->actions().first()->menu(), "aboutToShow"));
    QVERIFY(!h.w().State().viewEnabled);
  }

  // Caption, stack, sides, levels and first bars of each stack's first piece file.
  void choosing_a_stack_data() {
    QTest::addColumn<QString>("stack");
    QTest::addColumn<QStringList>("firstRows");
    const QString rows = "Pilastro %1=|  ID pilastrata=%2|  Lato 1=%3 cm|  Lato 2=%3 cm|  Quota iniziale=0 cm|"
                         "  Quota finale=%4 cm|  Ferri longitudinali=|    Ferri lato 1=%5";
    QTest::newRow("one piece") << "1" << rows.arg("1", "1", "40", "600", "4Ø16").split('|');
    QTest::newRow("two pieces") << "2" << rows.arg("2", "2", "50", "450", "4Ø18").split('|');
    QTest::newRow("three pieces") << "3" << rows.arg("4", "3", "45", "420", "3Ø16").split('|');
  }

  // Each row starts from stack 3 already drawn, so choosing replaces grid and drawing.
  void choosing_a_stack() {
    QFETCH(QString, stack);
    QFETCH(QStringList, firstRows);
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

    // Per piece: its category and rows, then three sub-categories with theirs.
    const int pieces = stack.toInt();
    const QStringList grid = GridLines(*h.w().Grid());
    QCOMPARE(grid.size(), pieces * 20);
    QCOMPARE(grid.mid(0, 8), firstRows);

    // The same drawing as a window that drew only this stack.
    Harness alone(project_->Folder());
    alone.w().ChooseStack(stack);
    QCOMPARE(DxfText(h.w().CurrentDrawing()), DxfText(alone.w().CurrentDrawing()));
  }

  // Single stirrups and ties on the axis are the starting choice; either button of a
  // pair flips it and the same stack is drawn again.
  void option_buttons_flip_and_redraw_data() {
    QTest::addColumn<int>("flip");
    QTest::addColumn<int>("back");
    QTest::newRow("ties tangent, back on the axis") << int(kCmdTiesTangent) << int(kCmdTiesOnAxis);
    QTest::newRow("split stirrups, back to single") << int(kCmdSplitStirrups) << int(kCmdSingleStirrups);
  }

  void option_buttons_flip_and_redraw() {
    QFETCH(int, flip);
    QFETCH(int, back);
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

  // Wheel events of the window over the view (taking them only while enabled) or a control:
  // a wheel step on the view is 6%, one step per event; a turn that finds no target sets 12.
  void wheel_data() {
    QTest::addColumn<QString>("over");  // "view", "view off", its "corner", a control
    QTest::addColumn<int>("rotation");
    QTest::addColumn<double>("zoom");
    QTest::addColumn<float>("percent");  // the step was 8 before
    QTest::newRow("view off: nothing takes the wheel") << "view off" << 120 << 1.0 << 12.0f;
    QTest::newRow("away from the user zooms in") << "view" << 120 << 1.06 << 6.0f;
    QTest::newRow("towards the user one step out") << "view" << -240 << 1 / 1.06 << 6.0f;
    QTest::newRow("bottom-right edge is inside") << "corner" << 120 << 1.06 << 6.0f;
    QTest::newRow("a list takes the focus") << "layers" << 120 << 1.0 << 8.0f;
    QTest::newRow("the stack list takes the focus, not a turn") << "stacks" << -120 << 1.0 << 8.0f;
    QTest::newRow("the menu bar stops the search") << "menu" << 120 << 1.0 << 8.0f;
    QTest::newRow("the grid is no target") << "grid" << 120 << 1.0 << 12.0f;
  }

  void wheel() {
    QFETCH(QString, over);
    QFETCH(int, rotation);
    QFETCH(double, zoom);
    QFETCH(float, percent);
    Harness& h = Window(QStringLiteral("1"));
    DrawingView& view = *h.w().View();
    view.SetZoomInOutPercent(8);
    h.w().State().viewEnabled = over != "view off";
    const std::map<QString, QWidget*> controls = {
        {"layers", h.w().LayerList()}, {"stacks", h.w().StackList()}, {"menu", h.w().menuBar()},
        {"grid", h.w().Grid()}};
    const QString stack = h.w().State().currentStackId;
    QWidget* target = controls.count(over) ? controls.at(over) : &view;
    const QPoint local = over == "corner" ? QPoint(view.width(), view.height()) : target->rect().center() / 2;
    const QPoint global = target->mapToGlobal(local);
    const QPointF anchor = view.ToDrawing(local);
    const double scale = view.State().scale;
    QWheelEvent wheel(QPointF(h.w().mapFromGlobal(global)), QPointF(global), QPoint(), QPoint(0, rotation),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(h.w().windowHandle(), &wheel);
    QVERIFY(qAbs(view.State().scale / scale - zoom) < 1e-9);
    QCOMPARE(view.ZoomInOutPercent(), percent);
    QVERIFY(Near(view.ToDrawing(local), anchor));  // the drawing point under the pointer stays
    QCOMPARE(h.w().LayerList()->hasFocus(), over == "layers");
    QCOMPARE(h.w().StackList()->hasFocus(), over == "stacks");
    QCOMPARE(h.w().State().currentStackId, stack);  // no other stack was chosen by the wheel
  }

  // Middle button pressed and released, mouse moved, a click: the view zooms to the
  // rectangle between the release point and the click point. Resizing the window then
  // shows the whole drawing again.
  void middle_release_then_click_zooms_to_the_rectangle_and_a_resize_undoes_it() {
    Harness& h = Window(QStringLiteral("1"));
    DrawingView& view = *h.w().View();
    const QPoint first(view.width() / 4, view.height() / 4);
    const QPoint second(view.width() / 2, view.height() / 2);
    const QPointF from = view.ToDrawing(first);
    const QPointF to = view.ToDrawing(second);
    QTest::mousePress(&view, Qt::MiddleButton, {}, first);
    QCOMPARE(view.cursor().shape(), Qt::CrossCursor);
    QTest::mouseRelease(&view, Qt::MiddleButton, {}, first);
    QTest::mouseMove(&view, second);
    QTest::mouseClick(&view, Qt::LeftButton, {}, second);
    // The rectangle's centre is now the view's centre and it fills one direction.
    QVERIFY(Near(view.ToDrawing(QPointF(view.width() / 2.0, view.height() / 2.0)), (from + to) / 2));
    const QPointF size = view.ToPixel(to) - view.ToPixel(from);
    QVERIFY(qAbs(qAbs(size.x()) - view.width()) < 1.0 || qAbs(qAbs(size.y()) - view.height()) < 1.0);

    h.w().resize(h.w().width() - 100, h.w().height() - 60);
    const auto box = DrawnExtents(h.w().CurrentDrawing()).value();
    // Both corners of the drawing are inside the view, and it touches one pair of margins.
    const QPointF low = view.ToPixel(QPointF(box.min.x, box.min.y));
    const QPointF high = view.ToPixel(QPointF(box.max.x, box.max.y));
    QVERIFY(QRectF(view.rect()).contains(low) && QRectF(view.rect()).contains(high));
    QVERIFY(high.x() - low.x() > 0.9 * view.width() || low.y() - high.y() > 0.9 * view.height());
  }

  void open_and_save_go_through_the_dialogs() {
    Harness& h = Window(QStringLiteral("2"));
    // Save proposes the stack's drawing name where the project's drawings go (this project
    // has no "Disegni" folder: the project folder).
    const QString saved = h.programFolder.path() + "/uscita.dxf";
    h.files.answers = {saved};
    h.w().RunCommand(kCmdSaveDxf);
    const FileDialogRequest& save = h.files.requests.at(0);
    QCOMPARE(QStringList({save.title, save.fileName, save.initialFolder, save.filter, save.defaultSuffix}),
             QStringList({"Salva File DXF", "Pilastrata_2", project_->Folder(),
                          "DXF File (*.DXF *.dxf);;All (*.*)", "dxf"}));
    const std::size_t drawn = h.w().CurrentDrawing().EntityCount();

    // Open replaces the drawing; the caption names the file; the stack list has no choice.
    h.w().CurrentDrawing().Clear();
    h.files.answers = {saved};
    h.w().RunCommand(kCmdOpenDxf);
    QCOMPARE(h.files.requests.back().title + h.files.requests.back().fileName, QStringLiteral("Apri File DXF"));
    QCOMPARE(h.w().CurrentDrawing().EntityCount(), drawn);
    QCOMPARE(h.w().StackList()->currentIndex(), -1);
    QVERIFY(ComboEntries(*h.w().LayerList()).contains(QStringLiteral("Sezioni  (ON)")));
    QCOMPARE(h.w().windowTitle(), QStringLiteral("Visualizzatore DXF -  uscita.dxf"));
    h.w().RunCommand(kCmdSaveDxf);  // after an open the save proposes no name
    QCOMPARE(h.files.requests.back().fileName, QString());
  }

  void close_question_answers_data() {
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<bool>("byExit");
    QTest::newRow("Yes saves and closes") << Answer::Yes << false;
    QTest::newRow("No closes") << Answer::No << false;
    QTest::newRow("Cancel keeps the window and the drawing") << Answer::Cancel << false;
    QTest::newRow("Esci asks the same") << Answer::No << true;
  }

  void close_question_answers() {
    QFETCH(Answer, answer);
    QFETCH(bool, byExit);
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

  void placement_is_written_at_close_and_read_at_start() {
    Harness& h = Window();
    h.w().setGeometry(60, 40, 700, 500);  // within the offscreen screen of 800 x 600
    const QRect placed(h.w().pos(), h.w().size());
    h.messages.answers = {Answer::No};
    QVERIFY(h.w().close());
    const QStringList keys = {"MainLeft", "MainTop", "MainWidth", "MainHeight"};
    const QList<int> values = {placed.x(), placed.y(), 700, 500};
    for (int i = 0; i < keys.size(); ++i) QCOMPARE(settings_->Value("Settings/" + keys[i]), QString::number(values[i]));
    QVERIFY(QFile::exists(settings_->Folder() + "/TessaroTest/Tessaro.ini"));

    Harness& again = Window();
    QCOMPARE(QRect(again.w().pos(), again.w().size()), placed);
  }

  void batch_with_no_stacks_reports_success() {
    QTemporaryDir folder;
    QVERIFY(QDir(folder.path()).mkpath("Pilastri"));
    Harness h(folder.path());
    QVERIFY(h.started);
    h.w().RunCommand(kCmdGenerateAll);
    QCOMPARE(h.messages.log, (QStringList{"Ask Tessaro: Attenzione : \r\nil salvataggio in automatico sovrascriverà  i "
                                          "disegni esistenti.\r\nprocedere comunque?",
                                          "Info Dxf pilastri: Salvataggio correttamente effettuato."}));
  }

  // A stack that draws nothing is not written, neither under its name nor the previous one's.
  void batch_writes_each_stack_that_draws_under_its_own_name() {
    project_ = std::make_unique<ExampleProject>(true);
    // Stack 4 names a piece file that is missing.
    std::ofstream(ToPath(project_->Folder() + "/Pilastri/P4.pst"), std::ios::binary) << "Manca_1\r\n";
    Harness& h = Window();
    auto written = [&] { return QDir(project_->DrawingsFolder()).entryList(QDir::Files); };
    h.messages.answers = {Answer::No};
    h.w().RunCommand(kCmdGenerateAll);
    QCOMPARE(h.messages.log.last(), QStringLiteral("Tell Tessaro: Azione annullata."));
    QVERIFY(written().isEmpty());

    h.w().RunCommand(kCmdGenerateAll);
    QCOMPARE(written(), (QStringList{"Pilastrata_1.dxf", "Pilastrata_2.dxf", "Pilastrata_3.dxf"}));
    QCOMPARE(h.messages.log.last(),
             "Warning Dxf pilastri: Attenzione: disegni salvati 3 su 4.\nNon salvate (resta il disegno precedente):\n"
             "Pilastrata_4: " + project_->Folder() + "/Pilastri/Dis/Manca_1.pxf: file non trovato");
    // The file before the broken stack holds its own stack's drawing, not the broken one's.
    Drawing reread;
    ReadDxfFile(reread, ToPath(project_->DrawingsFolder() + "/Pilastrata_3.dxf"));
    h.w().ChooseStack(QStringLiteral("3"));
    QCOMPARE(reread.EntityCount(), h.w().CurrentDrawing().EntityCount());
  }

  // A stack whose last piece has a bad bar field is drawn as far as it goes and shown with
  // its problem, but not written: its earlier file stays byte for byte, the warning lists it.
  void batch_keeps_the_earlier_file_of_a_broken_stack_and_names_the_problem() {
    project_ = std::make_unique<ExampleProject>(true);
    const QString piece = project_->Folder() + "/Pilastri/Dis/Pil3_3.pxf";
    QFile file(piece);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QList<QByteArray> lines = file.readAll().split('\n');
    file.close();
    lines[6] = QByteArray("4\xC3\x98" "16x|2\xD8" "16\r");  // the UTF-8 sign read as Windows-1252, then garbage
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(lines.join('\n'));
    file.close();
    const QString earlier = project_->DrawingsFolder() + "/Pilastrata_3.dxf";
    QFile previous(earlier);
    QVERIFY(previous.open(QIODevice::WriteOnly));
    previous.write("the drawing of an earlier run\n");
    previous.close();

    Harness& h = Window();
    h.w().RunCommand(kCmdGenerateAll);
    const QString problem = piece + ", riga 7, campo 1: \"4\u00C3\u02DC16x\": non \u00E8 un campo numero\u00D8diametro "
                                    "come 4\u00D816";
    QCOMPARE(h.messages.log.last(), "Warning Dxf pilastri: Attenzione: disegni salvati 2 su 3.\nNon salvate (resta il "
                                    "disegno precedente):\nPilastrata_3: " + problem);
    QVERIFY(previous.open(QIODevice::ReadOnly));
    QCOMPARE(previous.readAll(), QByteArray("the drawing of an earlier run\n"));
    QCOMPARE(QDir(project_->DrawingsFolder()).entryList(QDir::Files),
             (QStringList{"Pilastrata_1.dxf", "Pilastrata_2.dxf", "Pilastrata_3.dxf"}));
    // The window shows what was drawn (two pieces) and the problem until the next stack.
    QVERIFY(h.w().CurrentDrawing().EntityCount() > 0);
    QCOMPARE(h.w().ProblemText()->text(), "Pilastrata 3 incompleta: " + problem);
    h.w().ChooseStack(QStringLiteral("2"));
    QCOMPARE(h.w().ProblemText()->text(), QString());
  }

  // Without a "Disegni" folder the batch makes it and writes every stack into it.
  void batch_makes_a_missing_drawings_folder() {
    project_ = std::make_unique<ExampleProject>(false);
    QVERIFY(!QDir(project_->DrawingsFolder()).exists());
    Harness& h = Window();
    h.w().RunCommand(kCmdGenerateAll);
    QCOMPARE(h.messages.log.last(), QStringLiteral("Info Dxf pilastri: Salvataggio correttamente effettuato."));
    QCOMPARE(QDir(project_->DrawingsFolder()).entryList(QDir::Files),
             (QStringList{"Pilastrata_1.dxf", "Pilastrata_2.dxf", "Pilastrata_3.dxf"}));
  }

  // The generation options ask the batch for the command line's files too, and are kept;
  // the window ends on the last stack with its schedule.
  void batch_writes_the_files_the_generation_options_ask_for() {
    project_ = std::make_unique<ExampleProject>(true);
    Harness& h = Window();
    h.w().RunCommand(kCmdBatchSchedule);
    h.w().RunCommand(kCmdBatchBvbs);
    QVERIFY(h.w().Action(kCmdBatchSchedule)->isChecked() && !h.w().Action(kCmdBatchPdf)->isChecked());
    QCOMPARE(settings_->Value("Generazione/DistintaFerri"), QStringLiteral("true"));
    h.w().RunCommand(kCmdGenerateAll);
    QCOMPARE(h.messages.log.last(), QStringLiteral("Info Dxf pilastri: Salvataggio correttamente effettuato."));
    QCOMPARE(QDir(project_->DrawingsFolder()).entryList(QDir::Files),
             (QStringList{"Distinta_1.csv", "Distinta_2.csv", "Distinta_3.csv", "Distinta_progetto.csv",
                          "Pilastrata_1.abs", "Pilastrata_1.dxf", "Pilastrata_2.abs", "Pilastrata_2.dxf",
                          "Pilastrata_3.abs", "Pilastrata_3.dxf"}));
    QCOMPARE(h.w().StackList()->currentText(), QStringLiteral("3"));
    QVERIFY(h.w().Schedule().has_value() && h.w().Schedule()->stackId == "3");
  }

  // The window's words for the engine's problems: Italian, lines and fields from 1, and the
  // input echoed at most 80 characters long.
  void problems_are_worded_in_italian() {
    const auto make = [](ProblemKind kind, int line, int field, std::string text) {
      Problem p;
      p.kind = kind;
      p.line = line;
      p.field = field;
      p.text = std::move(text);
      return p;
    };
    Problem bound = make(ProblemKind::OutOfBounds, 3, 0, "0");
    bound.subject = "Lato 1";
    bound.lowOpen = true;
    bound.high = 1000;
    Problem incomplete = make(ProblemKind::DrawingIncomplete, -1, -1, "");
    incomplete.error = ErrorKind::DivisionByZero;
    incomplete.detail = "division by zero";
    const QString cut = QString(80, QLatin1Char('9')) + QChar(0x2026);
    const std::pair<Problem, QString> cases[] = {
        {make(ProblemKind::EmptyLine, 6, 1, ""), "riga 7, campo 2: la riga \u00E8 vuota"},
        {make(ProblemKind::BadNumber, 8, 2, std::string(5000, '9')),
         "riga 9, campo 3: \"" + cut + "\" non \u00E8 un numero"},
        {bound, "riga 4, campo 1: Lato 1 \"0\" \u00E8 fuori dai limiti da 0 (escluso) a 1000"},
        {incomplete, "il disegno di questo pilastro \u00E8 incompleto: divisione per zero"},
        {make(ProblemKind::NoPieces, -1, -1, ""), "il file della pilastrata non elenca pilastri"},
    };
    for (const auto& [problem, expected] : cases) QCOMPARE(ItalianProblem(problem), expected);
  }

  // Qt's own buttons and dialogs speak Italian once its translations are installed.
  void qt_dialogs_speak_italian() {
    QTranslator translator;
    QVERIFY(InstallQtItalianTranslations(translator));
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Annulla"));
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "&Yes"), QStringLiteral("&S\u00EC"));
    QCoreApplication::removeTranslator(&translator);
  }

  // Escape returns an armed zoom window and an active pan to rest.
  void escape_puts_the_view_tools_back_to_rest() {
    Harness& h = Window(QStringLiteral("1"));
    h.w().RunCommand(kCmdZoomWindow);
    h.w().RunCommand(kCmdPan);
    h.w().State().pick.panPickActive = true;
    QTest::keyClick(&h.w(), Qt::Key_Escape);
    const view::PickState& pick = h.w().State().pick;
    QVERIFY(!pick.windowPickPending && !pick.windowPickActive && !pick.panPickPending && !pick.panPickActive);
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"

// The drawn stack beyond the screen, through the dialog seam: the "Distinta ferri" pane,
// the schedule, BVBS and PDF exports, printing and the print preview.
#include <QAction>
#include <QComboBox>
#include <QDockWidget>
#include <QFile>
#include <QImage>
#include <QListWidget>
#include <QProcess>
#include <QTableWidget>
#include <QtTest>

#include "dxf/file.h"
#include "dxf_write/writer.h"
#include "shell/check_pane.h"
#include "shell_test_support.h"
#include "support/coloured_pixels.h"

using namespace tessaro;
using namespace tessaro::shell;
using namespace tessaro::shell::testing;

namespace {

constexpr int kSheetCommands[] = {kCmdExportSchedule, kCmdExportBvbs, kCmdExportPdf, kCmdPrint, kCmdPrintPreview};

// poppler's tools are Linux programs: a Windows build run under wine cannot start them, and
// scripts/test-windows reads the Windows programs' PDFs with them instead.
#ifdef Q_OS_WIN
constexpr bool kPopplerRuns = false;
#else
constexpr bool kPopplerRuns = true;
#endif

QString Poppler(const char* tool, const QStringList& args) {
  QProcess p;
  p.start(QString::fromLatin1(tool), args);
  if (!p.waitForFinished(60000) || p.exitCode() != 0) {
    qWarning("%s failed (poppler-utils missing? run scripts/setup): %s", tool, p.readAllStandardError().constData());
    return {};
  }
  return QString::fromUtf8(p.readAllStandardOutput());
}

QStringList Enabled(MainWindow& w) {
  QStringList enabled;
  for (int id : kSheetCommands) {
    if (w.Action(id)->isEnabled()) enabled << w.Action(id)->text();
  }
  return enabled;
}

}  // namespace

class SheetCommandsTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TemporarySettings> settings_;
  std::unique_ptr<ExampleProject> project_;
  std::unique_ptr<Harness> h_;
  std::unique_ptr<QTemporaryDir> out_;

  Harness& Window(const QString& stack = {}) {
    h_ = std::make_unique<Harness>(project_->Folder());
    if (!stack.isEmpty()) h_->w().ChooseStack(stack);
    return *h_;
  }

private slots:
  void init() {
    h_.reset();
    settings_ = std::make_unique<TemporarySettings>();
    project_ = std::make_unique<ExampleProject>(true);
    out_ = std::make_unique<QTemporaryDir>();
  }

  // The pane and the commands follow the drawn stack: none at start, the stack's after a
  // choice, none again once a DXF file replaces the drawing.
  void follow_the_drawn_stack() {
    Harness& h = Window();
    const QStringList all = {"Esporta distinta ferri...", "Esporta BVBS...", "Esporta PDF...", "Stampa...",
                             "Anteprima di stampa..."};
    QCOMPARE(Enabled(h.w()), QStringList{});
    QVERIFY(!h.w().ScheduleTable()->isEnabled());

    for (const QString stack : {"1", "3"}) {
      QVERIFY(h.w().ChooseStack(stack));
      QVERIFY(h.w().Schedule().has_value());
      const StackSchedule& schedule = *h.w().Schedule();
      QCOMPARE(QString::fromStdString(schedule.stackId), stack);
      QCOMPARE(Enabled(h.w()), all);
      QCOMPARE(h.w().SchedulePane()->windowTitle(), "Distinta ferri - Pilastrata " + stack);
      QTableWidget& table = *h.w().ScheduleTable();
      QVERIFY(table.isEnabled());
      // Marks, then one total per diameter, then the stack's total.
      QCOMPARE(table.rowCount(), int(schedule.rows.size() + schedule.diameters.size() + 1));
      QCOMPARE(table.item(table.rowCount() - 1, 2)->text(), "Totale pilastrata");
      // The drawing's L beside the cut length, only where it is more than 1 cm off.
      QCOMPARE(table.horizontalHeaderItem(8)->text(), "L disegno (cm)");
      for (std::size_t r = 0; r < schedule.rows.size(); ++r) {
        QCOMPARE(table.item(int(r), 8)->text().isEmpty(), !schedule.rows[r].LengthDiffers());
      }
      QCOMPARE(table.editTriggers(), QAbstractItemView::NoEditTriggers);
    }

    // Choosing the list's first entry finds no stack and leaves the drawing and its schedule.
    h.w().StackList()->setCurrentIndex(0);
    h.w().RunCommand(kCmdStackList);
    QCOMPARE(QString::fromStdString(h.w().Schedule()->stackId), "3");

    const QString dxf = out_->filePath("other.dxf");
    WriteDxfFile(h.w().CurrentDrawing(), dxf.toStdString());
    h.files.answers << dxf;
    h.w().RunCommand(kCmdOpenDxf);
    QCOMPARE(Enabled(h.w()), QStringList{});
    QVERIFY(!h.w().Schedule().has_value());
    QCOMPARE(h.w().ScheduleTable()->rowCount(), 0);
    QVERIFY(!h.w().ScheduleTable()->isEnabled());

    // The pane's own command hides and shows it.
    h.w().show();
    QVERIFY(QTest::qWaitForWindowExposed(&h.w()));
    h.w().RunCommand(kCmdSchedulePane);
    QVERIFY(h.w().SchedulePane()->isHidden());
    QVERIFY(!h.w().Action(kCmdSchedulePane)->isChecked());
    h.w().RunCommand(kCmdSchedulePane);
    QVERIFY(!h.w().SchedulePane()->isHidden());
  }

  // "Posizioni nel disegno" of the "Verifica" pane draws the position marks on their own
  // layer, one circle per labelled row, and takes them away again (what the pane lists is
  // the batch test's).
  void checks_and_position_marks() {
    Harness& h = Window("3");
    CheckPane& pane = *h.w().Checks();
    const int findings = pane.List()->count();
    std::size_t labelled = 0;
    for (const ScheduleRow& row : h.w().Schedule()->rows) labelled += row.hasLabel ? 1 : 0;
    const std::size_t plain = h.w().CurrentDrawing().Entities().size();
    pane.MarksAction()->trigger();
    QVERIFY(h.w().CurrentDrawing().FindLayer("Posizioni"));
    QCOMPARE(h.w().CurrentDrawing().Entities().size(), plain + 2 * labelled);
    pane.MarksAction()->trigger();
    QCOMPARE(h.w().CurrentDrawing().Entities().size(), plain);
    QCOMPARE(pane.List()->count(), findings);
  }

  // Each export proposes the stack's file in the project's drawings folder and writes the
  // drawn stack's file where the user says (what it holds is the schedule's, the BVBS file's
  // and the sheet's business); cancel writes nothing; a failed write says which file and why.
  void exports() {
    const std::tuple<int, QString, QString, QByteArray> cases[] = {  // command, title, file proposed, start
        {kCmdExportSchedule, "Esporta distinta ferri", "Distinta_2.csv", "Pilastrata;"},
        {kCmdExportBvbs, "Esporta file BVBS", "Pilastrata_2.abs", "BF2D@Hjproject@rPilastrata_2@"},
        {kCmdExportPdf, "Esporta PDF", "Pilastrata_2.pdf", "%PDF-"}};
    for (const auto& [command, title, proposed, start] : cases) {
      Harness& h = Window("2");
      const QString suffix = proposed.section('.', 1), folder = out_->filePath(suffix), path = folder + "/chosen." + suffix;
      QVERIFY(QDir().mkpath(folder));
      h.files.answers << path << QString() << out_->filePath("missing/folder." + suffix);
      h.w().RunCommand(command);
      QCOMPARE(h.files.requests.size(), std::size_t{1});
      const FileDialogRequest& request = h.files.requests.front();
      QCOMPARE(QStringList({request.title, request.fileName, request.initialFolder, request.defaultSuffix}),
               QStringList({title, proposed, project_->DrawingsFolder(), suffix}));
      QVERIFY2(ReadFile(path).startsWith(start), ReadFile(path).left(40).constData());
      QCOMPARE(h.messages.log, QStringList{});
      h.w().RunCommand(command);  // cancelled
      QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{"chosen." + suffix});
      h.w().RunCommand(command);  // into a folder that does not exist
      QCOMPARE(h.messages.log.size(), 1);
      QVERIFY2(h.messages.log[0].startsWith("Critical Tessaro: Impossibile scrivere il file\n") &&
                   h.messages.log[0].contains(QDir::toNativeSeparators(out_->filePath("missing/folder." + suffix))),
               qPrintable(h.messages.log[0]));
    }
  }

  // The sheets are black and white unless "Tavole a colori" asks for the drawing's colours;
  // the choice is kept, and the export follows it (the print paints the same plan).
  void sheet_colours_on_request() {
    if (!kPopplerRuns) QSKIP("poppler's tools do not run here");
    Harness& h = Window("3");
    const auto colouredPixels = [&](const QString& pdf) {
      Poppler("pdftoppm", {"-r", "50", "-png", "-singlefile", pdf, out_->filePath("page")});
      return test::ColouredPixels(QImage(out_->filePath("page.png")));
    };
    for (const bool colour : {false, true}) {
      if (colour) h.w().RunCommand(kCmdSheetColour);
      const QString pdf = out_->filePath(colour ? "colour.pdf" : "plain.pdf");
      h.files.answers << pdf;
      h.w().RunCommand(kCmdExportPdf);
      QVERIFY(QFile::exists(pdf));
      QCOMPARE(colouredPixels(pdf) > 100, colour);
    }
    QCOMPARE(settings_->Value("Generazione/TavoleAColori"), QStringLiteral("true"));
  }

  // The printer starts on the sheet the drawing goes on; what prints is the sheet's pages.
  void print_and_preview() {
    Harness& h = Window("3");
    const QString printed = out_->filePath("printed.pdf");
    h.printing.answers << QString() << printed;
    h.w().RunCommand(kCmdPrint);  // cancelled in the dialog
    QCOMPARE(h.printing.setUps, 1);
    QVERIFY(!QFile::exists(printed));
    QCOMPARE(h.printing.offered.pageSize().id(), QPageSize::A3);
    QCOMPARE(h.printing.offered.orientation(), QPageLayout::Portrait);  // a 12 m elevation at 1:50

    h.w().RunCommand(kCmdPrint);
    QVERIFY(QFile::exists(printed));
    if (kPopplerRuns) {
      const QString info = Poppler("pdfinfo", {printed});
      QVERIFY2(info.contains(QRegularExpression("Pages:\\s+[1-9]")) && info.contains("(A3)"), qPrintable(info));
      QVERIFY(Poppler("pdftotext", {printed, "-"}).contains("Tessaro 2.0.0"));
    }

    h.printing.previewFile = out_->filePath("preview.pdf");
    h.w().RunCommand(kCmdPrintPreview);
    QCOMPARE(h.printing.previews, 1);
    if (kPopplerRuns) QVERIFY(Poppler("pdftotext", {h.printing.previewFile, "-"}).contains("Distinta ferri"));
  }
};

QTEST_MAIN(SheetCommandsTest)
#include "sheet_commands_test.moc"

// The desktop program in daily use: whole messages, projects and files opened from the
// window and remembered, the stack folder followed while it is rewritten, the question
// before saving a partial stack, the command keys, picking and measuring, the placement
// kept on the screen and colours that read on either background.
#include <QAction>
#include <QComboBox>
#include <QDockWidget>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSignalSpy>
#include <QStatusBar>
#include <QtTest>

#include "dxf/file.h"
#include "dxf_write/writer.h"
#include "render/aci_colors.h"
#include "render/pick.h"
#include "view/drawing_view.h"
#include "shell/file_watch.h"
#include "shell/message_box.h"
#include "shell/recent_files.h"
#include "shell_test_support.h"

using namespace tessaro;
using namespace tessaro::shell;
using namespace tessaro::shell::testing;

namespace {

// Every label of a shown dialog shows its whole text: a wrapping label is as high as its
// text needs at its width, any other as wide as its text.
QStringList CutLabels(const QWidget& dialog) {
  QStringList cut;
  for (const QLabel* label : dialog.findChildren<QLabel*>()) {
    if (label->text().isEmpty() || !label->isVisible()) continue;
    const bool whole = label->wordWrap() ? label->heightForWidth(label->width()) <= label->height()
                                         : label->sizeHint().width() <= label->width();
    if (!whole) cut << label->text().left(40);
  }
  return cut;
}

// Shows each message in a real dialog, checks it and answers Yes (OK).
class CheckedMessages final : public MessageBoxes {
public:
  QStringList problems;  // "<text start>: <what is wrong>"
  QStringList log;

  Answer Ask(const QString& title, const QString& text, bool withCancel) override {
    Check(title, text, MessageIcon::Question,
          withCancel ? MessageDialog::Buttons::YesNoCancel : MessageDialog::Buttons::YesNo);
    return Answer::Yes;
  }
  void Tell(const QString& title, const QString& text, MessageIcon icon) override {
    Check(title, text, icon, MessageDialog::Buttons::Ok);
  }

private:
  void Check(const QString& title, const QString& text, MessageIcon icon, MessageDialog::Buttons buttons) {
    log << text;
    MessageDialog dialog(nullptr, title, text, icon, buttons);
    dialog.show();
    if (!QTest::qWaitForWindowExposed(&dialog)) problems << text.left(30) + ": never shown";
    const QString start = text.left(30) + QStringLiteral(": ");
    for (const QString& label : CutLabels(dialog)) problems << start + "label cut: " + label;
    const QRect screen = dialog.screen()->availableGeometry();
    if (dialog.width() > screen.width() || dialog.height() > screen.height()) problems << start + "beyond the screen";
    if (dialog.width() < dialog.fontMetrics().horizontalAdvance(title) + 100) problems << start + "title cut";
    // Nothing of the text is lost between the label and the details.
    QString shown = dialog.TextLabel()->text();
    if (dialog.Details() != nullptr) shown += '\n' + dialog.Details()->toPlainText();
    for (const QString& line : QString(text).replace("\r\n", "\n").split('\n', Qt::SkipEmptyParts)) {
      if (!shown.contains(line.trimmed())) problems << start + "line lost: " + line.left(40);
    }
  }
};

// A stack made to stop at its last piece (a bar field no number can be read from).
QString BreakLastPiece(const ExampleProject& project) {
  const QString piece = project.Folder() + "/Pilastri/Dis/Pil3_3.pxf";
  QFile file(piece);
  file.open(QIODevice::ReadOnly);
  QList<QByteArray> lines = file.readAll().split('\n');
  file.close();
  lines[6] = "4x|2x16\r";
  file.open(QIODevice::WriteOnly | QIODevice::Truncate);
  file.write(lines.join('\n'));
  return piece;
}

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  file.open(QIODevice::ReadOnly);
  return file.readAll();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  file.open(QIODevice::WriteOnly | QIODevice::Truncate);
  file.write(bytes);
}

// A drawing of known geometry: a red line (0,0)-(100,0) on "MURI", a circle of radius 10
// about (50,50) and the text "P1" at (200,0).
DisplayList KnownList() {
  DisplayList list;
  list.AddSegment(1, ShapeColor{1, 0}, {0, 0}, {100, 0});
  list.AddArc(0, ShapeColor{3, 0}, ArcShape{{50, 50}, 10, 0, 360});
  TextShape text;
  text.position = {200, 0};
  text.height = 5;
  text.value = "P1";
  list.AddText(0, ShapeColor{7, 0}, text, Extents{{200, 0}, {210, 5}});
  return list;
}

}  // namespace

class DesktopUseTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TemporarySettings> settings_;

private slots:
  void init() { settings_ = std::make_unique<TemporarySettings>(); }

  void messages_show_their_whole_text_and_title_data() {
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("details");
    const QString deep = QDir::tempPath() + QString("/cartella_di_un_progetto_con_un_nome_lungo").repeated(4);
    QString list = "Attenzione: disegni salvati 2 su 40.\nNon salvate (resta il disegno precedente):";
    for (int i = 0; i < 38; ++i) list += QString("\nPilastrata_%1: %2/Pilastri/Dis/Pil%1_1.pxf, riga 7, campo 1: non è un numero").arg(i).arg(deep);
    QTest::newRow("batch question") << "Tessaro"
        << "Attenzione : \r\nil salvataggio in automatico sovrascriverà  i disegni esistenti.\r\nprocedere comunque?"
        << false;
    QTest::newRow("batch done, short text, long title") << "Dxf pilastri - generazione dei disegni di tutte le pilastrate"
                                                        << "Salvataggio correttamente effettuato." << false;
    QTest::newRow("stacks not written") << "Dxf pilastri" << list << true;
    QTest::newRow("start-up error") << "Tessaro" << "Errore caricamento visualizzatore pilastri!" << false;
    QTest::newRow("write error with an unbroken path") << "Tessaro"
        << "Impossibile scrivere il file\n" + deep + "/Disegni/Pilastrata_12.dxf\n\nPermission denied" << true;
    QTest::newRow("help, two long paragraphs") << "Motore DXF - Tessaro"
        << QString("La lettura e la scrittura dei file DXF si basano sul motore DXF di Tessaro. ").repeated(8) +
               "\n\nMaggiori informazioni: il file README.md." << false;
  }

  void messages_show_their_whole_text_and_title() {
    QFETCH(QString, title);
    QFETCH(QString, text);
    QFETCH(bool, details);
    CheckedMessages messages;
    messages.Tell(title, text, MessageIcon::Warning);
    messages.Ask(title, text, true);
    QCOMPARE(messages.problems, QStringList());
    MessageDialog dialog(nullptr, title, text, MessageIcon::Information, MessageDialog::Buttons::Ok);
    QCOMPARE(dialog.Details() != nullptr, details);
    if (details) QVERIFY(dialog.Details()->isReadOnly());
  }

  // The program's own messages, shown for real: start-up without a project, Help, the
  // batch with a long list of stacks it did not write, the partial save, the close.
  void every_message_of_the_program_is_whole() {
    ExampleProject project(true);
    BreakLastPiece(project);
    CheckedMessages messages;
    FakeFileDialogs files;
    FakePrintDialogs printing;
    QTemporaryDir program;
    {
      MainWindow alone(ShellSetup{QString(), program.path(), &messages, &files, &printing});
      QVERIFY(!alone.Start());
      alone.RunCommand(kCmdHelp);
      alone.OpenProject(project.Folder());  // usable after the start-up error
      QCOMPARE(alone.StackList()->count(), 4);
      alone.RunCommand(kCmdGenerateAll);
      alone.ChooseStack("3");
      alone.RunCommand(kCmdSaveDxf);
      alone.close();
    }
    QCOMPARE(messages.problems, QStringList());
    QVERIFY2(messages.log.size() >= 6, qPrintable(messages.log.join("\n--\n")));
  }

  void recent_lists_data() {
    QTest::addColumn<QStringList>("opened");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("newest first") << QStringList{"/a", "/b", "/c"} << QStringList{"/c", "/b", "/a"};
    QTest::newRow("an entry opened again moves up") << QStringList{"/a", "/b", "/a/"} << QStringList{"/a", "/b"};
    QTest::newRow("same file by another spelling") << QStringList{"/p/x.dxf", "/q", "/p/./y/../x.dxf"}
                                                   << QStringList{"/p/x.dxf", "/q"};
    QStringList many, last;
    for (int i = 0; i < 12; ++i) many << QString("/f%1").arg(i);
    for (int i = 11; i >= 4; --i) last << QString("/f%1").arg(i);
    QTest::newRow("at most eight") << many << last;
  }

  void recent_lists() {
    QFETCH(QStringList, opened);
    QFETCH(QStringList, expected);
    RecentList list(kRecentDxfKey);
    for (const QString& path : opened) list.Add(path);
    QCOMPARE(list.Entries(), expected);
  }

  // Where the dialogs start and what they propose, and the menus that remember.
  void dialogs_start_where_the_user_was() {
    ExampleProject project(true);
    Harness h(project.Folder());
    QVERIFY(h.w().ChooseStack("2"));
    h.files.answers = {QString()};
    h.w().RunCommand(kCmdSaveDxf);
    QCOMPARE(h.files.requests.back().initialFolder, project.DrawingsFolder());
    QCOMPARE(h.files.requests.back().fileName, QString("Pilastrata_2"));
    h.w().RunCommand(kCmdOpenDxf);  // nothing opened yet: the drawings folder
    QCOMPARE(h.files.requests.back().initialFolder, project.DrawingsFolder());

    // A file opened elsewhere: the next open starts there, and both lists remember.
    QTemporaryDir other;
    const QString file = other.path() + "/pianta.dxf";
    WriteDxfFile(h.w().CurrentDrawing(), ToPath(file));
    h.files.answers = {file};
    h.w().RunCommand(kCmdOpenDxf);
    h.files.answers = {QString()};
    h.w().RunCommand(kCmdOpenDxf);
    QCOMPARE(h.files.requests.back().initialFolder, other.path());
    QCOMPARE(h.w().RecentDxfMenu()->actions().value(0)->text(), QDir::toNativeSeparators(file));
    QCOMPARE(h.w().RecentProjectsMenu()->actions().value(0)->text(), QDir::toNativeSeparators(project.Folder()));

    // "Apri progetto..." on another project lists its stacks; its recent entry comes first.
    ExampleProject second(false);
    h.files.answers = {second.Folder()};
    h.w().RunCommand(kCmdOpenProject);
    QCOMPARE(h.files.requests.back().title, QString("Apri progetto"));
    QCOMPARE(h.w().State().projectFolder, second.Folder());
    QCOMPARE(h.w().StackList()->count(), 4);
    QCOMPARE(h.w().RecentProjectsMenu()->actions().size(), 2);
    h.w().RecentProjectsMenu()->actions().value(1)->trigger();  // back to the first
    QCOMPARE(h.w().State().projectFolder, project.Folder());
  }

  void dropping_a_folder_or_a_dxf_file_opens_it() {
    ExampleProject project(false);
    Harness h(QString{});
    h.w().show();
    QVERIFY(QTest::qWaitForWindowExposed(&h.w()));
    const QString file = project.Folder() + "/pianta.dxf";
    QVERIFY(h.w().ChooseStack("1") == false);
    for (const QString& path : {project.Folder(), file}) {
      if (path == file) {
        h.w().ChooseStack("1");
        WriteDxfFile(h.w().CurrentDrawing(), ToPath(file));
      }
      QMimeData data;
      data.setUrls({QUrl::fromLocalFile(path)});
      // Qt hands a drop to the widget that accepted the drag's entry.
      QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
      QCoreApplication::sendEvent(&h.w(), &enter);
      QVERIFY(enter.isAccepted());
      QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
      QCoreApplication::sendEvent(&h.w(), &drop);
    }
    QCOMPARE(h.w().State().projectFolder, project.Folder());
    QCOMPARE(h.w().windowTitle(), QString("Visualizzatore DXF -  pianta.dxf"));
  }

  // New and removed stacks show in the list; the stack on screen is drawn again when its
  // files change, once, after the last of several writes.
  void the_window_follows_the_stack_folder() {
    ExampleProject project(false);
    FakeMessages messages;
    FakeFileDialogs files;
    FakePrintDialogs printing;
    QTemporaryDir program;
    ShellSetup setup{project.Folder(), program.path(), &messages, &files, &printing};
    setup.watchSettleMs = 150;
    MainWindow w(setup);
    QVERIFY(w.Start());
    QVERIFY(w.ChooseStack("3"));
    const std::size_t whole = w.CurrentDrawing().EntityCount();
    QSignalSpy reports(w.Watch(), &FolderWatch::Changed);
    const QString stacks = project.Folder() + "/Pilastri";

    QVERIFY(QFile::copy(stacks + "/P1.pst", stacks + "/P7.pst"));
    QVERIFY(QFile::remove(stacks + "/P2.pst"));
    auto entries = [&w] {
      QStringList e;
      for (int i = 0; i < w.StackList()->count(); ++i) e << w.StackList()->itemText(i);
      return e;
    };
    QTRY_COMPARE(entries(), (QStringList{"Scegli pilastrata...", "1", "3", "7"}));
    QCOMPARE(w.StackList()->currentText(), QString("3"));  // the choice stays

    // A piece rewritten in two steps, the first leaving it half written.
    const QString piece = stacks + "/Dis/Pil3_2.pxf";
    const QByteArray bytes = ReadAll(piece);
    reports.clear();
    w.CurrentDrawing().Clear();
    WriteAll(piece, bytes.left(bytes.size() / 2));
    QTest::qWait(80);
    WriteAll(piece, bytes);
    QTRY_COMPARE(reports.size(), 1);
    QCOMPARE(w.CurrentDrawing().EntityCount(), whole);
    QCOMPARE(w.ProblemText()->text(), QString());
    QCOMPARE(w.statusBar()->currentMessage(), QString("Pilastrata 3 ridisegnata: i suoi file sono cambiati"));
    QTest::qWait(400);
    QCOMPARE(reports.size(), 1);  // read once

    // F5 reads it again by hand.
    w.CurrentDrawing().Clear();
    w.Action(kCmdReload)->trigger();
    QCOMPARE(w.CurrentDrawing().EntityCount(), whole);
  }

  // "Salva dxf..." of a stack whose load stopped asks first; the status bar names the
  // written file; the problem, cut short in the status bar, opens whole on a click.
  void saving_a_partial_stack_asks_first() {
    ExampleProject project(true);
    const QString piece = BreakLastPiece(project);
    Harness h(project.Folder());
    h.w().resize(500, 600);
    h.w().show();
    QVERIFY(QTest::qWaitForWindowExposed(&h.w()));
    h.w().ChooseStack("3");
    const QString problem = h.w().ProblemText()->text();
    QVERIFY(problem.startsWith("Pilastrata 3 incompleta: " + piece));

    h.messages.answers = {Answer::No};
    h.w().RunCommand(kCmdSaveDxf);
    QVERIFY(h.files.requests.empty());
    QVERIFY(h.messages.log.last().startsWith("Ask Salva File DXF: Pilastrata_3: " + piece + ", riga 7"));
    QVERIFY(h.messages.log.last().endsWith("Salvare comunque il disegno parziale?"));

    const QString target = project.DrawingsFolder() + "/parziale.dxf";
    h.files.answers = {target};
    h.w().RunCommand(kCmdSaveDxf);
    QVERIFY(QFileInfo::exists(target));
    QCOMPARE(h.w().statusBar()->currentMessage(), "Scritto: " + QDir::toNativeSeparators(target));

    auto* label = static_cast<ElidedLabel*>(h.w().ProblemText());
    QVERIFY(label->ShownText().endsWith(QChar(0x2026)));
    QVERIFY(label->ShownText().size() < problem.size());
    QTest::mouseClick(label, Qt::LeftButton);
    QCOMPARE(h.messages.log.last(), "Warning Tessaro: " + problem);
  }

  void command_keys_data() {
    QTest::addColumn<int>("command");
    QTest::addColumn<QKeySequence>("keys");
    QTest::newRow("zoom extents") << int(kCmdZoomExtents) << QKeySequence(Qt::Key_Home);
    QTest::newRow("zoom window") << int(kCmdZoomWindow) << QKeySequence(Qt::CTRL | Qt::Key_W);
    QTest::newRow("zoom previous") << int(kCmdZoomPrevious) << QKeySequence(Qt::CTRL | Qt::Key_Z);
    QTest::newRow("zoom in") << int(kCmdZoomIn) << QKeySequence(Qt::CTRL | Qt::Key_Plus);
    QTest::newRow("zoom out") << int(kCmdZoomOut) << QKeySequence(Qt::CTRL | Qt::Key_Minus);
    QTest::newRow("pan") << int(kCmdPan) << QKeySequence(Qt::CTRL | Qt::Key_G);
    QTest::newRow("print") << int(kCmdPrint) << QKeySequence(QKeySequence::Print);
    QTest::newRow("export PDF") << int(kCmdExportPdf) << QKeySequence(Qt::CTRL | Qt::Key_E);
    QTest::newRow("reload") << int(kCmdReload) << QKeySequence(Qt::Key_F5);
    QTest::newRow("exit") << int(kCmdExit) << QKeySequence(Qt::CTRL | Qt::Key_Q);
    QTest::newRow("open project") << int(kCmdOpenProject) << QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O);
    QTest::newRow("measure") << int(kCmdMeasure) << QKeySequence(Qt::CTRL | Qt::Key_M);
  }

  // Each key is bound to its command alone, and the command is in a menu that shows it.
  void command_keys() {
    QFETCH(int, command);
    QFETCH(QKeySequence, keys);
    ExampleProject project(false);
    Harness h(project.Folder());
    QStringList bound;
    for (QAction* action : h.w().findChildren<QAction*>()) {
      if (action->shortcuts().contains(keys)) bound << action->text();
    }
    QCOMPARE(bound, QStringList{h.w().Action(command)->text()});
    const auto menus = h.w().Action(command)->associatedObjects();
    QVERIFY(std::any_of(menus.begin(), menus.end(), [](QObject* o) { return qobject_cast<QMenu*>(o) != nullptr; }));
  }

  // The zoom window by its key: a prompt for each corner and a band while the second is
  // chosen; Escape puts it to rest.
  void two_click_tools_prompt_each_step() {
    ExampleProject project(false);
    Harness h(project.Folder());
    h.w().show();
    QVERIFY(QTest::qWaitForWindowExposed(&h.w()));
    h.w().ChooseStack("1");
    QTest::keySequence(&h.w(), QKeySequence(Qt::CTRL | Qt::Key_W));
    QCOMPARE(h.w().statusBar()->currentMessage(), QString("Zoom finestra: clicca il primo angolo (Esc annulla)"));
    DrawingView& view = *h.w().View();
    QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(50, 50));
    QCOMPARE(h.w().statusBar()->currentMessage(), QString("Zoom finestra: clicca il secondo angolo (Esc annulla)"));
    QTest::mouseMove(&view, QPoint(150, 120));
    const QImage band = view.grab().toImage();
    QCOMPARE(band.pixelColor(100, 50), QColor(0, 90, 200));  // the band's outline
    QTest::keyClick(&h.w(), Qt::Key_Escape);
    QCOMPARE(h.w().statusBar()->currentMessage(), QString());
  }

  void pick_and_snap_on_known_geometry_data() {
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    QTest::addColumn<int>("picked");  // shape number, -1 none
    QTest::addColumn<QString>("snap");  // "kind x y", "" none
    QTest::newRow("on the line, near its middle") << 49.0 << 1.0 << 0 << "1 50 0";
    QTest::newRow("near the line's end") << 1.5 << -1.0 << 0 << "0 0 0";
    QTest::newRow("on the circle") << 60.5 << 50.0 << 1 << "";
    QTest::newRow("circle centre: snaps, picks nothing") << 51.0 << 49.0 << -1 << "2 50 50";
    QTest::newRow("inside the text's box") << 205.0 << 2.0 << 2 << "";
    QTest::newRow("at the text's insertion") << 199.0 << 0.5 << 2 << "3 200 0";
    QTest::newRow("far from all") << 150.0 << 150.0 << -1 << "";
  }

  void pick_and_snap_on_known_geometry() {
    QFETCH(double, x);
    QFETCH(double, y);
    QFETCH(int, picked);
    QFETCH(QString, snap);
    const DisplayList list = KnownList();
    const render::ShapeIndex index(list.Shapes());
    const auto shape = render::PickShape(list, index, {}, {x, y}, 2.0);
    QCOMPARE(shape ? int(*shape) : -1, picked);
    const auto point = render::Snap(list, index, {}, {x, y}, 2.0);
    QCOMPARE(point ? QString("%1 %2 %3").arg(int(point->kind)).arg(point->at.x).arg(point->at.y) : QString(), snap);
  }

  void measure_data() {
    QTest::addColumn<QPointF>("to");
    QTest::addColumn<QString>("expected");
    QTest::newRow("diagonal") << QPointF(100, 100) << "Distanza 141.42   dx 100.00   dy 100.00   angolo 45.00°";
    QTest::newRow("backwards") << QPointF(-30, 0) << "Distanza 30.00   dx -30.00   dy 0.00   angolo 180.00°";
    QTest::newRow("down") << QPointF(0, -5) << "Distanza 5.00   dx 0.00   dy -5.00   angolo 270.00°";
  }

  void measure() {
    QFETCH(QPointF, to);
    QFETCH(QString, expected);
    QCOMPARE(view::DescribeMeasurement(render::Measure({0, 0}, {to.x(), to.y()})), expected);
  }

  // In the window: a click picks and describes; "Misura" snaps to the line's ends.
  void pick_and_measure_in_the_window() {
    QTemporaryDir folder;
    const QString file = folder.path() + "/nota.dxf";
    {
      Drawing drawing;
      const LayerIndex walls = drawing.AddLayer("MURI");
      drawing.AddLineOn(walls, {{0, 0}, {100, 0}}, 1);
      drawing.AddText(TextGeometry{{0, 40}, 8, "P1"}, 2);
      WriteDxfFile(drawing, ToPath(file));
    }
    Harness h(QString{});
    h.w().show();
    QVERIFY(QTest::qWaitForWindowExposed(&h.w()));
    h.w().OpenDxfFile(file);
    DrawingView& view = *h.w().View();
    auto click = [&view](QPointF at) { QTest::mouseClick(&view, Qt::LeftButton, {}, view.ToPixel(at).toPoint()); };
    click({30, 0});
    QCOMPARE(h.w().PickInfo()->text().split('\n').mid(0, 3),
             (QStringList{"Tipo: Linea", "Layer: MURI", "Colore: 1 (rosso)"}));
    QVERIFY(view.Highlight().has_value());
    click({4, 43});
    QVERIFY(h.w().PickInfo()->text().contains("Valore: P1"));

    h.w().RunCommand(kCmdMeasure);
    QCOMPARE(h.w().statusBar()->currentMessage(), QString("Misura: clicca il primo punto (Esc termina)"));
    click(view.ToDrawing(view.ToPixel({0, 0}) + QPointF(2, -2)));
    click(view.ToDrawing(view.ToPixel({100, 0}) + QPointF(-2, 2)));
    QCOMPARE(h.w().statusBar()->currentMessage(), QString("Distanza 100.00   dx 100.00   dy 0.00   angolo 0.00°"));
  }

  // A large file is read on a thread of its own: Escape stops the read and leaves the
  // drawing shown as it was; a read to the end shows the file, whole at once.
  void large_file_opens_while_the_window_goes_on() {
    QTemporaryDir folder;
    const QString file = folder.path() + "/grande.dxf";
    {
      Drawing drawing;
      for (int i = 0; i < 90000; ++i) {
        const double x = i % 300, y = i / 300;
        drawing.AddLine({{x, y}, {x + 0.5, y + 0.5}}, 1 + i % 7);
      }
      WriteDxfFile(drawing, ToPath(file));
    }
    QVERIFY(QFileInfo(file).size() >= 8 * 1024 * 1024);
    Harness h(QString{});
    h.w().show();
    QVERIFY(QTest::qWaitForWindowExposed(&h.w()));
    const auto* status = h.w().findChild<QLabel*>("sbStatusBarPanel2");
    h.w().OpenDxfFile(file);
    QVERIFY(h.w().DxfLoading());
    QTest::keyClick(&h.w(), Qt::Key_Escape);
    QVERIFY(!h.w().DxfLoading());
    QCOMPARE(status->text(), QString("Apertura di grande.dxf annullata"));
    QCOMPARE(h.w().CurrentDrawing().EntityCount(), 0u);

    h.w().OpenDxfFile(file);
    QTRY_VERIFY_WITH_TIMEOUT(!h.w().DxfLoading(), 60000);
    QCOMPARE(h.w().CurrentDrawing().EntityCount(), 90000u);
    QVERIFY(status->text().startsWith("grande.dxf: Letti 90000 oggetti"));
    DrawingView& view = *h.w().View();
    view.grab();
    QVERIFY(view.FrameExact());  // the frame made with the drawing's overview
  }

  void placement_kept_on_the_screen_data() {
    QTest::addColumn<QRect>("saved");
    QTest::addColumn<QRect>("expected");
    const QRect screen(0, 0, 720, 450);  // 1440x900 at scale factor 2
    QTest::newRow("twice the screen") << QRect(40, 30, 1280, 800) << screen;
    QTest::newRow("fits: unchanged") << QRect(10, 20, 600, 400) << QRect(10, 20, 600, 400);
    QTest::newRow("off the right edge") << QRect(600, 20, 400, 300) << QRect(320, 20, 400, 300);
    QTest::newRow("above and left") << QRect(-50, -80, 300, 200) << QRect(0, 0, 300, 200);
  }

  void placement_kept_on_the_screen() {
    QFETCH(QRect, saved);
    QFETCH(QRect, expected);
    QCOMPARE(KeepOnScreen(saved, QRect(0, 0, 720, 450)), expected);
  }

  void colours_read_on_either_background_data() {
    QTest::addColumn<int>("aci");
    QTest::addColumn<bool>("dark");
    QTest::addColumn<QColor>("expected");
    QTest::newRow("7 black on white") << 7 << false << QColor(0, 0, 0);
    QTest::newRow("7 white on dark") << 7 << true << QColor(255, 255, 255);
    QTest::newRow("yellow darkened on white") << 2 << false << QColor(169, 169, 0);
    QTest::newRow("yellow as it is on dark") << 2 << true << QColor(255, 255, 0);
    QTest::newRow("red as it is") << 1 << false << QColor(255, 0, 0);
    QTest::newRow("light grey darkened") << 9 << false << QColor(150, 150, 150);
  }

  void colours_read_on_either_background() {
    QFETCH(int, aci);
    QFETCH(bool, dark);
    QFETCH(QColor, expected);
    const auto bg = dark ? render::Background::Dark : render::Background::White;
    QCOMPARE(QColor(render::ScreenRgb(render::AciColor(aci).rgb(), bg)), expected);
  }
};

QTEST_MAIN(DesktopUseTest)
#include "desktop_use_test.moc"

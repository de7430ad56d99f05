// The desktop program in daily use: messages split between label and details, projects and files opened from the
// window and remembered, the stack folder followed while it is rewritten, the question
// before saving a partial stack, the command keys, picking and measuring, and colours that
// read on either background.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
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
#include "shell_test_support.h"

using namespace tessaro;
using namespace tessaro::shell;
using namespace tessaro::shell::testing;

class DesktopUseTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TemporarySettings> settings_;

private slots:
  void init() { settings_ = std::make_unique<TemporarySettings>(); }

  // Short texts stay whole in the label; a long list keeps its lines up to the first one
  // ending in ':' there and gives the rest to a read-only details area; a first line too
  // wide to wrap goes to the details whole, its first word above. One pixel per letter here.
  void messages_split_between_label_and_details() {
    QString list = "Attenzione: disegni salvati 2 su 40.\nNon salvate (resta il disegno precedente):";
    for (int i = 0; i < 38; ++i) list += QString("\nPilastrata_%1: riga 7, campo 1: non è un numero").arg(i);
    const QString path = "/cartella" + QString("_lunga").repeated(20) + "/Pilastrata_12.dxf";
    const std::tuple<QString, QString, QString> cases[] = {  // text, label, details
        {"Attenzione : \r\nil salvataggio in automatico sovrascriverà  i disegni esistenti.\r\nprocedere comunque?",
         "Attenzione : \nil salvataggio in automatico sovrascriverà  i disegni esistenti.\nprocedere comunque?", ""},
        {list, list.section('\n', 0, 1), list.section('\n', 2)},
        {"Impossibile scrivere il file\n" + path + "\n\nPermission denied", "Impossibile scrivere il file",
         path + "\n\nPermission denied"},
        {"Apri " + path, "Apri", "Apri " + path}};
    for (const auto& [text, label, details] : cases) {
      const MessageParts parts = SplitMessage(text, 80, [](const QString& s) { return int(s.size()); });
      QCOMPARE(parts.summary, label);
      QCOMPARE(parts.details, details);
    }
    MessageDialog dialog(nullptr, "Dxf pilastri", list, MessageIcon::Warning, MessageDialog::Buttons::Ok);
    QVERIFY(dialog.Details() != nullptr && dialog.Details()->isReadOnly());
    QCOMPARE(dialog.TextLabel()->text() + '\n' + dialog.Details()->toPlainText(), list);
  }

  // Where the dialogs start and what they propose, what an open replaces, and the menus
  // that remember.
  void dialogs_start_where_the_user_was() {
    ExampleProject project(false);
    Harness h(project.Folder());
    QVERIFY(h.w().ChooseStack("2"));
    const std::size_t drawn = h.w().CurrentDrawing().EntityCount();
    QTemporaryDir other;
    const QString file = other.path() + "/pianta.dxf";
    h.w().RunCommand(kCmdOpenDxf);  // nothing opened yet, no "Disegni" folder: the project folder
    QCOMPARE(h.files.requests.back().initialFolder, project.Folder());
    QVERIFY(QDir().mkpath(project.DrawingsFolder()));
    h.files.answers = {file};
    h.w().RunCommand(kCmdSaveDxf);
    const FileDialogRequest save = h.files.requests.back();
    QCOMPARE(QStringList({save.title, save.fileName, save.initialFolder, save.filter, save.defaultSuffix}),
             QStringList({"Salva File DXF", "Pilastrata_2", project.DrawingsFolder(), "DXF File (*.DXF *.dxf);;All (*.*)",
                          "dxf"}));

    // A file opened elsewhere replaces the drawing, the stack list has no choice, the caption
    // names the file, the save proposes no name, the next open starts there, both lists remember.
    h.w().CurrentDrawing().Clear();
    h.files.answers = {file};
    h.w().RunCommand(kCmdOpenDxf);
    QCOMPARE(h.files.requests.back().title + h.files.requests.back().fileName, QStringLiteral("Apri File DXF"));
    QCOMPARE(h.w().CurrentDrawing().EntityCount(), drawn);
    QCOMPARE(h.w().StackList()->currentIndex(), -1);
    QCOMPARE(h.w().LayerList()->itemText(1), QStringLiteral("Sezioni  (ON)"));
    QCOMPARE(h.w().windowTitle(), QStringLiteral("Visualizzatore DXF -  pianta.dxf"));
    h.w().RunCommand(kCmdSaveDxf);
    QCOMPARE(h.files.requests.back().fileName, QString());
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
    const QByteArray bytes = ReadFile(piece);
    reports.clear();
    w.CurrentDrawing().Clear();
    WriteFile(piece, bytes.left(bytes.size() / 2));
    QTest::qWait(80);
    WriteFile(piece, bytes);
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
    const QString piece = BreakLastPiece(project.Folder(), "4x|2x16");
    Harness h(project.Folder());
    h.w().resize(500, 600);
    h.w().show();
    QVERIFY(QTest::qWaitForWindowExposed(&h.w()));
    h.w().ChooseStack("3");
    const QString problem = h.w().ProblemText()->text();
    QVERIFY(problem.startsWith("Pilastrata 3 incompleta: " + QDir::toNativeSeparators(piece)));

    h.messages.answers = {Answer::No};
    h.w().RunCommand(kCmdSaveDxf);
    QVERIFY(h.files.requests.empty());
    QVERIFY(h.messages.log.last().startsWith("Ask Salva File DXF: Pilastrata_3: " + QDir::toNativeSeparators(piece) + ", riga 7"));
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

  // No key is bound to two commands, and a command with a key is in a menu that shows it.
  void command_keys() {
    ExampleProject project(false);
    Harness h(project.Folder());
    QMap<QString, QString> bound;
    for (QAction* action : h.w().findChildren<QAction*>()) {
      for (const QKeySequence& keys : action->shortcuts()) {
        QVERIFY2(!bound.contains(keys.toString()), qPrintable(keys.toString() + ": " + bound[keys.toString()]));
        bound[keys.toString()] = action->text();
        const auto menus = action->associatedObjects();
        QVERIFY2(std::any_of(menus.begin(), menus.end(), [](QObject* o) { return qobject_cast<QMenu*>(o); }),
                 qPrintable(action->text()));
      }
    }
    QVERIFY(bound.size() >= 12);
  }

  // The zoom window by its key: a prompt for each corner and a band while the second is
  // chosen; Escape puts it to rest.
  void two_click_tools_prompt_each_step() {
    ExampleProject project(false);
    Harness h(project.Folder(), true);
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

  // A red line (0,0)-(100,0), a circle of radius 10 about (50,50) and the text "P1" at (200,0).
  void pick_and_snap_on_known_geometry() {
    DisplayList list;
    list.AddSegment(1, ShapeColor{1, 0}, {0, 0}, {100, 0});
    list.AddArc(0, ShapeColor{3, 0}, ArcShape{{50, 50}, 10, 0, 360});
    TextShape text;
    text.position = {200, 0};
    text.height = 5;
    text.value = "P1";
    list.AddText(0, ShapeColor{7, 0}, text, Extents{{200, 0}, {210, 5}});
    const render::ShapeIndex index(list.Shapes());
    const std::tuple<double, double, int, QString> cases[] = {  // x, y, shape picked (-1 none), snap "kind x y"
        {49, 1, 0, "1 50 0"},   {1.5, -1, 0, "0 0 0"},  // on the line near its middle, near its end
        {60.5, 50, 1, ""},      {51, 49, -1, "2 50 50"},  // on the circle; its centre snaps, picks nothing
        {205, 2, 2, ""},        {199, 0.5, 2, "3 200 0"},  // inside the text's box, at its insertion
        {150, 150, -1, ""}};
    for (const auto& [x, y, picked, snap] : cases) {
      const auto shape = render::PickShape(list, index, {}, {x, y}, 2.0);
      QCOMPARE(shape ? int(*shape) : -1, picked);
      const auto point = render::Snap(list, index, {}, {x, y}, 2.0);
      QCOMPARE(point ? QString("%1 %2 %3").arg(int(point->kind)).arg(point->at.x).arg(point->at.y) : QString(), snap);
    }
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
    Harness h(QString{}, true);
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
    QCOMPARE(view::DescribeMeasurement(render::Measure({0, 0}, {-30, 0})), "Distanza 30.00   dx -30.00   dy 0.00   angolo 180.00°");
    QCOMPARE(view::DescribeMeasurement(render::Measure({0, 0}, {0, -5})), "Distanza 5.00   dx 0.00   dy -5.00   angolo 270.00°");
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

  // 7 black on white and white on dark, yellow and light grey darkened on white only.
  void colours_read_on_either_background() {
    const std::tuple<int, render::Background, QColor> cases[] = {
        {7, render::Background::White, QColor(0, 0, 0)},     {7, render::Background::Dark, QColor(255, 255, 255)},
        {2, render::Background::White, QColor(169, 169, 0)}, {2, render::Background::Dark, QColor(255, 255, 0)},
        {1, render::Background::White, QColor(255, 0, 0)},   {9, render::Background::White, QColor(150, 150, 150)}};
    for (const auto& [aci, background, expected] : cases) {
      QCOMPARE(QColor(render::ScreenRgb(render::AciColor(aci).rgb(), background)), expected);
    }
  }
};

QTEST_MAIN(DesktopUseTest)
#include "desktop_use_test.moc"

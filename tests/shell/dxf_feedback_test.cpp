// The DXF feedback of the window through the dialog seam: the status-bar line after "Apri
// dxf" (counts by type, or why a file could not be read, the drawing then unchanged), and
// the question before "Salva dxf..." writes a drawing that would lose entities (No writes
// nothing, Yes writes the rest).
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

#include "dxf/file.h"
#include "shell/dxf_feedback.h"
#include "shell_test_support.h"

using namespace tessaro;
using namespace tessaro::shell;
using namespace tessaro::shell::testing;

namespace {

// A DXF file from (group code, value) pairs.
void WriteGroups(const QString& path, std::initializer_list<std::pair<int, const char*>> groups) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  for (const auto& [code, value] : groups) file.write(QByteArray::number(code) + "\r\n" + value + "\r\n");
}

// Two lines and a circle that every reader draws, three solids of a modeller (ACIS bodies)
// that none does, and a line in paper space.
void WriteMixedFile(const QString& path) {
  WriteGroups(path, {{0, "SECTION"}, {2, "ENTITIES"},
                     {0, "LINE"}, {8, "0"}, {10, "0"}, {20, "0"}, {11, "10"}, {21, "0"},
                     {0, "3DSOLID"}, {8, "0"}, {100, "AcDbModelerGeometry"}, {70, "1"},
                     {0, "LINE"}, {8, "0"}, {10, "0"}, {20, "0"}, {11, "0"}, {21, "10"},
                     {0, "CIRCLE"}, {8, "0"}, {10, "5"}, {20, "5"}, {40, "2"},
                     {0, "3DSOLID"}, {8, "0"}, {100, "AcDbModelerGeometry"}, {70, "1"},
                     {0, "REGION"}, {8, "0"}, {100, "AcDbModelerGeometry"}, {70, "1"},
                     {0, "LINE"}, {67, "1"}, {8, "0"}, {10, "0"}, {20, "0"}, {11, "5"}, {21, "5"},
                     {0, "ENDSEC"}, {0, "EOF"}});
}

}  // namespace

class DxfFeedbackTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TemporarySettings> settings_;
  std::unique_ptr<ExampleProject> project_;
  std::unique_ptr<Harness> harness_;
  QTemporaryDir files_;

  Harness& Fresh() {
    harness_ = std::make_unique<Harness>(project_->Folder());
    return *harness_;
  }
  QString Path(const QString& name) const { return files_.path() + QLatin1Char('/') + name; }

private slots:
  void initTestCase() {
    settings_ = std::make_unique<TemporarySettings>();
    project_ = std::make_unique<ExampleProject>(true);
  }
  void cleanup() { harness_.reset(); }

  void open_says_what_was_drawn_and_skipped_by_type() {
    Harness& h = Fresh();
    WriteMixedFile(Path("misto.dxf"));
    h.files.answers = {Path("misto.dxf")};
    h.w().RunCommand(kCmdOpenDxf);
    QCOMPARE(h.w().DxfStatusText()->text(),
             QStringLiteral("misto.dxf: Letti 3 oggetti (LINE 2, CIRCLE 1); non disegnati: 3DSOLID 2, REGION 1; "
                            "spazio carta ignorato: 1"));
    QCOMPARE(h.w().windowTitle(), QStringLiteral("Visualizzatore DXF -  misto.dxf"));
    QVERIFY(h.messages.log.isEmpty());  // a line in the status bar, no message box

    // A damaged file is read as far as it is whole, and the line says what was left out, where.
    WriteGroups(Path("guasto.dxf"), {{0, "SECTION"}, {2, "ENTITIES"}, {0, "LINE"}, {10, "1,5"},
                                     {0, "CIRCLE"}, {10, "5"}, {20, "5"}, {40, "2"}, {0, "ENDSEC"}});
    h.files.answers = {Path("guasto.dxf")};
    h.w().RunCommand(kCmdOpenDxf);
    QCOMPARE(h.w().DxfStatusText()->text(),
             QStringLiteral("guasto.dxf: Letti 1 oggetti (CIRCLE 1); non disegnati: LINE 1; oggetti con dati non "
                            "validi saltati: 1; riga 8, codice di gruppo 10: \"1,5\" non è un numero: oggetto LINE "
                            "saltato; riga 18: il file finisce prima di EOF"));
    // A line longer than its room is cut with "..." and shown whole when clicked.
    QTest::mouseClick(h.w().DxfStatusText(), Qt::LeftButton);
    QCOMPARE(h.messages.log.takeLast(), "Info Tessaro: " + h.w().DxfStatusText()->text());

    // Drawing a stack replaces the drawing: the line goes, and a drawing that loses nothing
    // is saved without a question.
    QVERIFY(h.w().ChooseStack(QStringLiteral("2")));
    QCOMPARE(h.w().DxfStatusText()->text(), QString());
    h.files.answers = {Path("pilastrata.dxf")};
    h.w().RunCommand(kCmdSaveDxf);
    QVERIFY(h.messages.log.isEmpty() && QFileInfo::exists(Path("pilastrata.dxf")));
  }

  void a_file_that_cannot_be_read_says_why_and_changes_nothing() {
    const std::tuple<QString, QByteArray, QString> cases[] = {  // file, its bytes (none: missing), the status line
        {"manca.dxf", "", "Impossibile aprire manca.dxf: il file non esiste"},
        {"testo.dxf", "questo non è un disegno\r\n",
         "Impossibile aprire testo.dxf: riga 1: \"questo non è un disegno\" non è un codice di gruppo: non è un file DXF"},
        {"tronco.dxf", QByteArray("AutoCAD Binary DXF\r\n\x1a\0\0", 23),
         "Impossibile aprire tronco.dxf: byte 23: il file finisce prima di EOF"},
        {"cartella.dxf", "", "Impossibile aprire cartella.dxf: è una cartella"}};
    QVERIFY(QDir().mkpath(Path("cartella.dxf")));
    for (const auto& [name, content, expected] : cases) {
      Harness& h = Fresh();
      QVERIFY(h.w().ChooseStack(QStringLiteral("2")));
      const QString caption = h.w().windowTitle();
      const std::size_t entities = h.w().CurrentDrawing().EntityCount();
      if (!content.isEmpty()) WriteFile(Path(name), content);
      h.files.answers = {Path(name)};
      h.w().RunCommand(kCmdOpenDxf);
      QVERIFY2(h.w().DxfStatusText()->text().startsWith(expected), qPrintable(h.w().DxfStatusText()->text()));
      QCOMPARE(h.w().windowTitle(), caption);
      QCOMPARE(h.w().CurrentDrawing().EntityCount(), entities);
    }
  }

  // No writes nothing, Yes writes the rest.
  void save_asks_before_losing_what_was_read() {
    for (const Answer answer : {Answer::No, Answer::Yes}) {
      Harness& h = Fresh();
      WriteMixedFile(Path("misto.dxf"));
      const QString target = Path(QStringLiteral("salvato_%1.dxf").arg(int(answer)));
      h.files.answers = {Path("misto.dxf"), target};
      h.w().RunCommand(kCmdOpenDxf);
      h.messages.answers = {answer};
      h.w().RunCommand(kCmdSaveDxf);
      QCOMPARE(h.messages.log, QStringList{QStringLiteral(
                                   "Ask Salva File DXF: Il file DXF non potrà contenere 4 entità del disegno letto, che "
                                   "andranno perse:\r\n3DSOLID 2, REGION 1, spazio carta 1.\r\nContinuare?")});
      QCOMPARE(QFileInfo::exists(target), answer == Answer::Yes);
      Drawing reread;
      if (answer == Answer::Yes) ReadDxfFile(reread, ToPath(target));
      QCOMPARE(reread.EntityCount(), std::size_t{answer == Answer::Yes ? 3u : 0u});
    }
  }

  // What the writer leaves out counts too, with what the reader skipped, by type.
  void losses_add_what_the_writer_leaves_out() {
    Drawing d;
    const EntityStyle style{d.AddLayer("0"), 256, std::nullopt};
    d.Add(style, LeaderGeometry{.vertices = {{0, 0}}});
    d.Add(style, LineGeometry{{0, 0}, {1, 1}});
    const EntityCounts losses = DxfSaveLosses({{"LEADER", 2}, {"MLINE", 1}}, d);
    QCOMPARE(losses, (EntityCounts{{"LEADER", 3}, {"MLINE", 1}}));
    QCOMPARE(DxfSaveQuestion(losses), QStringLiteral("Il file DXF non potrà contenere 4 entità del disegno letto, "
                                                     "che andranno perse:\r\nLEADER 3, MLINE 1.\r\nContinuare?"));
    QCOMPARE(DxfSaveQuestion({}), QString());
  }
};

QTEST_MAIN(DxfFeedbackTest)
#include "dxf_feedback_test.moc"

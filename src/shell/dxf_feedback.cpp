// The texts of the DXF feedback: counts by type, and the reasons a file cannot be read.
#include "shell/dxf_feedback.h"

#include <algorithm>

#include "base/problem.h"
#include "dxf_write/writer.h"
#include "shell/problem_words.h"

namespace tessaro::shell {

namespace {

// How many of a read's problems the status line names; the rest are counted.
constexpr std::size_t kProblemsNamed = 3;

QString Utf8(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// A problem of the file the line already names: where in it, and what.
QString InFile(Problem problem) {
  problem.file.clear();
  return ItalianProblem(problem);
}

}  // namespace

QString DxfReadSummary(const QString& fileName, const DxfReadReport& report, const std::vector<Problem>& drawn) {
  QString out = QStringLiteral("Letti %1 oggetti").arg(report.entitiesRead);
  if (!report.drawnTypes.empty()) out += QStringLiteral(" (%1)").arg(Utf8(DxfReadReport::CountList(report.drawnTypes)));
  if (!report.skippedTypes.empty()) {
    out += QStringLiteral("; non disegnati: ") + Utf8(DxfReadReport::CountList(report.skippedTypes));
  }
  if (report.paperSpaceSkipped != 0) out += QStringLiteral("; spazio carta ignorato: %1").arg(report.paperSpaceSkipped);
  if (report.insertCycles != 0) out += QStringLiteral("; blocchi ricorsivi non disegnati: %1").arg(report.insertCycles);
  if (report.entitiesLeftOut != 0) {
    out += QStringLiteral("; oggetti con dati non validi saltati: %1").arg(report.entitiesLeftOut);
  }
  // What was worked around, and where: the first few, then how many more.
  std::vector<Problem> all = report.problems;
  all.insert(all.end(), drawn.begin(), drawn.end());
  for (std::size_t i = 0; i < std::min(all.size(), kProblemsNamed); ++i) out += QStringLiteral("; ") + InFile(all[i]);
  if (all.size() > kProblemsNamed) out += QStringLiteral("; altri %1 avvisi").arg(all.size() - kProblemsNamed);
  const std::string release = report.Release();
  if (!report.version.empty()) out += QStringLiteral("; DXF ") + Utf8(release.empty() ? report.version : release);
  if (report.binary) out += report.version.empty() ? QStringLiteral("; DXF binario") : QStringLiteral(" binario");
  return fileName + QStringLiteral(": ") + out;
}

QString DxfReadFailure(const QString& fileName, const std::exception& error) {
  const QString lead = QStringLiteral("Impossibile aprire %1: ").arg(fileName);
  if (const auto* problem = dynamic_cast<const ProblemError*>(&error)) {
    const Problem& p = problem->problem();
    if (p.kind == ProblemKind::FileNotFound) return lead + QStringLiteral("il file non esiste");
    if (p.kind == ProblemKind::FileUnreadable && p.detail == "it is a folder") return lead + QStringLiteral("è una cartella");
    if (p.kind == ProblemKind::FileUnreadable) return lead + QStringLiteral("il file non si può leggere");
    return lead + InFile(p);
  }
  return lead + QStringLiteral("errore imprevisto (%1)").arg(QString::fromUtf8(error.what()));
}

EntityCounts DxfReadLosses(const DxfReadReport& report) {
  EntityCounts losses = report.skippedTypes;
  if (report.paperSpaceSkipped != 0) losses[kPaperSpace] += report.paperSpaceSkipped;
  // Meshes go into the file as the lines of their edges.
  for (const auto& [type, count] : report.keptAsEdges) losses[type + " (scritte come linee)"] += count;
  return losses;
}

EntityCounts DxfSaveLosses(const EntityCounts& lostWhenRead, const Drawing& drawing) {
  EntityCounts losses = lostWhenRead;
  for (const auto& [type, count] : EntitiesLeftOut(drawing)) losses[type] += count;
  return losses;
}

QString DxfSaveQuestion(const EntityCounts& losses) {
  std::size_t total = 0;
  for (const auto& [type, count] : losses) total += count;
  if (total == 0) return {};
  return QStringLiteral(
             "Il file DXF non potrà contenere %1 entità del disegno letto, che andranno perse:\r\n%2.\r\nContinuare?")
      .arg(total)
      .arg(QString::fromStdString(DxfReadReport::CountList(losses)));
}

}  // namespace tessaro::shell

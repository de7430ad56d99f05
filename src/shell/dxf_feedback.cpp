// The texts of the DXF feedback: counts by type, and the reasons a file cannot be read.
#include "shell/dxf_feedback.h"

#include "dxf_write/writer.h"
#include "base/errors.h"

namespace tessaro::shell {

QString DxfReadSummary(const QString& fileName, const DxfReadReport& report) {
  const auto text = [](const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); };
  QString out = QStringLiteral("Letti %1 oggetti").arg(report.entitiesRead);
  if (!report.drawnTypes.empty()) out += QStringLiteral(" (%1)").arg(text(DxfReadReport::CountList(report.drawnTypes)));
  if (!report.skippedTypes.empty()) {
    out += QStringLiteral("; non disegnati: ") + text(DxfReadReport::CountList(report.skippedTypes));
  }
  if (report.paperSpaceSkipped != 0) out += QStringLiteral("; spazio carta ignorato: %1").arg(report.paperSpaceSkipped);
  if (report.insertCycles != 0) out += QStringLiteral("; blocchi ricorsivi non disegnati: %1").arg(report.insertCycles);
  const std::string release = report.Release();
  if (!report.version.empty()) out += QStringLiteral("; DXF ") + text(release.empty() ? report.version : release);
  if (report.binary) out += report.version.empty() ? QStringLiteral("; DXF binario") : QStringLiteral(" binario");
  return fileName + QStringLiteral(": ") + out;
}

namespace {

// The engine's reason without what the status line already says (which file, and that it
// could not be read): "line 3 should hold a group code, not 'abc'".
QString Reason(const QString& message, const QString& after) {
  const qsizetype at = message.indexOf(after);
  return at < 0 ? message : message.mid(at + after.size());
}

}  // namespace

QString DxfReadFailure(const QString& fileName, const std::exception& error) {
  const QString detail = QString::fromUtf8(error.what());
  const auto* runtime = dynamic_cast<const RuntimeError*>(&error);
  const QString lead = QStringLiteral("Impossibile aprire %1: ").arg(fileName);
  if (runtime == nullptr) return lead + QStringLiteral("errore imprevisto (%1)").arg(detail);
  switch (runtime->kind()) {
    case ErrorKind::FileNotFound: return lead + QStringLiteral("il file non esiste");
    case ErrorKind::FileIo: {
      const QString reason = detail.mid(detail.lastIndexOf(QStringLiteral(": ")) + 2);
      if (reason == QStringLiteral("it is a folder")) return lead + QStringLiteral("è una cartella");
      return lead + QStringLiteral("il file non si può leggere (%1)").arg(reason);
    }
    case ErrorKind::BadFormat:
      return lead + QStringLiteral("non è un file DXF leggibile (%1)")
                        .arg(Reason(detail, QStringLiteral("is not a readable DXF file: ")));
    default: return lead + QStringLiteral("il contenuto non è valido (%1)").arg(detail);
  }
}

EntityCounts DxfReadLosses(const DxfReadReport& report) {
  EntityCounts losses = report.skippedTypes;
  if (report.paperSpaceSkipped != 0) losses[kPaperSpace] += report.paperSpaceSkipped;
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

// The texts of the DXF feedback: counts by type, and the reasons a file cannot be read.
#include "shell/dxf_feedback.h"

#include <QStringList>
#include <algorithm>
#include <vector>

#include "platform/dxf_writer.h"
#include "platform/errors.h"

namespace tessaro::shell {

namespace {

std::size_t Total(const EntityCounts& counts) {
  std::size_t total = 0;
  for (const auto& [type, count] : counts) total += count;
  return total;
}

// "LINE 10, CIRCLE 2": the most frequent type first, ties by name.
QString ByType(const EntityCounts& counts) {
  std::vector<std::pair<std::string, std::size_t>> rows(counts.begin(), counts.end());
  std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
  QStringList parts;
  for (const auto& [type, count] : rows) parts << QString::fromStdString(type) + QLatin1Char(' ') + QString::number(count);
  return parts.join(QStringLiteral(", "));
}

}  // namespace

QString DxfReadSummary(const QString& fileName, const Drawing& drawing, const DxfReadReport& report) {
  EntityCounts drawn;
  for (const auto& entity : drawing.Entities()) ++drawn[std::string(DxfTypeName(drawing, entity))];
  QString line = fileName + QStringLiteral(": ");
  const std::size_t total = Total(drawn);
  line += total == 0 ? QStringLiteral("nessuna entità disegnata")
                     : QStringLiteral("%1 entità disegnate (%2)").arg(total).arg(ByType(drawn));
  const std::size_t skipped = Total(report.skippedTypes);
  line += skipped == 0 ? QStringLiteral("; nessuna saltata")
                       : QStringLiteral("; %1 saltate (%2)").arg(skipped).arg(ByType(report.skippedTypes));
  return line;
}

QString DxfReadFailure(const QString& fileName, const std::exception& error) {
  const QString detail = QString::fromUtf8(error.what());
  const auto* runtime = dynamic_cast<const RuntimeError*>(&error);
  const QString lead = QStringLiteral("Impossibile aprire %1: ").arg(fileName);
  if (runtime == nullptr) return lead + QStringLiteral("errore imprevisto (%1)").arg(detail);
  switch (runtime->kind()) {
    case ErrorKind::FileNotFound: return lead + QStringLiteral("il file non esiste");
    case ErrorKind::FileIo: return lead + QStringLiteral("il file non si può leggere (%1)").arg(detail);
    case ErrorKind::BadFormat: return lead + QStringLiteral("non è un file DXF leggibile (%1)").arg(detail);
    default: return lead + QStringLiteral("il contenuto non è valido (%1)").arg(detail);
  }
}

EntityCounts DxfSaveLosses(const EntityCounts& skippedWhenRead, const Drawing& drawing) {
  EntityCounts losses = skippedWhenRead;
  for (const auto& [type, count] : EntitiesLeftOut(drawing)) losses[type] += count;
  return losses;
}

QString DxfSaveQuestion(const EntityCounts& losses) {
  const std::size_t total = Total(losses);
  if (total == 0) return {};
  return QStringLiteral(
             "Il file DXF non potrà contenere %1 entità del disegno letto, che andranno perse:\r\n%2.\r\nContinuare?")
      .arg(total)
      .arg(ByType(losses));
}

}  // namespace tessaro::shell

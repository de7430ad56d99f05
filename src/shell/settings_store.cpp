// Reading and writing the window's placement and layouts.
#include "shell/settings_store.h"

#include <QCoreApplication>
#include <QSettings>
#include <algorithm>
#include <array>

namespace tessaro::shell {
namespace {

constexpr std::array<const char*, 4> kPlacementKeys = {"MainLeft", "MainTop", "MainWidth", "MainHeight"};

QString LayoutPath(const QString& key, const QString& section) {
  return key + QLatin1Char('/') + kApplicationTitle + QLatin1Char('/') + section + QStringLiteral("/State");
}

// A number written as text; anything else keeps the default.
int ReadNumber(QSettings& settings, const char* key, int fallback) {
  bool ok = false;
  const float value = settings.value(QLatin1String(key)).toString().toFloat(&ok);
  return ok ? qRound(value) : fallback;
}

}  // namespace

std::unique_ptr<QSettings> OpenSettings() {
  return std::make_unique<QSettings>(QSettings::defaultFormat(), QSettings::UserScope,
                                     QCoreApplication::organizationName(), kApplicationTitle);
}

QRect ReadPlacement(QSettings& settings, const QRect& current) {
  settings.beginGroup(QStringLiteral("Settings"));
  const int left = ReadNumber(settings, kPlacementKeys[0], current.left());
  const int top = ReadNumber(settings, kPlacementKeys[1], current.top());
  const int width = ReadNumber(settings, kPlacementKeys[2], current.width());
  const int height = ReadNumber(settings, kPlacementKeys[3], current.height());
  settings.endGroup();
  return QRect(left, top, width, height);
}

void WritePlacement(QSettings& settings, const QRect& placement) {
  const std::array<int, 4> values = {placement.left(), placement.top(), placement.width(), placement.height()};
  settings.beginGroup(QStringLiteral("Settings"));
  for (std::size_t i = 0; i < kPlacementKeys.size(); ++i) {
    settings.setValue(QLatin1String(kPlacementKeys[i]), QString::number(values[i]));
  }
  settings.endGroup();
}

QRect KeepOnScreen(const QRect& placement, const QRect& available) {
  if (available.isEmpty()) return placement;
  const int width = std::clamp(placement.width(), 1, available.width());
  const int height = std::clamp(placement.height(), 1, available.height());
  const int left = std::clamp(placement.left(), available.left(), available.left() + available.width() - width);
  const int top = std::clamp(placement.top(), available.top(), available.top() + available.height() - height);
  return QRect(left, top, width, height);
}

QByteArray ReadLayout(QSettings& settings, const QString& key, const QString& section) {
  return settings.value(LayoutPath(key, section)).toByteArray();
}

void WriteLayout(QSettings& settings, const QString& key, const QString& section, const QByteArray& state) {
  settings.setValue(LayoutPath(key, section), state);
}

namespace {

struct OutputKey {
  const char* key;
  bool BatchOutputs::*flag;
};

constexpr std::array<OutputKey, 6> kOutputKeys = {{
    {"Generazione/DistintaFerri", &BatchOutputs::schedule},
    {"Generazione/Bvbs", &BatchOutputs::bvbs},
    {"Generazione/Pdf", &BatchOutputs::pdf},
    {"Generazione/Xlsx", &BatchOutputs::xlsx},
    {"Generazione/Posizioni", &BatchOutputs::marks},
    {"Generazione/TavoleAColori", &BatchOutputs::colour},
}};

}  // namespace

BatchOutputs ReadBatchOutputs(QSettings& settings) {
  BatchOutputs outputs;
  for (const OutputKey& k : kOutputKeys) outputs.*k.flag = settings.value(QLatin1String(k.key), false).toBool();
  return outputs;
}

void WriteBatchOutputs(QSettings& settings, const BatchOutputs& outputs) {
  for (const OutputKey& k : kOutputKeys) settings.setValue(QLatin1String(k.key), outputs.*k.flag);
}

}  // namespace tessaro::shell

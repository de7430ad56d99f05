// Test doubles and fixtures of the window tests.
#include "shell_test_support.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>

#include "shell/settings_store.h"
#include "shell/shell_state.h"

namespace tessaro::shell::testing {

Answer FakeMessages::Ask(const QString& title, const QString& text, bool withCancel) {
  shown.push_back({title, text, true, withCancel, MessageIcon::Question});
  if (answers.empty()) return Answer::Yes;
  const Answer a = answers.front();
  answers.pop_front();
  return a;
}

void FakeMessages::Tell(const QString& title, const QString& text, MessageIcon icon) {
  shown.push_back({title, text, false, false, icon});
}

QStringList FakeMessages::Texts() const {
  QStringList texts;
  for (const Shown& s : shown) texts << s.text;
  return texts;
}

namespace {
QString Next(std::deque<QString>& answers) {
  if (answers.empty()) return {};
  QString a = answers.front();
  answers.pop_front();
  return a;
}
}  // namespace

QString FakeFileDialogs::GetOpen(const FileDialogRequest& request) {
  openRequests.push_back(request);
  return Next(openAnswers);
}

QString FakeFileDialogs::GetSave(const FileDialogRequest& request) {
  saveRequests.push_back(request);
  return Next(saveAnswers);
}

void RecordingSink::Line(const LineGeometry& l, int aci) {
  painted << QStringLiteral("LINE %1 %2 %3 %4 c%5").arg(l.start.x).arg(l.start.y).arg(l.end.x).arg(l.end.y).arg(aci);
}
void RecordingSink::Arc(const ArcGeometry& a, int aci) {
  painted << QStringLiteral("ARC %1 %2 r%3 %4-%5 c%6")
                 .arg(a.center.x)
                 .arg(a.center.y)
                 .arg(a.radius)
                 .arg(a.startAngle)
                 .arg(a.endAngle)
                 .arg(aci);
}
void RecordingSink::Circle(const CircleGeometry& c, int aci) {
  painted << QStringLiteral("CIRCLE %1 %2 r%3 c%4").arg(c.center.x).arg(c.center.y).arg(c.radius).arg(aci);
}
void RecordingSink::Text(const TextGeometry& t, int aci) {
  painted << QStringLiteral("TEXT %1 %2 h%3 %4 c%5")
                 .arg(t.position.x)
                 .arg(t.position.y)
                 .arg(t.height)
                 .arg(FromUtf8(t.value))
                 .arg(aci);
}

TemporarySettings::TemporarySettings() {
  QStandardPaths::setTestModeEnabled(true);
  QCoreApplication::setOrganizationName(QStringLiteral("TessaroTest"));
  QSettings::setDefaultFormat(QSettings::IniFormat);
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir_.path());
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir_.path());
}

TemporarySettings::~TemporarySettings() = default;

QStringList TemporarySettings::Dump() const {
  auto settings = OpenSettings();
  QStringList lines;
  for (const QString& key : settings->allKeys()) {
    if (key.contains(QStringLiteral("State"))) continue;  // binary layouts say nothing readable
    lines << key + QLatin1Char('=') + settings->value(key).toString();
  }
  return lines;
}

QString SourceDir() { return QStringLiteral(TESSARO_SOURCE_DIR); }

namespace {
bool CopyFolder(const QString& from, const QString& to) {
  QDir().mkpath(to);
  QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    const QString target = to + path.mid(from.size());
    if (it.fileInfo().isDir()) {
      QDir().mkpath(target);
    } else if (!QFile::copy(path, target)) {
      return false;
    }
  }
  return true;
}
}  // namespace

ExampleProject::ExampleProject(const QString& name, bool withDrawingsFolder) {
  ok_ = CopyFolder(SourceDir() + QStringLiteral("/examples/") + name, Folder());
  if (withDrawingsFolder) ok_ = ok_ && QDir().mkpath(DrawingsFolder());
}

}  // namespace tessaro::shell::testing

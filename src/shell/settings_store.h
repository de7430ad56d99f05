// Where the window keeps what survives a restart: its placement (group "Settings") and
// the layout of its bars and panes (under a key and a section), all in the per-user
// settings of the application "Tessaro".
#pragma once

#include <QByteArray>
#include <QRect>
#include <QString>
#include <memory>

class QSettings;

namespace tessaro::shell {

inline const QString kApplicationTitle = QStringLiteral("Tessaro");

// The settings of the application "Tessaro" for the organization the application object
// names (tests set their own organization and a temporary settings folder).
std::unique_ptr<QSettings> OpenSettings();

// Each of left, top, width, height from "MainLeft", "MainTop", "MainWidth", "MainHeight";
// a missing or unreadable value keeps the one of `current`.
QRect ReadPlacement(QSettings& settings, const QRect& current);
void WritePlacement(QSettings& settings, const QRect& placement);
// A placement moved and shrunk as little as needed to lie within `available` (the
// screen's free area in the same units); an empty `available` keeps it as it is.
QRect KeepOnScreen(const QRect& placement, const QRect& available);

// The bars' and panes' arrangement under (key, section), e.g. ("ZeraDav_pil", "LayoutDXFPil").
QByteArray ReadLayout(QSettings& settings, const QString& key, const QString& section);
void WriteLayout(QSettings& settings, const QString& key, const QString& section, const QByteArray& state);

// What "Genera dxf" writes beside each drawing, besides the drawing and its check report
// (always written): group "Generazione", keys "DistintaFerri", "Bvbs", "Pdf", "Xlsx",
// "Posizioni" (the position marks in the DXF) and "TavoleAColori" (the sheets in colour,
// for "Genera dxf" and for the window's PDF export and print alike); all off until chosen.
struct BatchOutputs {
  bool schedule = false;
  bool bvbs = false;
  bool pdf = false;
  bool xlsx = false;
  bool marks = false;
  bool colour = false;
};
BatchOutputs ReadBatchOutputs(QSettings& settings);
void WriteBatchOutputs(QSettings& settings, const BatchOutputs& outputs);

}  // namespace tessaro::shell

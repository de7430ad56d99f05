// The window's message boxes: a dialog that shows its whole text and its whole title.
// Short texts stand in a label sized to them; a long list (the stacks a batch did not
// write, the items a save leaves out) goes into a scrollable, selectable details area
// under the first lines, so nothing is cut and everything can be copied.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QString>

#include "shell/dialogs.h"

class QPlainTextEdit;

namespace tessaro::shell {

// How a message's text is split between the label and the details area.
struct MessageParts {
  QString summary;  // shown in the label, whole
  QString details;  // shown in the details area; empty: none
};

// Texts of up to kSummaryLines lines whose lines fit `maxLineWidth` (pixels, as measured
// by `width`) stay whole in the label. Longer ones keep their lines up to the first one
// ending in ':' (or their first line) in the label and the rest goes to the details.
inline constexpr int kSummaryLines = 8;
MessageParts SplitMessage(const QString& text, int maxLineWidth, const std::function<int(const QString&)>& width);

// The question before "Salva dxf..." writes a stack whose load stopped, naming the stack
// and its problem as the batch's report does ("Pilastrata_<id>: <problem>").
QString PartialSaveQuestion(const QString& stackId, const QString& problem);

class MessageDialog final : public QDialog {
  Q_OBJECT

public:
  enum class Buttons { Ok, YesNo, YesNoCancel };
  MessageDialog(QWidget* parent, const QString& title, const QString& text, MessageIcon icon, Buttons buttons);

  // The answer the user gave: Yes, No or Cancel (Ok counts as Yes); closing the box
  // without a choice is Cancel.
  Answer Result() const { return answer_; }
  QLabel* TextLabel() const { return label_; }
  QPlainTextEdit* Details() const { return details_; }

private:
  Answer answer_ = Answer::Cancel;
  QLabel* label_ = nullptr;
  QPlainTextEdit* details_ = nullptr;
};

// A status-bar text that never runs off the edge: drawn cut short with "..." where the
// room ends, the whole text still its text() and tool tip, and shown whole in a box when
// clicked (Clicked).
class ElidedLabel final : public QLabel {
  Q_OBJECT

public:
  explicit ElidedLabel(QWidget* parent = nullptr);
  // The text as drawn in the label's present width.
  QString ShownText() const;

signals:
  void Clicked();

protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace tessaro::shell

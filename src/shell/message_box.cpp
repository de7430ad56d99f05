// The message dialog: whole texts, whole titles, long lists in a details area.
#include "shell/message_box.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

namespace tessaro::shell {
namespace {

constexpr int kTitleBarExtra = 120;   // the title bar's icon and buttons, and the frame
constexpr int kMinimumTextWidth = 260;
constexpr double kScreenShare = 0.8;  // the most of the screen a box may take
constexpr int kDetailsLines = 12;     // the details area's height, in lines
constexpr int kDetailsWidth = 680;    // a box with details is at least this wide (within the screen)

QStyle::StandardPixmap PixmapOf(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information: return QStyle::SP_MessageBoxInformation;
    case MessageIcon::Question: return QStyle::SP_MessageBoxQuestion;
    case MessageIcon::Critical: return QStyle::SP_MessageBoxCritical;
    case MessageIcon::Warning: return QStyle::SP_MessageBoxWarning;
    case MessageIcon::None: break;
  }
  return QStyle::SP_CustomBase;
}

QRect AvailableArea(const QWidget* parent) {
  const QScreen* screen = parent != nullptr && parent->screen() != nullptr ? parent->screen()
                                                                           : QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

// The widest word of a line: what a label that wraps at blanks cannot make narrower.
int WidestWord(const QString& line, const std::function<int(const QString&)>& width) {
  int widest = 0;
  for (const QString& word : line.split(QLatin1Char(' '), Qt::SkipEmptyParts)) widest = std::max(widest, width(word));
  return widest;
}

}  // namespace

QString PartialSaveQuestion(const QString& stackId, const QString& problem) {
  return QStringLiteral("Pilastrata_%1: %2\n\nIl disegno della pilastrata è incompleto: la lettura si è fermata al "
                        "problema indicato. Salvare comunque il disegno parziale?")
      .arg(stackId, problem);
}

MessageParts SplitMessage(const QString& text, int maxLineWidth, const std::function<int(const QString&)>& width) {
  QString normalized = text;
  normalized.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  const QStringList lines = normalized.split(QLatin1Char('\n'));
  const bool fits = lines.size() <= kSummaryLines &&
                    std::all_of(lines.begin(), lines.end(),
                                [&](const QString& line) { return WidestWord(line, width) <= maxLineWidth; });
  if (fits) return {normalized, {}};
  qsizetype cut = 0;  // lines [0, cut] are the summary
  for (qsizetype i = 0; i < lines.size() && i < kSummaryLines; ++i) {
    if (lines[i].trimmed().endsWith(QLatin1Char(':')) && WidestWord(lines[i], width) <= maxLineWidth) {
      cut = i;
      break;
    }
  }
  // A first line that cannot be wrapped goes to the details as well; a word stays above.
  if (cut == 0 && WidestWord(lines[0], width) > maxLineWidth) {
    const qsizetype blank = lines[0].indexOf(QLatin1Char(' '));
    return {blank > 0 ? lines[0].left(blank) : QString(), normalized};
  }
  return {lines.mid(0, cut + 1).join(QLatin1Char('\n')), lines.mid(cut + 1).join(QLatin1Char('\n')).trimmed()};
}

MessageDialog::MessageDialog(QWidget* parent, const QString& title, const QString& text, MessageIcon icon,
                             Buttons buttons)
    : QDialog(parent) {
  setObjectName(QStringLiteral("MessageDialog"));
  setWindowTitle(title);
  setModal(true);
  const QRect area = AvailableArea(parent);
  const int maxWidth = static_cast<int>(area.width() * kScreenShare);
  const QFontMetrics metrics = fontMetrics();
  const int iconSpace = icon == MessageIcon::None ? 0 : style()->pixelMetric(QStyle::PM_MessageBoxIconSize) + 16;
  const int maxText = std::max(kMinimumTextWidth, maxWidth - iconSpace - 40);
  const MessageParts parts =
      SplitMessage(text, maxText, [&metrics](const QString& s) { return metrics.horizontalAdvance(s); });

  // The label as wide as its longest line, within the screen, and at least as wide as
  // the title bar needs; then as high as its wrapped text.
  int natural = 0;
  for (const QString& line : parts.summary.split(QLatin1Char('\n'))) {
    natural = std::max(natural, metrics.horizontalAdvance(line));
  }
  const int forTitle = metrics.horizontalAdvance(title) + kTitleBarExtra - iconSpace;
  const int textWidth =
      std::min(maxText, std::max({natural + 2, forTitle, kMinimumTextWidth, parts.details.isEmpty() ? 0 : kDetailsWidth}));

  label_ = new QLabel(parts.summary, this);
  label_->setObjectName(QStringLiteral("MessageText"));
  label_->setTextFormat(Qt::PlainText);
  label_->setWordWrap(true);
  label_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  label_->setFixedWidth(textWidth);
  label_->setFixedHeight(label_->heightForWidth(textWidth));

  auto* row = new QHBoxLayout;
  if (icon != MessageIcon::None) {
    auto* iconLabel = new QLabel(this);
    iconLabel->setObjectName(QStringLiteral("MessageIcon"));
    const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize);
    iconLabel->setPixmap(style()->standardIcon(PixmapOf(icon)).pixmap(size, size));
    iconLabel->setAlignment(Qt::AlignTop);
    row->addWidget(iconLabel, 0, Qt::AlignTop);
  }
  auto* column = new QVBoxLayout;
  column->addWidget(label_);
  if (!parts.details.isEmpty()) {
    details_ = new QPlainTextEdit(parts.details, this);
    details_->setObjectName(QStringLiteral("MessageDetails"));
    details_->setReadOnly(true);
    details_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    details_->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    details_->setMinimumWidth(textWidth);
    const int lines = std::min<int>(kDetailsLines, static_cast<int>(parts.details.count(QLatin1Char('\n'))) + 2);
    details_->setMinimumHeight(std::min(area.height() / 2, metrics.lineSpacing() * std::max(lines, 4) + 12));
    column->addWidget(details_, 1);
  }
  row->addLayout(column, 1);

  auto* box = new QDialogButtonBox(this);
  switch (buttons) {
    case Buttons::Ok: box->setStandardButtons(QDialogButtonBox::Ok); break;
    case Buttons::YesNo: box->setStandardButtons(QDialogButtonBox::Yes | QDialogButtonBox::No); break;
    case Buttons::YesNoCancel:
      box->setStandardButtons(QDialogButtonBox::Yes | QDialogButtonBox::No | QDialogButtonBox::Cancel);
      break;
  }
  connect(box, &QDialogButtonBox::clicked, this, [this, box](QAbstractButton* button) {
    switch (box->standardButton(button)) {
      case QDialogButtonBox::Ok:
      case QDialogButtonBox::Yes: answer_ = Answer::Yes; break;
      case QDialogButtonBox::No: answer_ = Answer::No; break;
      default: answer_ = Answer::Cancel; break;
    }
    done(answer_ == Answer::Cancel ? QDialog::Rejected : QDialog::Accepted);
  });
  if (auto* first = qobject_cast<QPushButton*>(box->buttons().value(0))) first->setDefault(true);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row, 1);
  layout->addWidget(box);
  // The details area may grow with the box; the text stays as sized.
  if (details_ == nullptr) layout->setSizeConstraint(QLayout::SetFixedSize);
  setMaximumSize(area.size());
}

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent) {
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  setCursor(Qt::PointingHandCursor);
}

QString ElidedLabel::ShownText() const {
  const QString oneLine = QString(text()).replace(QLatin1Char('\n'), QLatin1Char(' '));
  return fontMetrics().elidedText(oneLine, Qt::ElideRight, contentsRect().width());
}

void ElidedLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(palette().color(foregroundRole()));
  painter.drawText(contentsRect(), Qt::AlignLeft | Qt::AlignVCenter, ShownText());
}

void ElidedLabel::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && !text().isEmpty()) emit Clicked();
  QLabel::mouseReleaseEvent(event);
}

}  // namespace tessaro::shell

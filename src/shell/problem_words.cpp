#include "shell/problem_words.h"

#include "base/problem_words.h"
#include "text/numbers.h"

namespace tessaro::shell {

namespace {

QString Utf8(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QString Quoted(const std::string& text) { return QLatin1Char('"') + Utf8(ReadableText(text)) + QLatin1Char('"'); }

QString Number(double value) { return Utf8(FormatSingle(value, NumberFormat{})); }

QString Count(double value) { return QString::number(static_cast<qlonglong>(value)); }

QString Range(const Problem& p) {
  return QStringLiteral("da ") + Number(p.low) + (p.lowOpen ? QStringLiteral(" (escluso)") : QString()) +
         QStringLiteral(" a ") + Number(p.high);
}

QString PartPrefix(Problem::Part part) {
  switch (part) {
    case Problem::Part::Count: return QStringLiteral("il numero di ");
    case Problem::Part::Diameter: return QStringLiteral("il diametro (mm) di ");
    case Problem::Part::Value: break;
  }
  return QString();
}

// What kind of run-time error a drawing statement met.
QString ErrorText(ErrorKind kind) {
  switch (kind) {
    case ErrorKind::FileNotFound: return QStringLiteral("file non trovato");
    case ErrorKind::FileIo: return QStringLiteral("il file non si può leggere");
    case ErrorKind::BadNumber: return QStringLiteral("valore non valido");
    case ErrorKind::MissingData: return QStringLiteral("dato mancante");
    case ErrorKind::Overflow: return QStringLiteral("valore fuori dai limiti");
    case ErrorKind::DivisionByZero: return QStringLiteral("divisione per zero");
    case ErrorKind::InvalidFloat: return QStringLiteral("risultato non numerico");
    case ErrorKind::BadFormat: return QStringLiteral("formato non valido");
  }
  return QStringLiteral("errore");
}

// The entity a DXF problem leaves out: ": oggetto LINE saltato".
QString LeftOut(const Problem& p) {
  return p.subject.empty() ? QStringLiteral(": oggetto saltato") : QStringLiteral(": oggetto ") + Utf8(ReadableText(p.subject)) + QStringLiteral(" saltato");
}

}  // namespace

QString ItalianProblemMessage(const Problem& p) {
  switch (p.kind) {
    case ProblemKind::FileNotFound: return QStringLiteral("file non trovato");
    case ProblemKind::FileUnreadable:
      return QStringLiteral("il file non si può leggere (non è un file normale, o è troppo lungo)");
    case ProblemKind::MissingLine: return QStringLiteral("manca la riga");
    case ProblemKind::EmptyLine: return QStringLiteral("la riga è vuota");
    case ProblemKind::MissingField: return QStringLiteral("manca il campo");
    case ProblemKind::BadNumber: return Quoted(p.text) + QStringLiteral(" non è un numero");
    case ProblemKind::NumberTooLarge: return Quoted(p.text) + QStringLiteral(" è fuori dai limiti");
    case ProblemKind::BadBarField:
      return Quoted(p.text) + QStringLiteral(": non è un campo numeroØdiametro come 4Ø16");
    case ProblemKind::OutOfBounds:
      return PartPrefix(p.part) + Utf8(p.subject) + QLatin1Char(' ') + Quoted(p.text) +
             QStringLiteral(" è fuori dai limiti ") + Range(p);
    case ProblemKind::TopNotAboveBottom:
      return QStringLiteral("Quota finale ") + Quoted(p.text) + QStringLiteral(" deve superare Quota iniziale ") +
             Quoted(p.other) + QStringLiteral(", al massimo di ") + Number(p.high);
    case ProblemKind::CoverTooLarge:
      return QStringLiteral("copriferro ") + Quoted(p.text) +
             QStringLiteral(" non lascia spazio ai ferri: deve essere meno di metà di ") + Number(p.high);
    case ProblemKind::TooFewCircularBars:
      return QStringLiteral("un pilastro circolare (Lato 2 = 0) ha almeno ") + Number(p.low) +
             QStringLiteral(" ferri, non ") + Quoted(p.text);
    case ProblemKind::TooManyPieces:
      return QStringLiteral("una pilastrata ha al massimo ") + Number(p.high) + QStringLiteral(" pilastri");
    case ProblemKind::NoPieces: return QStringLiteral("il file della pilastrata non elenca pilastri");
    case ProblemKind::StackNotLoaded: return QStringLiteral("la pilastrata non è stata caricata");
    case ProblemKind::DrawingIncomplete:
      return QStringLiteral("il disegno di questo pilastro è incompleto: ") + ErrorText(p.error);
    case ProblemKind::PieceIndexOutside: return ErrorText(p.error);
    case ProblemKind::DxfEmpty: return QStringLiteral("il file è vuoto");
    case ProblemKind::DxfNotDxf: return Quoted(p.text) + QStringLiteral(" non è un codice di gruppo: non è un file DXF");
    case ProblemKind::DxfCutShort: return QStringLiteral("il file finisce prima di EOF");
    case ProblemKind::DxfUnendedSection:
      return QStringLiteral("una sezione non ha ENDSEC: finisce dove comincia la successiva");
    case ProblemKind::DxfBadGroupCode: return Quoted(p.text) + QStringLiteral(" non è un codice di gruppo") + LeftOut(p);
    case ProblemKind::DxfBadNumber: return Quoted(p.text) + QStringLiteral(" non è un numero") + LeftOut(p);
    case ProblemKind::DxfBadWholeNumber: return Quoted(p.text) + QStringLiteral(" non è un numero intero") + LeftOut(p);
    case ProblemKind::DxfTooManyLayers: return QStringLiteral("il file ha più di %1 layer").arg(Count(p.high));
    case ProblemKind::DxfTooManyBlocks: return QStringLiteral("il file ha più di %1 blocchi").arg(Count(p.high));
    case ProblemKind::DxfNestTooDeep:
      return QStringLiteral("%1 inserimenti annidati oltre %2 livelli di blocchi non disegnati")
          .arg(Count(p.low), Count(p.high));
    case ProblemKind::DxfBlockCycles:
      return QStringLiteral("%1 inserimenti di un blocco dentro se stesso non disegnati").arg(Count(p.low));
    case ProblemKind::DxfExpansionCapped:
      return QStringLiteral("blocchi espansi fino al limite di %1 forme: altri %2 inserimenti non disegnati")
          .arg(Count(p.high), Count(p.low));
  }
  return ErrorText(p.error);
}

QString ItalianProblem(const Problem& p) {
  QString where;
  if (!p.file.empty()) where = Utf8(ProblemFileText(p.file));
  const auto append = [&where](const QString& part) {
    where += (where.isEmpty() ? QString() : QStringLiteral(", ")) + part;
  };
  if (IsDxfProblem(p.kind)) {
    // A DXF file by its lines (a binary one by its bytes) and group codes.
    if (p.line >= 0) append(p.inBytes ? QStringLiteral("byte %1").arg(p.line) : QStringLiteral("riga %1").arg(p.line + 1));
    if (p.field >= 0) append(QStringLiteral("codice di gruppo %1").arg(p.field));
  } else {
    if (p.line >= 0) append(QStringLiteral("riga %1").arg(p.line + 1));
    if (p.field >= 0) append(QStringLiteral("campo %1").arg(p.field + 1));
  }
  const QString message = ItalianProblemMessage(p);
  return where.isEmpty() ? message : where + QStringLiteral(": ") + message;
}

}  // namespace tessaro::shell

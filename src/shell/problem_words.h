// The desktop program's words for the engine's problems, in Italian: "FILE, riga 7, campo 1:
// MESSAGGIO", with the echoed input cut to a readable length.
#pragma once

#include <QString>

#include "base/problem.h"

namespace tessaro::shell {

// Only what is wrong, without the file, line and field.
QString ItalianProblemMessage(const Problem& problem);

// The problem with where it is: the file, "riga N" and "campo F" counted from 1.
QString ItalianProblem(const Problem& problem);

}  // namespace tessaro::shell

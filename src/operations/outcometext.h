#pragma once

#include <QString>

// The one table from an operation's outcome code to its text. Texts are stored (in the
// history) as keys and shown in the language of the moment; the progress rows, the
// history and the command line all read them here.
namespace OutcomeText {

enum class EKind : int {
    Import = 0,  // codes: 0 imported, 1 type mismatch, 2 import failed, 3 device offline
    Export = 1,  // data and log export: 0 exported, 2 export failed, 4 a log file too large
    Upgrade = 2, // the node's upgrade result (Protocol::kUpgrade*)
    Send = 3,    // a command nodes do not answer: 0 sent, 1 not sent
    Switch = 4,  // a type switch: 0 switch sent, 1 not sent
};

// Translation context of the texts of kind.
const char *context(EKind kind);

// Source text of code in kind; null when the code has no text of its own (a row keeps
// its running text then).
const char *source(EKind kind, int code);
// The text of a running node of kind.
const char *runningSource(EKind kind);
bool succeeded(EKind kind, int code);
// Translated text; empty when the code has none.
QString shown(EKind kind, int code);
// The history key of the text (CCommandHistory::key); empty when the code has none.
QString key(EKind kind, int code);

} // namespace OutcomeText

#pragma once

#include <QString>

// The one place that names node types and decoder display modes. Names are looked up
// by value and translated in the context "NodeNames", so what a filter selects never
// depends on the text it shows.
namespace NodeNames {

constexpr int AllModes = -1; // mode filter value: no particular mode
constexpr int ModeCount = 3; // 0 screen, 1 seat (KVM), 2 matrix

// lang "CN" or "EN" names in that language whatever translator is installed (the table
// rebuilds its filter lists before the window swaps translators); empty uses the installed one.
QString typeName(int type, const QString &lang = QString()); // 0 gives "所有类型"
QString modeName(int mode, const QString &lang = QString()); // empty outside 0..2
QString allModesName(const QString &lang = QString());
QString allVersionsName(const QString &lang = QString());

// Any text of the program in that language, the same way: "CN" the Chinese source, "EN" the
// English resource (falling back to the source), empty the installed translator.
QString textIn(const char *context, const char *source, const QString &lang);

} // namespace NodeNames

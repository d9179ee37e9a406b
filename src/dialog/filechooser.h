#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// Qt's own file dialogs, so the labels can carry the program's (translated) texts.
namespace FileChooser {

struct Labels
{
    QString fileName; // "文件名:"
    QString accept;   // "选择文件夹" or "打开"
    QString reject;   // "取消"
};

// Empty when the operator cancels.
QString chooseFolder(QWidget *parent, const QString &title, const QString &startDir, const Labels &labels);
// One existing file matching filter, starting in startDir; empty when the operator cancels.
QString chooseFile(QWidget *parent, const QString &title, const QString &startDir, const QString &filter,
                   const Labels &labels);
// Existing files matching filter; empty when the operator cancels.
QStringList chooseFiles(QWidget *parent, const QString &title, const QString &filter, const Labels &labels);

// A file to write (asks before replacing one); empty when the operator cancels.
QString chooseSaveFile(QWidget *parent, const QString &title, const QString &startPath, const QString &filter,
                       const QString &suffix, const Labels &labels);

} // namespace FileChooser

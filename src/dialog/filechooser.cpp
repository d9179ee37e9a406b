#include "dialog/filechooser.h"

#include <QFileDialog>

namespace FileChooser {

namespace {
void applyLabels(QFileDialog &dlg, const Labels &labels)
{
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    dlg.setLabelText(QFileDialog::FileName, labels.fileName);
    dlg.setLabelText(QFileDialog::Accept, labels.accept);
    dlg.setLabelText(QFileDialog::Reject, labels.reject);
}
} // namespace

QString chooseFolder(QWidget *parent, const QString &title, const QString &startDir, const Labels &labels)
{
    QFileDialog dlg(parent, title, startDir);
    dlg.setFileMode(QFileDialog::Directory);
    dlg.setOption(QFileDialog::ShowDirsOnly);
    applyLabels(dlg, labels);
    if (dlg.exec() != QDialog::Accepted)
        return {};
    const QStringList chosen = dlg.selectedFiles();
    return chosen.isEmpty() ? QString() : chosen.first();
}

QString chooseFile(QWidget *parent, const QString &title, const QString &startDir, const QString &filter,
                   const Labels &labels)
{
    QFileDialog dlg(parent, title, startDir);
    dlg.setFileMode(QFileDialog::ExistingFile);
    dlg.setNameFilter(filter);
    dlg.setViewMode(QFileDialog::Detail);
    applyLabels(dlg, labels);
    if (dlg.exec() != QDialog::Accepted)
        return {};
    const QStringList chosen = dlg.selectedFiles();
    return chosen.isEmpty() ? QString() : chosen.first();
}

QStringList chooseFiles(QWidget *parent, const QString &title, const QString &filter, const Labels &labels)
{
    QFileDialog dlg(parent, title);
    dlg.setFileMode(QFileDialog::ExistingFiles);
    dlg.setNameFilter(filter);
    dlg.setViewMode(QFileDialog::Detail);
    applyLabels(dlg, labels);
    if (dlg.exec() != QDialog::Accepted)
        return {};
    return dlg.selectedFiles();
}

QString chooseSaveFile(QWidget *parent, const QString &title, const QString &startPath, const QString &filter,
                       const QString &suffix, const Labels &labels)
{
    QFileDialog dlg(parent, title, startPath);
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setFileMode(QFileDialog::AnyFile);
    dlg.setNameFilter(filter);
    dlg.setDefaultSuffix(suffix);
    dlg.setViewMode(QFileDialog::Detail);
    applyLabels(dlg, labels);
    if (dlg.exec() != QDialog::Accepted)
        return {};
    const QStringList chosen = dlg.selectedFiles();
    return chosen.isEmpty() ? QString() : chosen.first();
}

} // namespace FileChooser

#pragma once

#include <QByteArray>
#include <QString>

#include "history/ccommandhistory.h"
#include "dialog/cdevicemanage.h"
#include "model/sdeviceinfo.h"

#include <QColor>
#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QRect>
#include <QWidget>
#include <memory>

class QListWidget;

namespace fixtures {

sDecoderInfo decoder(int64_t id, const QByteArray &ip, const QByteArray &mac, int mode = 0,
                     const QByteArray &version = "V1.0.0", const QByteArray &name = QByteArray());
sEncoderInfo encoder(int64_t id, const QByteArray &ip, const QByteArray &mac, const QByteArray &signalName = "Camera",
                     const QByteArray &version = "V1.0.0", const QByteArray &name = QByteArray());

// The dialog's child of that object name; a missing one ends the test at once.
template <typename T>
T *child(QWidget *dlg, const char *name)
{
    T *w = dlg->findChild<T *>(QString::fromLatin1(name));
    if (!w)
        qFatal("no child %s", name);
    return w;
}

// Empties both stores.
void clearStores();

// The newest history entry's nodes as the history dialog reads them (outcomes in the current
// language), without the names, which depend on what a table listed before.
// age 1: the entry before it, and so on.
QVector<sHistoryNode> newestHistoryShown(int age = 0);


// Decoder entries for the given addresses, ids from 1.
SelectedNodeList selection(const QStringList &ips);

// Reproducible package contents.
QByteArray randomBytes(qint64 size, quint32 seed);
bool writeFile(const QString &path, const QByteArray &data);
QByteArray readFile(const QString &path); // "<missing>" when it cannot be read

// Collects qDebug() lines from every thread while it lives.
class DebugCapture final
{
public:
    DebugCapture();
    ~DebugCapture();
    DebugCapture(const DebugCapture &) = delete;
    DebugCapture &operator=(const DebugCapture &) = delete;
    int count(const QString &line) const;
};

// Waits until every row of the list has shown its result.
bool waitRows(QListWidget *list, int ms = 30000);

// A shown hub that has run its first scan; null when its window never appeared.
std::unique_ptr<CDeviceManage> scannedHub();

// Counts pixels within `tolerance` of `colour` in rect.
int countColour(const QImage &image, const QRect &rect, const QColor &colour, int tolerance = 40);

} // namespace fixtures

#pragma once

#include <QByteArray>
#include <QString>

#include "history/ccommandhistory.h"
#include "dialog/cdevicemanage.h"
#include "dialog/devicecommands.h"
#include "model/sdeviceinfo.h"

#include <QColor>
#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QRect>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

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

// Runs this thread's event loop while the hub command that start begins (or the scan) goes
// on, until it has ended, rescan included; false when none ended within ms.
bool finishCommand(CDeviceManage &hub, const std::function<void()> &start, int ms = 60000);
// The hub's own scan, to its end.
bool scanToEnd(CDeviceManage &hub, int ms = 60000);
// Runs a hub command called with its continuation until that has run: its rescan verdict,
// or nothing when it never came within ms.
std::optional<bool> finishCommand(const std::function<void(const DeviceCommands::Done &)> &start, int ms = 60000);

// A shown hub that has run its first scan; null when its window never appeared.
std::unique_ptr<CDeviceManage> scannedHub();

// Counts pixels within `tolerance` of `colour` in rect.
int countColour(const QImage &image, const QRect &rect, const QColor &colour, int tolerance = 40);

} // namespace fixtures

#include "nodefixtures.h"

#include <QFile>
#include <QImage>
#include <QRandomGenerator>
#include <mutex>
#include <QRect>

#include <QListWidget>
#include <QTest>

#include "model/cdecoderlist.h"
#include "ui/cprogreslistitem.h"
#include "model/cencoderlist.h"

namespace fixtures {

sDecoderInfo decoder(int64_t id, const QByteArray &ip, const QByteArray &mac, int mode, const QByteArray &version,
                     const QByteArray &name)
{
    sDecoderInfo d;
    d.id = id;
    d.ip = ip;
    d.mask = "255.255.255.0";
    d.getway = "127.0.0.1";
    d.macAddr = mac;
    d.name = name.isEmpty() ? QByteArray("解码器-") + QByteArray::number(qint64(id)) : name;
    d.version = version;
    d.managerIP = "127.0.1.1";
    d.mode = mode;
    d.w = 1920;
    d.h = 1080;
    d.frameRate = 60;
    return d;
}

sEncoderInfo encoder(int64_t id, const QByteArray &ip, const QByteArray &mac, const QByteArray &signalName,
                     const QByteArray &version, const QByteArray &name)
{
    sEncoderInfo e;
    e.id = id;
    e.ip = ip;
    e.mask = "255.255.255.0";
    e.getway = "127.0.0.1";
    e.macAddr = mac;
    e.name = name.isEmpty() ? QByteArray("编码器-") + QByteArray::number(qint64(id)) : name;
    e.version = version;
    e.managerIP = "127.0.1.1";
    e.signalName = signalName;
    e.frameRate = 30;
    return e;
}

QVector<sHistoryNode> newestHistoryShown(int age)
{
    QVector<sHistoryNode> nodes = CCommandHistory::instance()->entries().value(age).nodes;
    for (sHistoryNode &node : nodes) {
        node.outcome = CCommandHistory::shown(node.outcome);
        node.name.clear();
    }
    return nodes;
}

void clearStores()
{
    CDecoderList::instance().clearNodes();
    CEncoderList::instance().clearNodes();
}

SelectedNodeList selection(const QStringList &ips)
{
    SelectedNodeList list;
    qint64 id = 1;
    for (const QString &ip : ips)
        list.append(sSelectedNode{id++, ip.toUtf8(), QByteArray(), DecoderNode});
    return list;
}

QByteArray randomBytes(qint64 size, quint32 seed)
{
    QByteArray data(int(size), Qt::Uninitialized);
    QRandomGenerator(seed).fillRange(reinterpret_cast<quint32 *>(data.data()), int(size / 4));
    return data;
}

bool writeFile(const QString &path, const QByteArray &data)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

namespace {
std::mutex g_debugMutex;
QStringList g_debug;
QtMessageHandler g_previous = nullptr;
void captureDebug(QtMsgType, const QMessageLogContext &, const QString &msg)
{
    std::lock_guard<std::mutex> lock(g_debugMutex);
    g_debug.append(msg);
}
} // namespace

DebugCapture::DebugCapture()
{
    {
        std::lock_guard<std::mutex> lock(g_debugMutex);
        g_debug.clear();
    }
    g_previous = qInstallMessageHandler(captureDebug);
}

DebugCapture::~DebugCapture()
{
    qInstallMessageHandler(g_previous);
}

int DebugCapture::count(const QString &line) const
{
    std::lock_guard<std::mutex> lock(g_debugMutex);
    return int(g_debug.count(line));
}

int countColour(const QImage &image, const QRect &rect, const QColor &colour, int tolerance)
{
    int count = 0;
    const QRect r = rect.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (qAbs(c.red() - colour.red()) <= tolerance && qAbs(c.green() - colour.green()) <= tolerance
                && qAbs(c.blue() - colour.blue()) <= tolerance)
                ++count;
        }
    }
    return count;
}

bool waitRows(QListWidget *list, int ms)
{
    return QTest::qWaitFor(
        [list] {
            for (int i = 0; i < list->count(); ++i) {
                auto *row = qobject_cast<CProgressListItem *>(list->itemWidget(list->item(i)));
                if (!row || row->isAnimating())
                    return false;
            }
            return true;
        },
        ms);
}

bool finishCommand(CDeviceManage &hub, const std::function<void()> &start, int ms)
{
    bool ended = false;
    const QMetaObject::Connection c =
        QObject::connect(&hub, &CDeviceManage::sigCommandEnded, [&ended] { ended = true; });
    start();
    const bool came = ended || QTest::qWaitFor([&ended] { return ended; }, ms);
    QObject::disconnect(c);
    return came;
}

bool scanToEnd(CDeviceManage &hub, int ms)
{
    return finishCommand(hub, [&hub] { QVERIFY(hub.scanNodes()); }, ms);
}

std::optional<bool> finishCommand(const std::function<void(const DeviceCommands::Done &)> &start, int ms)
{
    // Shared: a continuation that comes after the deadline finds its state still there.
    auto verdict = std::make_shared<std::optional<bool>>();
    start([verdict](bool rescan) { *verdict = rescan; });
    if (!verdict->has_value())
        (void)QTest::qWaitFor([&verdict] { return verdict->has_value(); }, ms);
    return *verdict;
}

std::unique_ptr<CDeviceManage> scannedHub()
{
    auto hub = std::make_unique<CDeviceManage>();
    hub->setBusyMs(0);
    hub->resize(1366, 700);
    hub->show();
    if (!QTest::qWaitForWindowExposed(hub.get()))
        return nullptr;
    if (!scanToEnd(*hub))
        return nullptr;
    return hub;
}

} // namespace fixtures

// quorvane-bench-bulk: the bulk commands at site scale, as the hub runs them (questions
// answered at once, busy indicator on). For 10, 100 and 1000 simulated nodes: restart, the
// rescan, type switch and consecutive addresses from the click to done; then a scan of 2000 nodes whose answers are spread over 2 s. For each: the time,
// what the simulator received, the longest stall of the GUI event loop and the peak RSS
// added. Runs only inside scripts/netns.sh.
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "../common/benchsetup.h"
#include "comm/cdevicectrljob.h"
#include "dialog/cdevicemanage.h"
#include "dialog/cmainshowwidget.h"
#include "dialog/devicecommands.h"
#include "model/cdecoderlist.h"
#include "model/cencoderlist.h"
#include "model/cnodelistmodel.h"
#include "ui/cprogressdialog.h"

namespace {

[[noreturn]] void die(const QString &message)
{
    Bench::die("bench-bulk", message);
}

long statusKb(const char *key)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(int(qstrlen(key))).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

// Peak RSS is measured from here: the kernel's high-water mark is reset to the current RSS.
long resetPeak()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
    return statusKb("VmRSS:");
}

// The longest gap between two ticks of a 2 ms timer on the GUI thread, nested loops included.
class StallMeter final : public QObject
{
public:
    StallMeter()
    {
        m_timer.setInterval(2);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            m_longest = std::max(m_longest, m_clock.restart());
        });
    }
    void start()
    {
        m_longest = 0;
        m_clock.start();
        m_timer.start();
    }
    qint64 stop()
    {
        m_timer.stop();
        return std::max(m_longest, m_clock.elapsed());
    }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_longest = 0;
};

// Answers every question the moment it shows; the busy indicator is left to run.
class AutoAnswer final : public QObject
{
public:
    AutoAnswer()
    {
        m_timer.setInterval(1);
        connect(&m_timer, &QTimer::timeout, this, [] {
            auto *dlg = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (dlg && dlg->isVisible() && !qobject_cast<CProgressDialog *>(dlg))
                dlg->accept();
        });
        m_timer.start();
    }

private:
    QTimer m_timer;
};

class Lan final
{
public:
    Lan(int nodes, int spreadMs)
    {
        if (!m_dir.isValid())
            die(QStringLiteral("no temporary folder"));
        m_record = m_dir.filePath(QStringLiteral("record.jsonl"));
        m_sim.setProgram(QStringLiteral(QV_NODESIM_PATH));
        m_sim.setArguments({"--decoders", QString::number(nodes - nodes / 2), "--encoders",
                            QString::number(nodes / 2), "--seed", QString::number(nodes), "--spread",
                            QString::number(spreadMs), "--record", m_record});
        m_sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_sim.start();
        bool ready = m_sim.waitForStarted(5000);
        QByteArray out;
        while (ready && !out.contains("ready")) {
            ready = m_sim.waitForReadyRead(60000);
            out += m_sim.readAll();
        }
        if (!ready)
            die(QStringLiteral("the simulator did not start for %1 nodes").arg(nodes));
    }
    ~Lan()
    {
        m_sim.terminate();
        m_sim.waitForFinished(5000);
    }
    // Commands of this code received, once count have come or 30 s have passed.
    int waitFor(int cmd, int count) const
    {
        QElapsedTimer clock;
        clock.start();
        int n = received(cmd);
        while (n < count && !clock.hasExpired(30000)) {
            QThread::msleep(50);
            n = received(cmd);
        }
        return n;
    }
    int received(int cmd) const
    {
        QFile f(m_record);
        if (!f.open(QIODevice::ReadOnly))
            return 0;
        int n = 0;
        for (const QByteArray &line : f.readAll().split('\n')) {
            if (!line.isEmpty() && QJsonDocument::fromJson(line).object().value("cmd").toInt() == cmd)
                ++n;
        }
        return n;
    }

private:
    QTemporaryDir m_dir;
    QString m_record;
    QProcess m_sim;
};

int listed()
{
    return CDecoderList::instance().nodes().size() + CEncoderList::instance().nodes().size();
}

struct Figures
{
    double ms = 0;
    qint64 stallMs = 0;
    long rssKb = 0;
};

template <typename Action>
Figures measure(StallMeter &meter, Action action)
{
    QApplication::processEvents();
    const long base = resetPeak();
    QElapsedTimer clock;
    meter.start();
    clock.start();
    action();
    Figures f;
    f.ms = clock.nsecsElapsed() / 1e6;
    f.stallMs = meter.stop();
    f.rssKb = statusKb("VmHWM:") - base;
    return f;
}

void print(const char *what, int nodes, const Figures &f, const QString &check)
{
    std::printf("%-22s %5d %10.0f %10lld %10.1f   %s\n", what, nodes, f.ms, static_cast<long long>(f.stallMs),
                f.rssKb / 1024.0, qPrintable(check));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Bench::requireNamespace("quorvane-bench-bulk");
    Bench::quietDebug();
    // The program's look, so the indicator and the table paint what they paint there.
    Q_INIT_RESOURCE(res);
    QFile qss(QStringLiteral(":/res/res/stylesheet/stylesheet.qss"));
    if (qss.open(QIODevice::ReadOnly))
        app.setStyleSheet(QString::fromUtf8(qss.readAll()));

    CDeviceManage hub;
    hub.resize(1366, 700);
    hub.show();
    AutoAnswer answers;
    StallMeter meter;
    CMainShowWidget *page = hub.mainShowWidget();

    CDeviceCtrlJob &job = *hub.job();
    std::printf("bulk commands as the hub runs them, click to done (the rescan after them is timed on its own)\n");
    std::printf("%-22s %5s %10s %10s %10s   %s\n", "command", "nodes", "ms", "stall ms", "+RSS MiB",
                "received by the nodes");
    for (const int n : {10, 100, 1000}) {
        Lan lan(n, 0);
        Bench::scanToEnd(hub);
        if (listed() != n)
            die(QStringLiteral("scan found %1 of %2 nodes").arg(listed()).arg(n));
        page->selectOrCancelAll(1);
        const SelectedNodeList selection = page->selectedNodeList();
        const sSelectedAddresses addresses = page->selectedAddresses();

        // The simulator works through a burst one datagram at a time (about 1 ms each at 1000
        // nodes); what it received is counted once it has caught up, outside the timing.
        Figures f = measure(meter, [&] {
            Bench::untilDone([&](auto done) { DeviceCommands::restart(job, selection, &hub, done); });
        });
        print("restart", n, f, QStringLiteral("1011 x %1").arg(lan.waitFor(1011, n)));

        f = measure(meter, [&] { Bench::scanToEnd(hub); });
        print("rescan", n, f, QStringLiteral("listed %1").arg(listed()));

        f = measure(meter, [&] {
            Bench::untilDone(
                [&](auto done) { DeviceCommands::switchType(job, *page->nodeListModel(), selection, &hub, done); });
        });
        print("type switch", n, f, QStringLiteral("1013 x %1").arg(lan.waitFor(1013, n)));

        // The plan counts up the last octet from the first node's address and ends at .254.
        const int planned = std::min(n, 254);
        f = measure(meter, [&] {
            Bench::untilDone([&](auto done) {
                DeviceCommands::configureNetwork(job, selection, addresses.selected.first(), addresses.mask,
                                                 addresses.gateway, &hub, done);
            });
        });
        print("consecutive addresses", n, f, QStringLiteral("1007 x %1").arg(lan.waitFor(1007, planned)));
    }

    {
        const int n = 2000;
        Lan lan(n, 2000);
        const Figures f = measure(meter, [&] { Bench::scanToEnd(hub); });
        print("scan, answers over 2 s", n, f, QStringLiteral("listed %1").arg(listed()));
        // The one part of a scan left on the GUI thread: filling the table from the stores.
        const Figures refresh = measure(meter, [&] { page->updateDeviceInfo(); });
        print("  table refresh alone", n, refresh, QStringLiteral("rows %1").arg(page->nodeListModel()->decoders().size()
                                                                             + page->nodeListModel()->encoders().size()));
    }
    std::printf("(stall: longest gap between ticks of a 2 ms timer on the GUI thread; a scan's time includes"
                " the busy indicator's %d ms after it)\n", hub.busyMs());
    return 0;
}

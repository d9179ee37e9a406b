// Firmware upgrade of simulated nodes through the upgrade dialog exactly as the
// program runs it, against as many parallel `curl -T` uploads of the same file to
// the same server: eight nodes with a large package, and a site of 100 nodes with
// a small one. Prints both aggregate upload throughputs, their ratio, the whole
// upgrade's time over the upload time, and the longest stall of the GUI thread's
// event loop. Then two sites whose nodes take long to flash (the simulator holds each
// answer back): 64 nodes x 20 s and 200 nodes x 60 s, where the whole upgrade must take
// little more than one flash plus the uploads. Runs only inside scripts/netns.sh.
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <curl/curl.h>
#include <memory>
#include <mutex>

#include "../common/benchsetup.h"
#include "comm/cobserverlist.h"
#include "comm/iobserver.h"
#include "dialog/cdeviceupdatewidget.h"
#include "dialog/guiresources.h"
#include "transfer/csftpclient.h"
#include "transfer/stransinfo.h"
#include "ui/cprogreslistitem.h"
#include "../common/stallmeter.h"

namespace {

[[noreturn]] void die(const QString &message)
{
    Bench::die("bench-upgrade", message);
}

// Notes when each successful upload ended (called on the transfer threads).
class CUploadClock final : public IObserver
{
public:
    void start()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_clock.start();
        m_ends = 0;
        m_lastEndMs = 0;
        m_failures = 0;
    }
    void onResult(int, void *, int, int) override {}
    void onTransProgress(const QString &, uint32_t) override {}
    void onTransEnd(const sTransAnswer *answer) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (answer->code == CURLE_OK) {
            ++m_ends;
            m_lastEndMs = m_clock.nsecsElapsed() / 1e6;
        } else {
            ++m_failures;
        }
    }
    double lastEndMs() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_lastEndMs;
    }
    int ends() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_ends;
    }
    int failures() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_failures;
    }

private:
    mutable std::mutex m_mutex;
    QElapsedTimer m_clock;
    int m_ends = 0;
    int m_failures = 0;
    double m_lastEndMs = 0;
};

void removeUploads(const QString &nodesDir, const QStringList &ips)
{
    for (const QString &ip : ips) {
        QDir dir(nodesDir + QLatin1Char('/') + ip + QStringLiteral("/userdata"));
        for (const QString &f : dir.entryList(QDir::Files))
            dir.remove(f);
    }
}

double curlRound(const QString &package, const QStringList &ips, const QString &nodesDir, qint64 size)
{
    std::vector<std::unique_ptr<QProcess>> uploads;
    QElapsedTimer clock;
    clock.start();
    for (const QString &ip : ips) {
        auto p = std::make_unique<QProcess>();
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        // -k: like the program, no host key check (there is no known_hosts entry).
        p->start(QStringLiteral("curl"),
                 {QStringLiteral("-sS"), QStringLiteral("-k"), QStringLiteral("-T"), package,
                  QStringLiteral("-u"), QStringLiteral("svc1:k7m2q"),
                  QStringLiteral("sftp://%1:22/userdata/curl_upload.bin").arg(ip)});
        uploads.push_back(std::move(p));
    }
    for (auto &p : uploads) {
        if (!p->waitForFinished(600000) || p->exitCode() != 0)
            die(QStringLiteral("curl upload failed"));
    }
    const double ms = clock.nsecsElapsed() / 1e6;
    for (const QString &ip : ips) {
        if (QFileInfo(nodesDir + QLatin1Char('/') + ip + QStringLiteral("/userdata/curl_upload.bin")).size() != size)
            die(QStringLiteral("curl upload of %1 incomplete").arg(ip));
    }
    return ms;
}

struct sAppRound
{
    double uploadMs = 0;
    double totalMs = 0;
    double stallMs = 0;
    double stallAtMs = 0;
};

sAppRound appRound(const QString &package, const QStringList &ips, const QString &nodesDir, qint64 size,
                   CUploadClock &uploadClock)
{
    SelectedNodeList nodes;
    for (const QString &ip : ips) {
        sSelectedNode n;
        n.id = 1;
        n.ip = ip.toUtf8();
        n.nodeType = DecoderNode;
        nodes.append(n);
    }
    CStallMeter stall;
    QElapsedTimer total;
    sAppRound round;
    {
        CDeviceUpdateWidget dialog;
        dialog.startUpdate(package, nodes);
        QObject::connect(&dialog, &CUpgradeWidget::startUpdateProgress, [&] { uploadClock.start(); });
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (dialog.finishedCount() == dialog.rowCount() || total.elapsed() > 600000)
                loop.quit();
        });
        stall.start();
        total.start();
        dialog.show();
        poll.start(20);
        loop.exec();
        round.stallMs = stall.stopMs();
        round.stallAtMs = stall.maxAtMs();
        round.totalMs = total.nsecsElapsed() / 1e6;
        round.uploadMs = uploadClock.lastEndMs();
        for (int i = 0; i < dialog.rowCount(); ++i) {
            if (dialog.row(i)->resultCode() != 1)
                die(QStringLiteral("row %1 ended with code %2").arg(i).arg(dialog.row(i)->resultCode()));
        }
        if (uploadClock.ends() != ips.size())
            die(QStringLiteral("%1 uploads ended well, %2 failed").arg(uploadClock.ends()).arg(uploadClock.failures()));
        dialog.onOkClicked();
    }
    for (const QString &ip : ips) {
        const QString landed = nodesDir + QLatin1Char('/') + ip + QStringLiteral("/userdata/")
                + QFileInfo(package).fileName();
        if (QFileInfo(landed).size() != size)
            die(QStringLiteral("package not on %1").arg(ip));
    }
    return round;
}

} // namespace

int main(int argc, char *argv[])
{
    Bench::gui("bench-upgrade");
    QApplication app(argc, argv);
    initGuiResources();
    installAppStyleSheet(app);
    // libcurl's own trace would drown the figures.
    Bench::quietDebug();
    csftpclient::setTransferTrace(false);

    QCommandLineParser p;
    p.addHelpOption();
    p.addOptions({
        {QStringLiteral("source"), QStringLiteral("Source folder (for scripts/lan-sshd.sh)."), QStringLiteral("dir"),
         QStringLiteral(QV_SOURCE_DIR)},
        {QStringLiteral("nodesim"), QStringLiteral("quorvane-nodesim."), QStringLiteral("path"),
         QStringLiteral(QV_NODESIM_PATH)},
        {QStringLiteral("nodes"), QStringLiteral("Simulated nodes (one run instead of both)."), QStringLiteral("n"), QStringLiteral("8")},
        {QStringLiteral("size-mib"), QStringLiteral("Package size (one run instead of both)."), QStringLiteral("MiB"), QStringLiteral("64")},
        {QStringLiteral("rounds"), QStringLiteral("Rounds of both kinds, alternating."), QStringLiteral("n"),
         QStringLiteral("2")},
        {QStringLiteral("flash-ms"), QStringLiteral("How long each node takes to flash before it answers (with --nodes/--size-mib)."),
         QStringLiteral("ms"), QStringLiteral("0")},
    });
    p.process(app);
    const int rounds = std::max(1, p.value(QStringLiteral("rounds")).toInt());
    // Default: the large-package run and the site run; --nodes/--size-mib pick one.
    struct sRun
    {
        int nodes;
        qint64 size;
        int flashMs;
    };
    std::vector<sRun> runs;
    if (p.isSet(QStringLiteral("nodes")) || p.isSet(QStringLiteral("size-mib")) || p.isSet(QStringLiteral("flash-ms")))
        runs.push_back({p.value(QStringLiteral("nodes")).toInt(), p.value(QStringLiteral("size-mib")).toLongLong() << 20,
                        p.value(QStringLiteral("flash-ms")).toInt()});
    else
        runs = {{8, qint64(64) << 20, 0}, {100, qint64(4) << 20, 0}, {64, qint64(1) << 20, 20000}, {200, qint64(1) << 20, 60000}};
    int maxNodes = 0;
    for (const sRun &run : runs) {
        if (run.nodes < 1 || run.nodes > 200 || run.size <= 0 || run.flashMs < 0)
            die(QStringLiteral("bad --nodes, --size-mib or --flash-ms"));
        maxNodes = std::max(maxNodes, run.nodes);
    }

    QStringList allIps;
    for (int i = 1; i <= maxNodes; ++i)
        allIps << QStringLiteral("127.0.1.%1").arg(i);


    QProcess sshd;
    sshd.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    sshd.start(p.value(QStringLiteral("source")) + QStringLiteral("/scripts/lan-sshd.sh"), allIps);
    if (!sshd.waitForReadyRead(60000))
        die(QStringLiteral("lan-sshd did not start"));
    const QString nodesDir = QString::fromLocal8Bit(sshd.readLine()).trimmed();

    // The simulator is started again whenever the flash time changes.
    QProcess sim;
    int simFlashMs = -1;
    const auto startSim = [&](int flashMs) {
        if (flashMs == simFlashMs)
            return;
        if (sim.state() != QProcess::NotRunning) {
            sim.closeWriteChannel();
            sim.waitForFinished(5000);
        }
        sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        sim.start(p.value(QStringLiteral("nodesim")),
                  {QStringLiteral("--decoders"), QString::number(maxNodes), QStringLiteral("--base"), allIps.first(),
                   QStringLiteral("--sftp-root"), nodesDir, QStringLiteral("--upgrade-delay"), QString::number(flashMs)});
        if (!sim.waitForReadyRead(30000) || !sim.readLine().startsWith("ready"))
            die(QStringLiteral("nodesim did not start"));
        simFlashMs = flashMs;
    };

    CUploadClock uploadClock;
    CObserverList::instance().add(&uploadClock);
    QTemporaryDir work;
    for (const sRun &run : runs) {
        const qint64 size = run.size;
        const int nodeCount = run.nodes;
        const QStringList ips = allIps.mid(0, nodeCount);
        startSim(run.flashMs);
        const QString package = work.filePath(QStringLiteral("vela_decoder_bench_%1.0.0.bin").arg(size >> 20));
        {
            QFile f(package);
            if (!f.open(QIODevice::WriteOnly))
                die(QStringLiteral("cannot write the package"));
            QByteArray block(1 << 20, Qt::Uninitialized);
            for (qint64 done = 0; done < size; done += block.size()) {
                QRandomGenerator::global()->fillRange(reinterpret_cast<quint32 *>(block.data()), block.size() / 4);
                f.write(block.constData(), std::min<qint64>(block.size(), size - done));
            }
        }

        const double megabytes = double(size) * nodeCount / (1 << 20);
        if (run.flashMs > 0) {
            // Only the whole upgrade counts here: one round, no curl comparison.
            const sAppRound app = appRound(package, ips, nodesDir, size, uploadClock);
            removeUploads(nodesDir, ips);
            const double goalMs = (run.flashMs + app.uploadMs) * 1.1;
            std::printf("upgrade bench: %d nodes x %lld MiB, each flashing %.0f s\n", nodeCount, size >> 20,
                        run.flashMs / 1000.0);
            std::printf("  uploads done after:       %8.1f s\n", app.uploadMs / 1000);
            std::printf("  whole upgrade:            %8.1f s   (goal <= flash + uploads + 10 %% = %.1f s%s)\n",
                        app.totalMs / 1000, goalMs / 1000,
                        nodeCount == 64 && run.flashMs == 20000 ? ", and <= 30 s" : "");
            std::printf("  longest GUI event-loop stall: %.1f ms\n", app.stallMs);
            std::fflush(stdout);
            QFile::remove(package);
            continue;
        }
        double bestCurl = 1e18, bestApp = 1e18, worstStall = 0, bestWholeOverUpload = 1e18;
        for (int r = 0; r < rounds; ++r) {
            const double curlMs = curlRound(package, ips, nodesDir, size);
            removeUploads(nodesDir, ips);
            const sAppRound app = appRound(package, ips, nodesDir, size, uploadClock);
            removeUploads(nodesDir, ips);
            std::printf("%d x %lld MiB round %d: curl -T %.0f ms (%.1f MiB/s), quorvane uploads %.0f ms (%.1f MiB/s), "
                        "whole upgrade %.0f ms, longest GUI stall %.1f ms (at %.0f ms)\n",
                        nodeCount, size >> 20, r + 1, curlMs, megabytes / (curlMs / 1000), app.uploadMs,
                        megabytes / (app.uploadMs / 1000), app.totalMs, app.stallMs, app.stallAtMs);
            std::fflush(stdout);
            bestCurl = std::min(bestCurl, curlMs);
            bestApp = std::min(bestApp, app.uploadMs);
            bestWholeOverUpload = std::min(bestWholeOverUpload, app.totalMs / app.uploadMs);
            worstStall = std::max(worstStall, app.stallMs);
        }
        const double curlRate = megabytes / (bestCurl / 1000);
        const double appRate = megabytes / (bestApp / 1000);
        std::printf("upgrade bench: %d nodes x %lld MiB, best of %d rounds\n", nodeCount, size >> 20, rounds);
        std::printf("  curl -T aggregate:        %8.1f MiB/s\n", curlRate);
        std::printf("  quorvane aggregate:       %8.1f MiB/s\n", appRate);
        std::printf("  ratio quorvane/curl:      %8.3f   (goal >= 0.9)\n", appRate / curlRate);
        std::printf("  whole upgrade / uploads:  %8.3f   (goal <= 1.5)\n", bestWholeOverUpload);
        std::printf("  longest GUI event-loop stall: %.1f ms   (goal < 50 ms)\n", worstStall);
        std::fflush(stdout);
        QFile::remove(package);
    }
    CObserverList::instance().remove(&uploadClock);

    sim.closeWriteChannel();
    sim.waitForFinished(5000);
    sshd.closeWriteChannel();
    sshd.waitForFinished(10000);
    return 0;
}

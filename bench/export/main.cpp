// Data export of a site through the export dialog exactly as the program runs it:
// 200 simulated nodes, 10 of them unreachable (a connect is never answered). Prints
// the time from start to the last row's result, the rows right and wrong (a row is
// right when it says "导出成功" exactly for the nodes whose file holds their data),
// the longest stall of the GUI thread's event loop and the peak RSS added.
// Runs only inside scripts/netns.sh.
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>

#include "../common/benchsetup.h"
#include "operations/cbulkrunner.h"
#include "comm/cdevicectrljob.h"
#include "dialog/cdataexportwidget.h"
#include "dialog/guiresources.h"
#include "ui/cprogreslistitem.h"
#include "../common/stallmeter.h"

namespace {

[[noreturn]] void die(const QString &message)
{
    Bench::die("bench-export", message);
}

QString rowText(QListWidget *list, int i)
{
    auto *row = qobject_cast<CProgressListItem *>(list->itemWidget(list->item(i)));
    return row ? row->resultLabel()->text() : QString();
}

} // namespace

int main(int argc, char *argv[])
{
    Bench::gui("bench-export");
    QApplication app(argc, argv);
    initGuiResources();
    installAppStyleSheet(app);
    Bench::quietDebug();

    QCommandLineParser p;
    p.addHelpOption();
    p.addOptions({
        {QStringLiteral("nodesim"), QStringLiteral("quorvane-nodesim."), QStringLiteral("path"),
         QStringLiteral(QV_NODESIM_PATH)},
        {QStringLiteral("nodes"), QStringLiteral("Simulated nodes."), QStringLiteral("n"), QStringLiteral("200")},
        {QStringLiteral("unreachable"), QStringLiteral("Of them unreachable, spread evenly."), QStringLiteral("n"),
         QStringLiteral("10")},
    });
    p.process(app);
    const int total = p.value(QStringLiteral("nodes")).toInt();
    const int unreachable = p.value(QStringLiteral("unreachable")).toInt();
    if (total < 1 || total > 2000 || unreachable < 0 || unreachable > total)
        die(QStringLiteral("bad --nodes or --unreachable"));

    QStringList holes;
    for (int i = 0; i < unreachable; ++i)
        holes << QString::number(i * total / std::max(1, unreachable));
    QTemporaryDir work;
    QProcess sim;
    sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QStringList args{QStringLiteral("--decoders"), QString::number(total - total / 2), QStringLiteral("--encoders"),
                     QString::number(total / 2), QStringLiteral("--state"), work.filePath(QStringLiteral("state.json"))};
    if (!holes.isEmpty())
        args << QStringLiteral("--fault") << QStringLiteral("unreachable@") + holes.join(QLatin1Char(','));
    sim.start(p.value(QStringLiteral("nodesim")), args);
    if (!sim.waitForReadyRead(60000) || !sim.readLine().startsWith("ready"))
        die(QStringLiteral("nodesim did not start"));
    QFile stateFile(work.filePath(QStringLiteral("state.json")));
    if (!stateFile.open(QIODevice::ReadOnly))
        die(QStringLiteral("no simulator state"));
    const QJsonArray nodes = QJsonDocument::fromJson(stateFile.readAll()).object().value("nodes").toArray();
    if (nodes.size() != total)
        die(QStringLiteral("simulator has %1 nodes").arg(nodes.size()));

    SelectedNodeList selection;
    for (const QJsonValue &v : nodes) {
        const QJsonObject n = v.toObject();
        selection.push_back(sSelectedNode{static_cast<int64_t>(n.value("id").toDouble()),
                                          n.value("ip").toString().toUtf8(), QByteArray(), n.value("type").toInt()});
    }

    const QString folder = work.filePath(QStringLiteral("export"));
    QDir().mkpath(folder);
    CDeviceCtrlJob job(nullptr);
    const qint64 rssBefore = procStatusKiB("VmRSS");
    CStallMeter stall;
    QElapsedTimer clock;
    double doneMs = 0;
    {
        CDataExportWidget dialog(&job);
        dialog.show();
        QApplication::processEvents();
        stall.start();
        clock.start();
        dialog.startExport(folder, selection);
        const double startMs = clock.nsecsElapsed() / 1e6;
        QListWidget *rows = dialog.rowList();
        QEventLoop loop;
        QTimer poll;
        double reachableDoneMs = 0;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            int final = 0;
            for (int i = 0; i < rows->count(); ++i)
                final += !rowText(rows, i).startsWith(QStringLiteral("正在"));
            if (reachableDoneMs == 0 && final >= total - unreachable)
                reachableDoneMs = clock.nsecsElapsed() / 1e6;
            if (final < total)
                return;
            doneMs = clock.nsecsElapsed() / 1e6;
            loop.quit();
        });
        QTimer::singleShot(120000, &loop, &QEventLoop::quit);
        poll.start(50);
        loop.exec();
        const double stallMs = stall.stopMs();
        const qint64 peakAdded = procStatusKiB("VmHWM") - rssBefore;
        if (doneMs == 0)
            die(QStringLiteral("rows not finished within 120 s"));

        int right = 0, wrong = 0;
        for (int i = 0; i < total; ++i) {
            const QJsonObject n = nodes.at(i).toObject();
            const QString file = QDir(folder).filePath((n.value("type").toInt() == 1 ? "de" : "en")
                                                       + n.value("ip").toString() + ".json");
            QFile f(file);
            const bool written = f.open(QIODevice::ReadOnly)
                && QJsonDocument::fromJson(f.readAll()).object().value("data").toString() == n.value("data").toString();
            const bool says = rowText(rows, i) == QStringLiteral("导出成功");
            const bool shouldSucceed = !holes.contains(QString::number(i));
            (says == written && written == shouldSucceed ? right : wrong)++;
        }
        std::printf("export bench: %d nodes, %d unreachable, in-flight limit %d\n", total, unreachable,
                    CBulkRunner().maxInFlight());
        std::printf("  start to last row:            %8.0f ms   (goal <= 8000 ms; rows set up in %.0f ms)\n", doneMs, startMs);
        std::printf("  first %d rows final at:       %8.0f ms\n", total - unreachable, reachableDoneMs);
        std::printf("  rows right / wrong:           %5d / %d   (goal 0 wrong)\n", right, wrong);
        std::printf("  longest GUI event-loop stall: %8.1f ms   (goal <= 50 ms, at %.0f ms)\n", stallMs, stall.maxAtMs());
        std::printf("  peak RSS added:               %8.1f MB\n", peakAdded / 1024.0);
        std::fflush(stdout);
        dialog.onOkClicked();
    }
    sim.closeWriteChannel();
    sim.waitForFinished(5000);
    return 0;
}

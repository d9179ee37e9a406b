// Refresh and fill of the node table model, and one full paint of the visible rows,
// for 100 and 1000 nodes. Goal: the 1000-node figure at most 12 times the 100-node one.
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "config/cappconfig.h"
#include "dialog/cmainshowwidget.h"
#include "dialog/cnodescanui/cnodetableview.h"
#include "dialog/guiresources.h"
#include "model/cdecoderlist.h"
#include "model/cencoderlist.h"
#include "model/cnodelistmodel.h"

namespace {

void fillStores(int count)
{
    CDecoderList::instance().clearNodes();
    CEncoderList::instance().clearNodes();
    for (int i = 0; i < count; ++i) {
        const QByteArray ip = "10.0." + QByteArray::number(i / 250) + "." + QByteArray::number(i % 250 + 1);
        const QByteArray mac = "3C:6A:2C:00:" + QByteArray::number(i / 256, 16).rightJustified(2, '0') + ":"
                               + QByteArray::number(i % 256, 16).rightJustified(2, '0');
        const QByteArray version = "V1." + QByteArray::number(i % 5) + ".0";
        if (i % 2 == 0) {
            sDecoderInfo d;
            d.id = 1000000 + i;
            d.ip = ip;
            d.macAddr = mac;
            d.name = "解码器-" + QByteArray::number(i);
            d.version = version;
            d.mode = i % 3;
            CDecoderList::instance().addNode(d);
        } else {
            sEncoderInfo e;
            e.id = 1000000 + i;
            e.ip = ip;
            e.macAddr = mac;
            e.name = "编码器-" + QByteArray::number(i);
            e.version = version;
            e.signalName = "Camera-" + QByteArray::number(i);
            CEncoderList::instance().addNode(e);
        }
    }
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Figures
{
    double refreshFillUs = 0;
    double paintUs = 0;
    int paintedRows = 0;
};

Figures measure(int count)
{
    fillStores(count);
    CMainShowWidget page;
    page.resize(1366, 700);
    page.show();
    page.updateDeviceInfo();
    QApplication::processEvents();
    CNodeListModel *model = page.nodeListModel();

    Figures f;
    std::vector<double> samples;
    for (int rep = 0; rep < 30; ++rep) {
        QElapsedTimer t;
        t.start();
        model->refreshSnapshot();
        model->fillItemModel(sNodeFilter());
        samples.push_back(t.nsecsElapsed() / 1000.0);
    }
    f.refreshFillUs = median(samples);

    page.updateDeviceInfo();
    QApplication::processEvents();
    QWidget *viewport = page.tableView()->viewport();
    QImage image(viewport->size(), QImage::Format_ARGB32_Premultiplied);
    samples.clear();
    for (int rep = 0; rep < 30; ++rep) {
        QElapsedTimer t;
        t.start();
        viewport->render(&image);
        samples.push_back(t.nsecsElapsed() / 1000.0);
    }
    f.paintUs = median(samples);
    f.paintedRows = qMin(count, (viewport->height() + 43) / 44);
    return f;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    initGuiResources();
    installAppStyleSheet(app);
    registerNodeMetaTypes();
    CAppConfig::instance()->setLanguage(QStringLiteral("CN"));

    measure(100); // warm-up: fonts, style sheet, SVG renderers
    const Figures small = measure(100);
    const Figures large = measure(1000);
    const double ratioFill = large.refreshFillUs / small.refreshFillUs;
    const double ratioPaint = large.paintUs / small.paintUs;

    std::printf("table model refresh + fill, 100 nodes:  %10.1f us\n", small.refreshFillUs);
    std::printf("table model refresh + fill, 1000 nodes: %10.1f us  (x%.1f)\n", large.refreshFillUs, ratioFill);
    std::printf("paint of %d visible rows, 100 nodes:    %10.1f us\n", small.paintedRows, small.paintUs);
    std::printf("paint of %d visible rows, 1000 nodes:   %10.1f us  (x%.1f)\n", large.paintedRows, large.paintUs,
                ratioPaint);
    const bool ok = ratioFill <= 12.0 && ratioPaint <= 12.0;
    std::printf("goal (1000-node figure at most 12 x the 100-node one): %s\n", ok ? "met" : "MISSED");
    return ok ? 0 : 1;
}

#include "guitestutil.h"

#include "ui/chorispacewidget.h"
#include "ui/gradienttextlabel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QtTest>

class TestResources : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { applyAppStyle(); }
    void namedResourcesExistAndRender_data();
    void namedResourcesExistAndRender();
    void styleSheetReferencesExist();
    void styledWindowScreenshot();
};

void TestResources::namedResourcesExistAndRender_data()
{
    QTest::addColumn<QString>("path");
    const char *paths[] = {
        ":/res/res/image/common/closedlg.svg", ":/res/res/image/common/delete_little.svg",
        ":/res/res/image/common/edit.svg", ":/res/res/image/common/edit_selected.svg",
        ":/res/res/image/common/retry.svg", ":/res/res/image/common/select_checked.svg",
        ":/res/res/image/common/select_normal.svg", ":/res/res/image/title/applogo.svg",
        ":/res/res/image/title/max.svg", ":/res/res/image/title/normal.svg",
    };
    for (const char *p : paths)
        QTest::newRow(p) << QString::fromLatin1(p);
    for (int i = 0; i < 6; ++i) {
        const QString p = QStringLiteral(":/res/res/image/wait/wait%1.svg").arg(i);
        QTest::newRow(qPrintable(p)) << p;
    }
}

void TestResources::namedResourcesExistAndRender()
{
    QFETCH(QString, path);
    QVERIFY2(QFile::exists(path), qPrintable(path));
    QSvgRenderer svg(path);
    QVERIFY(svg.isValid());
    QVERIFY(!svg.defaultSize().isEmpty());
}

void TestResources::styleSheetReferencesExist()
{
    QFile qss(QStringLiteral(":/res/res/stylesheet/stylesheet.qss"));
    QVERIFY(qss.open(QIODevice::ReadOnly));
    const QString sheet = QString::fromUtf8(qss.readAll());
    QVERIFY(!sheet.contains(QChar(0)));
    QCOMPARE(sheet.count(QLatin1Char('{')), sheet.count(QLatin1Char('}')));
    const QRegularExpression url(QStringLiteral("url\\((:/[^)]+)\\)"));
    int count = 0;
    for (auto it = url.globalMatch(sheet); it.hasNext(); ++count) {
        const QString path = it.next().captured(1);
        QVERIFY2(QFile::exists(path), qPrintable(path));
        QVERIFY2(QSvgRenderer(path).isValid(), qPrintable(path));
    }
    QVERIFY(count > 10);
}

void TestResources::styledWindowScreenshot()
{
    // A stand-in for the main window: title row, command row, a filtered table.
    QWidget window;
    window.setObjectName(QStringLiteral("MainWindow"));
    window.setStyleSheet(QStringLiteral("QWidget#MainWindow{background-color: #111111;}"
                                        "QWidget#titleRow, QWidget#menuRow{background-color: #2c2e33;}"));
    window.setAttribute(Qt::WA_StyledBackground);
    auto *outer = new QVBoxLayout(&window);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    auto *titleRow = new QWidget(&window);
    titleRow->setObjectName(QStringLiteral("titleRow"));
    titleRow->setAttribute(Qt::WA_StyledBackground);
    titleRow->setFixedHeight(48);
    auto *tl = new QHBoxLayout(titleRow);
    tl->setContentsMargins(12, 0, 0, 0);
    auto *logo = new QLabel(titleRow);
    logo->setObjectName(QStringLiteral("softImg"));
    logo->setFixedSize(32, 32);
    logo->setStyleSheet(QStringLiteral("#softImg{ image: url(:/res/res/image/title/applogo.svg); }"));
    tl->addWidget(logo);
    auto *title = new GradientTextLabel(QStringLiteral("分布式配置软件"), titleRow);
    QFont tf = title->font();
    tf.setPixelSize(18);
    tf.setWeight(75);
    title->setFont(tf);
    title->setFixedWidth(150);
    tl->addWidget(title);
    tl->addStretch();
    for (const char *name : {"pushButtonMore", "pushButtonMin", "pushButtonMax", "pushButtonClose"}) {
        auto *b = new QPushButton(titleRow);
        b->setObjectName(QString::fromLatin1(name));
        b->setFixedSize(40, 28);
        tl->addWidget(b);
    }
    outer->addWidget(titleRow);
    outer->addWidget(new CHoriSpaceWidget(&window));

    auto *menuRow = new QWidget(&window);
    menuRow->setObjectName(QStringLiteral("menuRow"));
    menuRow->setAttribute(Qt::WA_StyledBackground);
    menuRow->setFixedHeight(48);
    auto *ml = new QHBoxLayout(menuRow);
    ml->setContentsMargins(12, 6, 12, 6);
    ml->setSpacing(12);
    const char *commands[] = {"扫描节点", "类型切换", "网络配置", "设备升级", "设备重启", "恢复出厂设置", "数据导入"};
    for (const char *c : commands) {
        auto *b = new QPushButton(QString::fromUtf8(c), menuRow);
        b->setObjectName(QStringLiteral("pushButtonMenu"));
        b->setCheckable(true);
        b->setFixedHeight(28);
        ml->addWidget(b);
    }
    ml->itemAt(0)->widget()->setProperty("checked", true);
    ml->addStretch();
    outer->addWidget(menuRow);

    auto *header = new QWidget(&window);
    auto *hl = new QHBoxLayout(header);
    hl->setContentsMargins(24, 8, 24, 8);
    auto *all = new QCheckBox(QStringLiteral("全选"), header);
    hl->addWidget(all);
    auto *type = new QComboBox(header);
    type->setObjectName(QStringLiteral("tableBox"));
    type->addItems({QStringLiteral("所有类型"), QStringLiteral("解码节点"), QStringLiteral("编码节点")});
    hl->addWidget(type);
    hl->addStretch();
    outer->addWidget(header);

    auto *table = new QTableWidget(4, 4, &window);
    table->setHorizontalHeaderLabels({QStringLiteral("节点名称"), QStringLiteral("类型"), QStringLiteral("版本"),
                                      QStringLiteral("IP地址")});
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    table->setShowGrid(false);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    const char *rows[][4] = {{"会议室", "解码节点", "V1.2.3", "192.168.1.20"},
                             {"大厅屏幕", "解码节点", "V1.2.3", "192.168.1.21"},
                             {"摄像机 1", "编码节点", "V1.2.0", "192.168.1.30"},
                             {"摄像机 2", "编码节点", "V1.2.0", "192.168.1.31"}};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            table->setItem(r, c, new QTableWidgetItem(QString::fromUtf8(rows[r][c])));
    table->selectRow(1);
    outer->addWidget(table, 1);

    window.resize(760, 380);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    saveScreenshot(&window, QStringLiteral("styled_window"));
}

QTEST_MAIN(TestResources)
#include "tst_resources.moc"

// Every resource the code or the style sheet names is there, and every picture renders.
#include <QDirIterator>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QtTest>

namespace {
QString readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// Resource paths written out in the text; "%1" stands for each of 0..9.
QStringList named(const QString &text, const QRegularExpression &pattern)
{
    QStringList paths;
    for (auto it = pattern.globalMatch(text); it.hasNext();) {
        const QString path = it.next().captured(1);
        if (!path.contains(QLatin1String("%1"))) {
            paths << path;
            continue;
        }
        for (int i = 0; i < 10 && QFile::exists(QString(path).arg(i)); ++i)
            paths << QString(path).arg(i);
    }
    return paths;
}
} // namespace

class TestResources : public QObject
{
    Q_OBJECT

private slots:
    void namedResourcesExistAndPicturesRender()
    {
        QStringList paths;
        QDirIterator sources(QStringLiteral(QV_SOURCE_DIR "/src"), {QStringLiteral("*.cpp"), QStringLiteral("*.h")},
                             QDir::Files, QDirIterator::Subdirectories);
        while (sources.hasNext())
            paths << named(readAll(sources.next()), QRegularExpression(QStringLiteral("\"[^\"]*?(:/res/res/[^\")]+)")));
        const QString sheet = readAll(QStringLiteral(":/res/res/stylesheet/stylesheet.qss"));
        QVERIFY(!sheet.isEmpty());
        QCOMPARE(sheet.count(QLatin1Char('{')), sheet.count(QLatin1Char('}')));
        paths << named(sheet, QRegularExpression(QStringLiteral("url\\((:/[^)]+)\\)")));
        paths.removeDuplicates();
        QVERIFY(paths.size() > 20);
        for (const QString &path : qAsConst(paths))
            QVERIFY2(QFile::exists(path), qPrintable(path));

        int pictures = 0;
        QDirIterator images(QStringLiteral(":/res/res/image"), {QStringLiteral("*.svg")}, QDir::Files,
                            QDirIterator::Subdirectories);
        for (; images.hasNext(); ++pictures) {
            const QString path = images.next();
            QSvgRenderer svg(path);
            QVERIFY2(svg.isValid() && !svg.defaultSize().isEmpty(), qPrintable(path));
        }
        QVERIFY(pictures >= 16);
    }
};

QTEST_MAIN(TestResources)
#include "tst_resources.moc"

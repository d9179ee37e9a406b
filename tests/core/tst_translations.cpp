// The compiled catalogues against their .ts sources: every English entry comes out of the
// .qm as written in english_en.ts, and the Chinese catalogue carries the same entries, each
// mapping to itself.
#include <QCoreApplication>
#include <QFile>
#include <QTranslator>
#include <QXmlStreamReader>
#include <QtTest>

namespace
{
struct Entry
{
    QByteArray context;
    QByteArray source;
    QString translation;
};

QList<Entry> readTs(const QString &path)
{
    QList<Entry> entries;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return entries;
    QXmlStreamReader xml(&file);
    QByteArray context;
    Entry entry;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto name = xml.name();
        if (name == QLatin1String("name"))
            context = xml.readElementText().toUtf8();
        else if (name == QLatin1String("source"))
            entry.source = xml.readElementText().toUtf8();
        else if (name == QLatin1String("translation")) {
            entry.context = context;
            entry.translation = xml.readElementText();
            entries.append(entry);
        }
    }
    return xml.hasError() ? QList<Entry>() : entries;
}

QString built(const char *name)
{
    return QStringLiteral(QV_BUILD_DIR "/translate/") + QLatin1String(name) + QStringLiteral(".qm");
}

QString source(const char *name)
{
    return QStringLiteral(QV_SOURCE_DIR "/res/translate/") + QLatin1String(name) + QStringLiteral(".ts");
}
} // namespace

class TestTranslations final : public QObject
{
    Q_OBJECT

private slots:
    void catalogues()
    {
        QTranslator english;
        QTranslator chinese;
        QVERIFY2(english.load(built("english_en")), qPrintable(built("english_en")));
        QVERIFY2(chinese.load(built("chinese_cn")), qPrintable(built("chinese_cn")));
        const QList<Entry> en = readTs(source("english_en"));
        const QList<Entry> cn = readTs(source("chinese_cn"));
        QVERIFY(en.size() > 100);
        QCOMPARE(cn.size(), en.size());
        for (int i = 0; i < en.size(); ++i) {
            const Entry &e = en.at(i);
            const QString where = QString::fromUtf8(e.context + ' ' + e.source);
            QVERIFY2(!e.translation.isEmpty(), qPrintable(where));
            QCOMPARE(english.translate(e.context.constData(), e.source.constData()), e.translation);
            QVERIFY2(cn.at(i).context == e.context && cn.at(i).source == e.source, qPrintable(where));
            QCOMPARE(chinese.translate(e.context.constData(), e.source.constData()), QString::fromUtf8(e.source));
        }

        // Entries are per class: a text without one for its class stays as written.
        QVERIFY(QCoreApplication::installTranslator(&english));
        QCOMPARE(QCoreApplication::translate("CMessageDialog", "切换结果"), QStringLiteral("切换结果"));
        QCOMPARE(QCoreApplication::translate("CMainTitleBar", "是否重启设备？"), QStringLiteral("是否重启设备？"));
        QCoreApplication::removeTranslator(&english);
    }
};

QTEST_GUILESS_MAIN(TestTranslations)
#include "tst_translations.moc"

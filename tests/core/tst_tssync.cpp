// The translation sources must follow the code: lupdate over src/ may neither add a
// text (a tr() the translations do not know) nor drop one (an entry no code shows); and
// the compiled catalogues (built with the widget library) must say what the sources say.
#include <QtTest>

namespace
{
using Key = QPair<QString, QString>; // context, source text

Key key(const char *context, const char *source)
{
    return {QString::fromLatin1(context), QString::fromUtf8(source)};
}

// Texts the code shows through tr() on purpose without an entry: they stay as written.
const QSet<Key> &shownWithoutEntry()
{
    static const QSet<Key> keys{
        key("CMessageDialog", "切换结果"),
        // The title of the language submenu; the menu shows the "语言" action's text instead.
        key("CMainTitleBar", "子菜单"),
        // A technical term, the same in both languages.
        key("CEncoderSettingDlg", "USB"),
        // Caption of a file chooser on a page the dialog never shows.
        key("CNetConfigDlg", "标题"),
    };
    return keys;
}

// Entries kept although no literal in the code carries them.
const QSet<Key> &entriesWithoutLiteral()
{
    static const QSet<Key> keys{
        // The company name comes from the about dialog's owner data at run time.
        key("CAboutDialog", "欧凡塔视讯科技有限公司"),
        // Listed texts no widget carries: the restart question has only OK and Cancel, the
        // encoder's audio row reads "USB", the proxy dialog's OK reads "确定", and a type
        // switch reports through the switch-result box.
        key("CDeviceRestartDlg", "返回"),
        key("CEncoderSettingDlg", "音频输入"),
        key("CProxyLogLevel", "确认"),
        key("CTypeSwitchWidget", "切换成功的节点:"),
    };
    return keys;
}

// Shared bases translate in the context of the dialog that shows them.
const QHash<QString, QStringList> &contextsOfBase()
{
    static const QHash<QString, QStringList> bases{
        {QStringLiteral("CNodeSettingDlg"), {QStringLiteral("CDecoderSettingDlg"), QStringLiteral("CEncoderSettingDlg")}},
    };
    return bases;
}

struct TsFile
{
    QSet<Key> all;
    QSet<Key> live; // neither obsolete nor vanished
    QList<QPair<Key, QString>> entries; // in file order, with their translations
};

// Empty, or what went wrong.
QString readTs(const QString &path, TsFile *out)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return path + QStringLiteral(": ") + file.errorString();
    QXmlStreamReader xml(&file);
    QString context, source;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (xml.name() == QLatin1String("source")) {
            source = xml.readElementText();
        } else if (xml.name() == QLatin1String("translation")) {
            const QString type = xml.attributes().value(QLatin1String("type")).toString();
            out->entries.append({{context, source}, xml.readElementText()});
            out->all.insert({context, source});
            if (type != QLatin1String("obsolete") && type != QLatin1String("vanished"))
                out->live.insert({context, source});
        }
    }
    return xml.hasError() ? path + QStringLiteral(": ") + xml.errorString() : QString();
}

QString describe(const QSet<Key> &keys)
{
    QStringList lines;
    for (const Key &k : keys)
        lines << QStringLiteral("  ") + k.first + QStringLiteral(" / ") + k.second;
    lines.sort();
    return lines.join(QLatin1Char('\n'));
}

QString tsPath(const QString &name)
{
    return QStringLiteral(QV_SOURCE_DIR "/res/translate/") + name + QStringLiteral(".ts");
}
} // namespace

class TestTsSync final : public QObject
{
    Q_OBJECT

    QTemporaryDir m_tmp;

private slots:
    void initTestCase()
    {
        QVERIFY(m_tmp.isValid());
        QStringList args{QStringLiteral("-locations"), QStringLiteral("none"), QStringLiteral(QV_SOURCE_DIR "/src"),
                         QStringLiteral("-ts")};
        for (const char *name : {"english_en", "chinese_cn"}) {
            const QString copy = m_tmp.filePath(QLatin1String(name) + QStringLiteral(".ts"));
            QVERIFY(QFile::copy(tsPath(QLatin1String(name)), copy));
            QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
            args << copy;
        }
        QProcess lupdate;
        lupdate.setProcessChannelMode(QProcess::MergedChannels);
        lupdate.start(QStringLiteral(QV_LUPDATE), args);
        QVERIFY2(lupdate.waitForFinished(120000), qPrintable(lupdate.errorString()));
        const QString log = QString::fromUtf8(lupdate.readAll());
        QVERIFY2(lupdate.exitStatus() == QProcess::NormalExit && lupdate.exitCode() == 0, qPrintable(log));
        // tr() in a class without Q_OBJECT looks its text up under "QObject" at run time, so
        // the entry lupdate files under the class name would never be found.
        QVERIFY2(!log.contains(QLatin1String("lacks Q_OBJECT")), qPrintable(log));
    }

    void lupdateAddsAndDropsNothing()
    {
        for (const QString &name : {QStringLiteral("english_en"), QStringLiteral("chinese_cn")}) {
            TsFile before, after;
            QCOMPARE(readTs(tsPath(name), &before), QString());
            QCOMPARE(readTs(m_tmp.filePath(name + QStringLiteral(".ts")), &after), QString());
            QCOMPARE(before.all.size(), before.entries.size()); // no text twice in one context
            QCOMPARE(before.live, before.all);            // nothing kept as obsolete

            // What the code shows, with a shared base's texts in each of its dialogs' contexts.
            QSet<Key> shown;
            for (const Key &k : qAsConst(after.live)) {
                const auto base = contextsOfBase().constFind(k.first);
                if (base == contextsOfBase().constEnd()) {
                    shown.insert(k);
                    continue;
                }
                for (const QString &context : *base)
                    shown.insert({context, k.second});
            }

            const QSet<Key> added = shown - before.all - shownWithoutEntry();
            const QSet<Key> dropped = before.all - shown - entriesWithoutLiteral();
            // QVERIFY2 cuts long messages: the lists go to the log whole.
            if (!added.isEmpty())
                qWarning().noquote() << "texts in the code without an entry:\n" + describe(added);
            if (!dropped.isEmpty())
                qWarning().noquote() << "entries no code shows:\n" + describe(dropped);
            QVERIFY(added.isEmpty());
            QVERIFY(dropped.isEmpty());

            // The exceptions must stay true, or they would hide a later mistake.
            const QSet<Key> staleShown = shownWithoutEntry() - (shown - before.all);
            QVERIFY2(staleShown.isEmpty(), qPrintable(QStringLiteral("no longer shown, or given an entry:\n") + describe(staleShown)));
            const QSet<Key> staleKept = entriesWithoutLiteral() - (before.all - shown);
            QVERIFY2(staleKept.isEmpty(), qPrintable(QStringLiteral("missing, or now found in the code:\n") + describe(staleKept)));
        }
    }

    // The compiled catalogues: every English entry comes out of the .qm as written in the
    // .ts, and the Chinese catalogue carries the same entries, each mapping to itself.
    void compiledCatalogues()
    {
        QTranslator english, chinese;
        const QString dir = QStringLiteral(QV_BUILD_DIR "/translate/");
        QVERIFY2(english.load(dir + QStringLiteral("english_en.qm")), qPrintable(dir));
        QVERIFY2(chinese.load(dir + QStringLiteral("chinese_cn.qm")), qPrintable(dir));
        TsFile en, cn;
        QCOMPARE(readTs(tsPath(QStringLiteral("english_en")), &en), QString());
        QCOMPARE(readTs(tsPath(QStringLiteral("chinese_cn")), &cn), QString());
        QVERIFY(en.entries.size() > 100);
        QCOMPARE(cn.entries.size(), en.entries.size());
        for (int i = 0; i < en.entries.size(); ++i) {
            const Key &k = en.entries.at(i).first;
            const QByteArray context = k.first.toUtf8(), source = k.second.toUtf8();
            const QString where = k.first + QLatin1Char(' ') + k.second;
            QVERIFY2(!en.entries.at(i).second.isEmpty(), qPrintable(where));
            QCOMPARE(english.translate(context.constData(), source.constData()), en.entries.at(i).second);
            QVERIFY2(cn.entries.at(i).first == k, qPrintable(where));
            QCOMPARE(chinese.translate(context.constData(), source.constData()), k.second);
        }
    }

};

QTEST_GUILESS_MAIN(TestTsSync)
#include "tst_tssync.moc"

#include "dialog/guiresources.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QTranslator>

void initGuiResources()
{
    Q_INIT_RESOURCE(res);
#ifdef QV_HAS_TRANSLATIONS
    Q_INIT_RESOURCE(translate);
#endif
}

bool installAppStyleSheet(QApplication &app)
{
    QFile file(QStringLiteral(":/res/res/stylesheet/stylesheet.qss"));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray bytes = file.readAll();
    const int zero = bytes.indexOf('\0');
    if (zero >= 0)
        bytes.truncate(zero);
    app.setStyleSheet(QString::fromUtf8(bytes));
    file.close();
    return true;
}

bool setQtLanguage(const QString &lang)
{
    // Lives as long as the application: installed translators must not go away under it.
    static QTranslator *qt = nullptr;
    if (qt) {
        QCoreApplication::removeTranslator(qt);
        delete qt;
        qt = nullptr;
    }
    if (lang != QLatin1String("CN"))
        return true;
    auto *loaded = new QTranslator;
    const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("translations"));
    for (const QString &folder : {beside, QLibraryInfo::location(QLibraryInfo::TranslationsPath)}) {
        if (loaded->load(QStringLiteral("qt_zh_CN"), folder)
            || loaded->load(QStringLiteral("qtbase_zh_CN"), folder)) {
            qt = loaded;
            QCoreApplication::installTranslator(qt);
            return true;
        }
    }
    delete loaded;
    return false;
}

#include "model/nodenames.h"

#include <QCoreApplication>
#include <QMutex>
#include <QMutexLocker>
#include <QTranslator>

namespace {

const char kContext[] = "NodeNames";

const char *const kTypes[] = {
    QT_TRANSLATE_NOOP("NodeNames", "所有类型"),
    QT_TRANSLATE_NOOP("NodeNames", "解码节点"),
    QT_TRANSLATE_NOOP("NodeNames", "编码节点"),
};
const char *const kModes[] = {
    QT_TRANSLATE_NOOP("NodeNames", "大屏"),
    QT_TRANSLATE_NOOP("NodeNames", "坐席"),
    QT_TRANSLATE_NOOP("NodeNames", "矩阵"),
};
const char kAllModes[] = QT_TRANSLATE_NOOP("NodeNames", "所有模式");
const char kAllVersions[] = QT_TRANSLATE_NOOP("NodeNames", "所有版本");

// The English resource, loaded on first use; tried again while the resources are not registered.
QString english(const char *context, const char *source)
{
    static QMutex mutex;
    static QTranslator *translator = nullptr;
    QMutexLocker lock(&mutex);
    if (!translator) {
        auto *t = new QTranslator; // lives to the end of the process, like the application's own
        if (!t->load(QStringLiteral(":/res/res/translate/english_en.qm"))) {
            delete t;
            return QString();
        }
        translator = t;
    }
    return translator->translate(context, source);
}

QString translated(const char *source, const QString &lang)
{
    return NodeNames::textIn(kContext, source, lang);
}

} // namespace

namespace NodeNames {

QString textIn(const char *context, const char *source, const QString &lang)
{
    if (lang.isEmpty())
        return QCoreApplication::translate(context, source);
    if (lang == QLatin1String("EN")) {
        const QString text = english(context, source);
        if (!text.isEmpty())
            return text;
    }
    return QString::fromUtf8(source);
}

QString typeName(int type, const QString &lang)
{
    if (type < 0 || type > 2)
        return QString();
    return translated(kTypes[type], lang);
}

QString modeName(int mode, const QString &lang)
{
    if (mode < 0 || mode >= ModeCount)
        return QString();
    return translated(kModes[mode], lang);
}

QString allModesName(const QString &lang) { return translated(kAllModes, lang); }
QString allVersionsName(const QString &lang) { return translated(kAllVersions, lang); }

} // namespace NodeNames

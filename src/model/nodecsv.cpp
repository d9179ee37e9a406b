#include "model/nodecsv.h"

#include <QCoreApplication>

#include "model/nodenames.h"
#include "platform/filesafety.h"

namespace {

const char *const kHeader[] = {
    QT_TRANSLATE_NOOP("NodeCsv", "序号"),     QT_TRANSLATE_NOOP("NodeCsv", "节点名称"),
    QT_TRANSLATE_NOOP("NodeCsv", "类型"),     QT_TRANSLATE_NOOP("NodeCsv", "信号源名称"),
    QT_TRANSLATE_NOOP("NodeCsv", "版本"),     QT_TRANSLATE_NOOP("NodeCsv", "模式"),
    QT_TRANSLATE_NOOP("NodeCsv", "IP地址"),   QT_TRANSLATE_NOOP("NodeCsv", "MAC地址"),
    QT_TRANSLATE_NOOP("NodeCsv", "子网掩码"), QT_TRANSLATE_NOOP("NodeCsv", "网关"),
    QT_TRANSLATE_NOOP("NodeCsv", "型号"),     QT_TRANSLATE_NOOP("NodeCsv", "ID"),
};

QByteArray field(const QString &text)
{
    QString value = text;
    // Names come from the nodes: a leading = + - @ would run as a formula in a spreadsheet.
    static const QString kFormulaStart = QStringLiteral("=+-@\t\r");
    if (!value.isEmpty() && kFormulaStart.contains(value.at(0)))
        value.prepend(QLatin1Char('\''));
    // ';' separates cells where a spreadsheet reads the file with a semicolon list separator.
    const bool quote = value.contains(QLatin1Char(',')) || value.contains(QLatin1Char(';')) || value.contains(QLatin1Char('"'))
        || value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r'));
    if (!quote)
        return value.toUtf8();
    value.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return '"' + value.toUtf8() + '"';
}

void appendLine(QByteArray &out, const QStringList &fields)
{
    out += NodeCsv::line(fields);
}

} // namespace

namespace NodeCsv {

QByteArray line(const QStringList &fields)
{
    QByteArray out;
    for (int i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += ',';
        out += field(fields.at(i));
    }
    out += "\r\n";
    return out;
}

QByteArray toCsv(const QVector<sListedNode> &nodes, const QString &lang, bool withBom)
{
    QByteArray out;
    if (withBom)
        out += "\xEF\xBB\xBF";
    QStringList header;
    for (const char *title : kHeader)
        header << NodeNames::textIn("NodeCsv", title, lang);
    appendLine(out, header);

    int number = 0;
    for (const sListedNode &node : nodes) {
        const sDeviceInfo &info = node.info;
        const bool decoder = info.nodeType == DecoderNode;
        QString mode;
        if (decoder) {
            mode = NodeNames::modeName(node.mode, lang);
            if (mode.isEmpty())
                mode = QString::number(node.mode); // no name for it: the value as sent
        }
        appendLine(out, {QString::number(++number), QString::fromUtf8(info.name),
                         NodeNames::typeName(info.nodeType, lang), QString::fromUtf8(node.signalName),
                         QString::fromUtf8(info.version), mode, QString::fromUtf8(info.ip),
                         QString::fromUtf8(info.macAddr), QString::fromUtf8(info.mask),
                         QString::fromUtf8(info.getway), QString::number(info.model), QString::number(info.id)});
    }
    return out;
}

bool writeFile(const QString &path, const QByteArray &bytes, QString *error)
{
    return Platform::writeFileWhole(path, bytes, Platform::FileAccess::Shared, error);
}

sListedNode listed(const sDecoderInfo &decoder)
{
    sListedNode node;
    node.info = decoder;
    node.info.nodeType = DecoderNode;
    node.mode = decoder.mode;
    return node;
}

sListedNode listed(const sEncoderInfo &encoder)
{
    sListedNode node;
    node.info = encoder;
    node.info.nodeType = EncoderNode;
    node.signalName = encoder.signalName;
    return node;
}

} // namespace NodeCsv

#include "simframe.h"

#include <QJsonDocument>
#include <QtEndian>

namespace SimFrame {

QByteArray pack(quint16 cmd, const QByteArray &payload, quint32 lengthField)
{
    QByteArray out(kHeaderSize, '\0');
    const quint32 length = lengthField ? lengthField : quint32(kHeaderSize + payload.size());
    qToLittleEndian<quint16>(cmd, out.data());
    qToLittleEndian<quint16>(0, out.data() + 2);
    qToLittleEndian<quint32>(length, out.data() + 4);
    out += payload;
    return out;
}

QByteArray packAnswer(quint16 cmd, const QJsonObject &data, int res)
{
    QJsonObject envelope;
    envelope.insert(QStringLiteral("res"), res);
    envelope.insert(QStringLiteral("data"), data);
    return pack(cmd, QJsonDocument(envelope).toJson(QJsonDocument::Indented));
}

QByteArray packBinary32(quint16 cmd, quint32 value)
{
    QByteArray body(4, '\0');
    qToLittleEndian<quint32>(value, body.data());
    return pack(cmd, body);
}

bool readHeader(const QByteArray &bytes, Header *header)
{
    if (bytes.size() < kHeaderSize)
        return false;
    header->cmd = qFromLittleEndian<quint16>(bytes.constData());
    header->reserved = qFromLittleEndian<quint16>(bytes.constData() + 2);
    header->length = qFromLittleEndian<quint32>(bytes.constData() + 4);
    return true;
}

static QByteArray cString(const char *p, int size)
{
    int n = 0;
    while (n < size && p[n] != '\0')
        ++n;
    return QByteArray(p, n);
}

bool decodeUpgrade(const QByteArray &body, UpgradeCmd *cmd)
{
    if (body.size() != kUpgradeBodySize)
        return false;
    const char *p = body.constData();
    cmd->lead = static_cast<unsigned char>(p[0]);
    cmd->upgradeType = qFromLittleEndian<quint32>(p + 1);
    cmd->packageKind = qFromLittleEndian<quint32>(p + 5);
    cmd->version = cString(p + 9, 16);
    cmd->md5 = QByteArray(p + 25, 32);
    cmd->fileName = cString(p + 57, 128);
    cmd->tailZero = true;
    for (int i = 185; i < kUpgradeBodySize; ++i)
        cmd->tailZero = cmd->tailZero && p[i] == '\0';
    return true;
}

QJsonObject UpgradeCmd::toJson() const
{
    QJsonObject o;
    o.insert(QStringLiteral("lead"), lead);
    o.insert(QStringLiteral("upgradeType"), qint64(upgradeType));
    o.insert(QStringLiteral("packageKind"), qint64(packageKind));
    o.insert(QStringLiteral("version"), QString::fromUtf8(version));
    o.insert(QStringLiteral("md5"), QString::fromLatin1(md5));
    o.insert(QStringLiteral("fileName"), QString::fromUtf8(fileName));
    o.insert(QStringLiteral("tailZero"), tailZero);
    return o;
}

} // namespace SimFrame

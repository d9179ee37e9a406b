#include "dialog/cnodescanui/cnodetabledelegate.h"

#include <QPainter>
#include <QSvgRenderer>

#include "model/cnodelistmodel.h"
#include "model/nodenames.h"
#include "model/plaintext.h"

CNodeTableDelegate::CNodeTableDelegate(QObject *parent)
    : QStyledItemDelegate(parent)
    , m_checked(new QSvgRenderer(QStringLiteral(":/res/res/image/common/select_checked.svg"), this))
    , m_normal(new QSvgRenderer(QStringLiteral(":/res/res/image/common/select_normal.svg"), this))
{
}

QString CNodeTableDelegate::typeText(const sDeviceInfo &info) const
{
    if (info.nodeType == DecoderNode || info.nodeType == EncoderNode)
        return NodeNames::typeName(info.nodeType);
    return QStringLiteral("-");
}

QString CNodeTableDelegate::signalText(const sDeviceInfo &info) const
{
    if (info.nodeType != EncoderNode)
        return tr("无");
    const sEncoderInfo *encoder = m_model ? m_model->encoderById(info.id) : nullptr;
    if (!encoder || encoder->signalName.isEmpty())
        return QStringLiteral("-");
    return QString::fromUtf8(encoder->signalName);
}

QString CNodeTableDelegate::modeText(const sDeviceInfo &info) const
{
    if (info.nodeType != DecoderNode)
        return tr("无");
    const sDecoderInfo *decoder = m_model ? m_model->decoderById(info.id) : nullptr;
    if (!decoder)
        return QStringLiteral("-");
    const QString name = NodeNames::modeName(decoder->mode);
    // No name exists for it: show the raw value rather than pretend.
    return name.isEmpty() ? QString::number(decoder->mode) : name;
}

QColor CNodeTableDelegate::ipColor(int conflictState)
{
    switch (conflictState) {
    case 1:
        return QColor(0xff, 0xc6, 0x32);
    case 2:
        return QColor(0xff, 0x33, 0x33);
    default:
        return QColor(0xdd, 0xdd, 0xdd);
    }
}

void CNodeTableDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const sDeviceInfo info = index.data(CNodeListModel::NodeRole).value<sDeviceInfo>();
    const QRect r = option.rect;
    // A node that stopped answering is listed greyed, without a check mark, for one more refresh.
    const bool gone = m_model && m_model->isGone(info.id);

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->fillRect(r, QColor(0x11, 0x11, 0x11));
    if (info.id == m_highlightedId && m_highlightedId != 0) {
        const QRect inner = r.adjusted(1, 1, -1, -1);
        if (m_highlightRadius > 0) {
            painter->setPen(Qt::NoPen);
            painter->setBrush(QColor(0x41, 0x45, 0x50));
            painter->drawRoundedRect(inner, m_highlightRadius, m_highlightRadius);
        } else {
            painter->fillRect(inner, QColor(0x41, 0x45, 0x50));
        }
    }
    painter->setPen(QColor(0x2c, 0x2e, 0x33));
    painter->drawLine(r.bottomLeft(), r.bottomRight());

    const QRect check(r.left() + LeftMargin, r.top() + (r.height() - CheckSize) / 2, CheckSize, CheckSize);
    // The model keeps the marks; the row's own copy is never consulted.
    QSvgRenderer *mark = m_model && m_model->isSelected(info.id) ? m_checked : m_normal;
    if (mark->isValid() && !gone) {
        painter->setRenderHint(QPainter::Antialiasing, true);
        mark->render(painter, check);
    }

    painter->setPen(gone ? QColor(0x6a, 0x6d, 0x73) : QColor(Qt::white));
    const QFontMetrics fm(option.font);
    painter->setFont(option.font);
    const auto text = [&](int x, int w, const QString &s) {
        if (w <= 0)
            return;
        painter->drawText(QRect(x, r.top(), w, r.height()), Qt::AlignLeft | Qt::AlignVCenter,
                          fm.elidedText(PlainText::singleLine(s), Qt::ElideRight, w));
    };

    text(r.left() + LeftMargin + 6 + CheckSize, FirstColumnWidth - CheckSize - 6, QString::number(index.row() + 1));

    const int c = (r.width() - FirstColumnWidth - LeftMargin - RightMargin - ColumnGap) / 6 - ColumnGap;
    int x = r.left() + LeftMargin + FirstColumnWidth + ColumnGap;
    const QString columns[5] = {QString::fromUtf8(info.name), typeText(info), signalText(info),
                                QString::fromUtf8(info.version), modeText(info)};
    for (const QString &s : columns) {
        text(x, c, s);
        x += c + ColumnGap;
    }
    QColor ipPen = ipColor(info.conflictState);
    // An address no command goes to, or an id another address also reports, stands out
    // from the IP and MAC conflicts; the row's tooltip says which.
    if (info.addrMarks & AddrInvalid)
        ipPen = QColor(0xb0, 0x5c, 0xff);
    else if (info.addrMarks & AddrIdConflict)
        ipPen = QColor(0xff, 0x6e, 0x1e);
    else if ((info.addrMarks & AddrSenderDiffers) && info.conflictState == 0)
        ipPen = QColor(0x4f, 0xc3, 0xf7);
    painter->setPen(gone ? QColor(0x6a, 0x6d, 0x73) : ipPen);
    text(x, c, QString::fromUtf8(info.ip));
    painter->restore();
}

QSize CNodeTableDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    return QSize(option.rect.width(), RowHeight);
}

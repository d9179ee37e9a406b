#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

#include "model/cnodelistmodel.h"

// The node list as CSV: the table's columns, then MAC, mask, gateway, model and id.
// The window's export and the command line's scan --csv write the same bytes.
namespace NodeCsv {

// lang "CN" or "EN" names the header, types and modes; withBom starts with the UTF-8
// byte-order mark so spreadsheet programs read Chinese right. Lines end in CRLF.
QByteArray toCsv(const QVector<sListedNode> &nodes, const QString &lang, bool withBom);

// One line of cells as the list export writes them (quoted where a ',' ';' '"' or line break is in
// a cell, a leading formula character defused), ending in CRLF: for other lists the program saves.
QByteArray line(const QStringList &fields);

// Writes bytes to path atomically: the old file stays whole until the new one is complete.
bool writeFile(const QString &path, const QByteArray &bytes, QString *error = nullptr);

// Rows for callers that hold store records instead of the table's model.
sListedNode listed(const sDecoderInfo &decoder);
sListedNode listed(const sEncoderInfo &encoder);

} // namespace NodeCsv

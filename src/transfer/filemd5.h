#pragma once

#include <QByteArray>

// MD5 of a file as 32 lower-case hex characters. path is UTF-8; false when the
// file cannot be opened (out unchanged).
bool fileMd5(const QByteArray &path, QByteArray &out);

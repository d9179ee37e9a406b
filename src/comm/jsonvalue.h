#pragma once

#include <QByteArray>
#include <QJsonValue>
#include <cmath>
#include <cstdint>
#include <limits>

// The codec's value conversions: a member that is absent or of the wrong type reads
// as the zero value of its kind.
namespace JsonValue {

inline int toInt(const QJsonValue &v)
{
    return v.toInt(0);
}

// Numbers travel as doubles: truncate toward zero, clamped so that a huge or
// non-finite value cannot overflow the conversion.
inline int64_t toInt64(const QJsonValue &v)
{
    const double d = v.toDouble(0.0);
    if (!std::isfinite(d))
        return 0;
    if (d >= 9223372036854775807.0)
        return std::numeric_limits<int64_t>::max();
    if (d <= -9223372036854775808.0)
        return std::numeric_limits<int64_t>::min();
    return int64_t(d);
}

inline float toFloat(const QJsonValue &v)
{
    const double d = v.toDouble(0.0);
    if (!std::isfinite(d) || std::fabs(d) > double(std::numeric_limits<float>::max()))
        return 0.0f;
    return float(d);
}

inline bool toBool(const QJsonValue &v)
{
    return v.toBool(false);
}

inline QByteArray toUtf8(const QJsonValue &v)
{
    return v.toString().toUtf8();
}

} // namespace JsonValue

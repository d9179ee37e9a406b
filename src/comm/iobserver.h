#pragma once

#include <QString>
#include <cstdint>

struct sTransAnswer;

// Receives every parsed answer and every transfer event. Records passed by
// pointer live only for the duration of the call.
class IObserver
{
public:
    virtual ~IObserver() = default;
    // nodeType is 1 or 2 for scan answers and -1 otherwise.
    virtual void onResult(int cmdType, void *record, int result, int nodeType) = 0;
    virtual void onTransEnd(const sTransAnswer *answer) = 0;
    virtual void onTransProgress(const QString &ip, uint32_t finishedSize) = 0;
};

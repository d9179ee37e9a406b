#pragma once

#include "model/cnodestore.h"

class CDecoderList final : public CNodeStore<sDecoderInfo, DecoderNode>
{
public:
    static CDecoderList &instance();

private:
    CDecoderList() = default;
    Q_DISABLE_COPY_MOVE(CDecoderList)
};

#pragma once

#include "model/cnodestore.h"

class CEncoderList final : public CNodeStore<sEncoderInfo, EncoderNode>
{
public:
    static CEncoderList &instance();

    // The nearest of 24, 25, 30, 59.94, 60; a tie goes to the earlier step.
    static float snapFrameRate(float rate);

private:
    CEncoderList() = default;
    Q_DISABLE_COPY_MOVE(CEncoderList)
    void prepare(sEncoderInfo &record) const override { record.frameRate = snapFrameRate(record.frameRate); }
};

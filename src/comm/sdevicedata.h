#pragma once

#include <QByteArray>
#include <cstdint>

// One node's data as exported from it and imported into it.
struct sDeviceData
{
    int64_t id = 0;
    QByteArray ip;
    int type = 0; // ENodeType
    int model = 0;
    int mainVer = 0;
    int majorVer = 0;
    int minorVer = 0;
    QByteArray data; // the node's configuration, opaque to the tool
};

// One node's answer to a data import.
struct sImportDataRes
{
    int result = 0;
    QByteArray ip;
    QByteArray name;
};

// A node's upgrade answer (14501) or progress (14502), with the address of its link.
struct sUpdateRes
{
    QByteArray ip;
    uint32_t value = 0;
};

// The GUID of the Windows SDK's <guiddef.h>, for a host built without the SDK: 16 bytes, as
// Microsoft's compiler lays them out (unsigned long is 32 bits there).
#pragma once

#ifndef GUID_DEFINED
#define GUID_DEFINED
typedef struct _GUID
{
    unsigned long Data1;
    unsigned short Data2;
    unsigned short Data3;
    unsigned char Data4[8];
} GUID;
#endif

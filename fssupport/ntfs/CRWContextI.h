// What an attribute needs to read its value: the MFT, the volume and the raw disk.
#pragma once

class CHardDriveIO;
class CNtfsMFT;
class CNtfsVolume;

class CRWContextI {
public:
    virtual CNtfsMFT* GetMFT() = 0;
    virtual CNtfsVolume* GetVolume() = 0;
    virtual CHardDriveIO* GetDriveIO() = 0;
    virtual ~CRWContextI() {}
};

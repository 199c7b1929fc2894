// A block of a disk panel whose lengths the panel sets from MB values.
#pragma once

class IDeviceBlock {
public:
    virtual ~IDeviceBlock() {}
    virtual void SetMainWindowBlockLength(double before, double size, double after) = 0;
    virtual int GetBloclActive() = 0;
};

// Told after every check change and cursor key of the restore volume list, with the
// number of rows under the disk concerned.
#pragma once

class ISectorBySectorInterface {
public:
    virtual ~ISectorBySectorInterface() {}
    virtual void RestoreInfoListRowChangedCallBack(int rows) = 0;
};

// Told by the explorer each time its selected row changes.
#pragma once

class IListCallBack {
public:
    virtual ~IListCallBack() = default;
    virtual void RowChangeCallBack() = 0;
};

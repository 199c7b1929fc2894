#include "CDeviceBlock.h"

int IsCurrentSystemPath(int, int, ITasque*)
{
    return 0;
}

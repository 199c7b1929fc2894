#include "StartPageLayout.h"

void StartPagePictures(int x, int y, int width, int height, PicturePlace (&out)[3])
{
    out[0] = {"../res/mainlog.png", x, y};
    out[1] = {"../res/namelog.png", x + width - 185, y + height - 33};
    out[2] = {"../res/smalllog.png", x + width - 64, 5};
}

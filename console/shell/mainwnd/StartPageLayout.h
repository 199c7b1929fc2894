// Where the start page paints its three pictures, from the page box's allocation.
#pragma once

struct PicturePlace {
    const char* path;
    int x;
    int y;
};

// The logo at the box's origin, the name at the bottom right corner, the small
// logo near the top right corner.
void StartPagePictures(int x, int y, int width, int height, PicturePlace (&out)[3]);

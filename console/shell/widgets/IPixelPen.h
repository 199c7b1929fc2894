// A one-pixel pen with the drawing rules of GDK's core X drawing: thin lines include
// both end points, an unfilled rectangle of width w covers w + 1 columns.
// The widget look is drawn through it so the same code paints a real window and,
// in tests, a cairo image surface whose pixels can be checked without a display.
#pragma once

class IPixelPen {
public:
    virtual ~IPixelPen() = default;
    // Channels are 16-bit values (0xFFFF is full intensity), as GDK takes them.
    virtual void SetColor16(int red, int green, int blue) = 0;
    virtual void Point(int x, int y) = 0;
    virtual void Line(int x1, int y1, int x2, int y2) = 0;
    // Unfilled rectangle over columns x..x+width and rows y..y+height. A negative
    // width or height draws nothing.
    virtual void Outline(int x, int y, int width, int height) = 0;

    // The kit's colours are 8-bit values repeated in both bytes of each channel.
    void SetColorRgb(unsigned rgb)
    {
        SetColor16(static_cast<int>(((rgb >> 16) & 0xFF) * 0x101),
                   static_cast<int>(((rgb >> 8) & 0xFF) * 0x101),
                   static_cast<int>((rgb & 0xFF) * 0x101));
    }
};

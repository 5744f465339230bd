#pragma once

// Geometry is given in twips: 1440 per inch, 15 per pixel at 96 dots per inch.
constexpr int TwipsPerPixel = 15;

constexpr int twipsToPixels(double twips)
{
    return static_cast<int>(twips / TwipsPerPixel);
}
constexpr double pixelsToTwips(int pixels)
{
    return double(pixels) * TwipsPerPixel;
}

// Reading the BMP files that hold a backup's picture, for the preview. Only the
// uncompressed 16, 24 and 32 bit pictures the program and Windows write are decoded;
// anything else is refused rather than guessed at.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace velmora {

// Pictures wider or taller than this are refused, so a lying header cannot make the
// preview allocate or scale absurd sizes.
inline constexpr int kMaxBmpSide = 32768;

struct BmpImage {
    int width;   // positive
    int height;  // positive
    bool topDown;
    int bitsPerPixel;  // 16, 24 or 32
    std::size_t stride;
    // Exactly stride * height bytes starting at bfOffBits, rows in file order.
    std::span<const std::uint8_t> rows;
};

// The picture in the bytes when they hold a BMP file the preview can show, whatever the
// file's extension; std::nullopt otherwise. Checks the header and bounds only, so the
// cost does not grow with the picture. The result points into the bytes.
std::optional<BmpImage> ReadBmp(std::span<const std::uint8_t> bytes);

struct Rgb {
    std::uint8_t r, g, b;
    bool operator==(const Rgb&) const = default;
};

// The colour at column x and row y, y counted from the top of the picture. The caller
// keeps 0 <= x < width and 0 <= y < height.
Rgb PixelAt(const BmpImage& image, int x, int y);

struct PictureSize {
    int width;
    int height;
    bool operator==(const PictureSize&) const = default;
};

// The largest size with the picture's aspect ratio that fits the box, scaling up or down;
// each side at least 1 pixel.
PictureSize FitInto(int width, int height, int boxWidth, int boxHeight);

}  // namespace velmora

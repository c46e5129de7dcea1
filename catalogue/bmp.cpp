// The BMP reader behind the preview. All size arithmetic is done in 64 bits before any
// byte is touched, so a header with hostile numbers can only be refused.
#include "catalogue/bmp.h"

#include <algorithm>

#include "runtime/little_endian.h"

namespace velmora {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kBiRgb = 0;

std::uint8_t Widen5(unsigned v) {
    return static_cast<std::uint8_t>((v << 3) | (v >> 2));
}

}  // namespace

std::optional<BmpImage> ReadBmp(std::span<const std::uint8_t> bytes) {
    const std::uint64_t size = bytes.size();
    if (size < kFileHeaderSize + kInfoHeaderSize) return std::nullopt;
    if (bytes[0] != 'B' || bytes[1] != 'M') return std::nullopt;

    const std::uint32_t bfOffBits = le::GetU32(bytes, 10);
    const std::uint32_t biSize = le::GetU32(bytes, 14);
    // Larger info blocks (V4, V5) start with the same fields; smaller ones are the old
    // OS/2 layout, which the program never meets.
    if (biSize < kInfoHeaderSize || kFileHeaderSize + std::uint64_t{biSize} > size) {
        return std::nullopt;
    }

    const std::int32_t biWidth = le::GetI32(bytes, 18);
    const std::int32_t biHeight = le::GetI32(bytes, 22);
    const std::uint16_t biPlanes = le::GetU16(bytes, 26);
    const std::uint16_t biBitCount = le::GetU16(bytes, 28);
    const std::uint32_t biCompression = le::GetU32(bytes, 30);
    // biSizeImage is ignored: writers often leave it 0 and the bounds are checked below.

    if (biPlanes != 1) return std::nullopt;
    if (biCompression != kBiRgb) return std::nullopt;
    if (biBitCount != 16 && biBitCount != 24 && biBitCount != 32) return std::nullopt;

    const std::int64_t height = std::int64_t{biHeight} < 0 ? -std::int64_t{biHeight} : biHeight;
    if (biWidth <= 0 || biWidth > kMaxBmpSide) return std::nullopt;
    if (height == 0 || height > kMaxBmpSide) return std::nullopt;

    const std::uint64_t stride =
        (std::uint64_t{static_cast<std::uint32_t>(biWidth)} * biBitCount + 31) / 32 * 4;
    const std::uint64_t pixelBytes = stride * static_cast<std::uint64_t>(height);
    // The rows may not overlap the headers, and must end within the file.
    if (bfOffBits < kFileHeaderSize + std::uint64_t{biSize}) return std::nullopt;
    if (std::uint64_t{bfOffBits} + pixelBytes > size) return std::nullopt;

    BmpImage image{};
    image.width = biWidth;
    image.height = static_cast<int>(height);
    image.topDown = biHeight < 0;
    image.bitsPerPixel = biBitCount;
    image.stride = static_cast<std::size_t>(stride);
    image.rows = bytes.subspan(bfOffBits, static_cast<std::size_t>(pixelBytes));
    return image;
}

Rgb PixelAt(const BmpImage& image, int x, int y) {
    const std::size_t row = static_cast<std::size_t>(image.topDown ? y : image.height - 1 - y);
    const std::size_t offset =
        row * image.stride + static_cast<std::size_t>(x) * (image.bitsPerPixel / 8);
    if (image.bitsPerPixel == 16) {
        const unsigned word = le::GetU16(image.rows, offset);
        return Rgb{Widen5((word >> 10) & 31), Widen5((word >> 5) & 31), Widen5(word & 31)};
    }
    // 24 and 32 bits: blue, green, red; the fourth byte of 32 bits carries nothing.
    return Rgb{image.rows[offset + 2], image.rows[offset + 1], image.rows[offset]};
}

PictureSize FitInto(int width, int height, int boxWidth, int boxHeight) {
    const std::int64_t w = std::max(width, 1);
    const std::int64_t h = std::max(height, 1);
    const std::int64_t bw = std::max(boxWidth, 1);
    const std::int64_t bh = std::max(boxHeight, 1);
    // Rounds num / den to nearest; the products stay below 2^63 for any int sides.
    const auto rounded = [](std::int64_t num, std::int64_t den) {
        return std::max<std::int64_t>((2 * num + den) / (2 * den), 1);
    };
    // The exact scaled side never exceeds the box, so neither does its rounding.
    if (w * bh <= bw * h) {
        return PictureSize{static_cast<int>(rounded(w * bh, h)), static_cast<int>(bh)};
    }
    return PictureSize{static_cast<int>(bw), static_cast<int>(rounded(h * bw, w))};
}

}  // namespace velmora

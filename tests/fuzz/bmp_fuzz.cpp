// Feeds arbitrary bytes to the BMP reader; whatever it accepts must be readable at every
// corner without leaving the bytes.
#include <cstddef>
#include <cstdint>
#include <span>

#include "catalogue/bmp.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto image = velmora::ReadBmp(std::span<const std::uint8_t>(data, size));
    if (!image) return 0;
    const int w = image->width;
    const int h = image->height;
    const int xs[] = {0, w - 1, w / 2, w / 3};
    const int ys[] = {0, h - 1, h / 2, (2 * h) / 3};
    unsigned sum = 0;
    for (int x : xs) {
        for (int y : ys) {
            const velmora::Rgb c = velmora::PixelAt(*image, x, y);
            sum += c.r + c.g + c.b;
        }
    }
    const velmora::PictureSize fitted = velmora::FitInto(w, h, 959, 540);
    if (fitted.width < 1 || fitted.height < 1 || fitted.width > 959 || fitted.height > 540) {
        __builtin_trap();
    }
    // Boxes taken from the pixels themselves reach shapes the fixed box never does.
    const velmora::PictureSize any = velmora::FitInto(w, h, static_cast<int>(sum % 4096) + 1, h);
    if (any.width < 1 || any.height < 1 || any.height > h) __builtin_trap();
    return 0;
}

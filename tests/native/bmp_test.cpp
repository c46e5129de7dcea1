// The BMP reader: pictures laid out every way the preview meets them, headers that must be
// refused, and fitting pictures into the preview box.
#include "catalogue/bmp.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <functional>
#include <vector>

#include "runtime/little_endian.h"

namespace velmora {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Levels that survive 16-bit colour unchanged: each is a 5-bit value widened to 8 bits.
constexpr std::uint8_t kLevels[8] = {0, 8, 66, 132, 173, 206, 239, 255};

// A distinct colour for each pixel of pictures up to 8x8, y from the top.
Rgb ColourAt(int x, int y) {
    return Rgb{kLevels[x % 8], kLevels[y % 8], kLevels[(3 * x + 5 * y + 1) % 8]};
}

struct Layout {
    int width = 3;
    int height = 2;  // negative: top-down
    std::uint16_t bitCount = 24;
    std::uint32_t biSize = 40;
    std::size_t gap = 0;  // bytes between the info block and the rows
    std::uint32_t biSizeImage = 0;
};

std::size_t StrideOf(const Layout& layout) {
    return (static_cast<std::size_t>(layout.width) * layout.bitCount + 31) / 32 * 4;
}

// A BMP file written field by field; padding and gap bytes hold junk so a reader that
// strays into them shows wrong colours.
Bytes Build(const Layout& layout) {
    const int rows = layout.height < 0 ? -layout.height : layout.height;
    const std::uint32_t offBits = 14 + layout.biSize + static_cast<std::uint32_t>(layout.gap);
    const std::size_t stride = StrideOf(layout);
    Bytes out;
    out.push_back('B');
    out.push_back('M');
    le::PutU32(out, static_cast<std::uint32_t>(offBits + stride * rows));  // bfSize
    le::PutU32(out, 0);                                                    // reserved
    le::PutU32(out, offBits);
    le::PutU32(out, layout.biSize);
    le::PutI32(out, layout.width);
    le::PutI32(out, layout.height);
    le::PutU16(out, 1);  // biPlanes
    le::PutU16(out, layout.bitCount);
    le::PutU32(out, 0);  // biCompression
    le::PutU32(out, layout.biSizeImage);
    for (int i = 0; i < 4; ++i) le::PutU32(out, 0);  // resolution and colour counts
    out.resize(14 + layout.biSize, 0);
    out.resize(offBits, 0xCD);
    for (int fileRow = 0; fileRow < rows; ++fileRow) {
        const int y = layout.height < 0 ? fileRow : rows - 1 - fileRow;
        const std::size_t rowStart = out.size();
        for (int x = 0; x < layout.width; ++x) {
            const Rgb c = ColourAt(x, y);
            if (layout.bitCount == 16) {
                le::PutU16(out, static_cast<std::uint16_t>((c.r >> 3) << 10 | (c.g >> 3) << 5 |
                                                           (c.b >> 3)));
            } else {
                out.insert(out.end(), {c.b, c.g, c.r});
                if (layout.bitCount == 32) out.push_back(0x5A);
            }
        }
        out.resize(rowStart + stride, 0xEE);
    }
    return out;
}

void SetU16(Bytes& bytes, std::size_t offset, std::uint16_t v) {
    Bytes field;
    le::PutU16(field, v);
    std::copy(field.begin(), field.end(), bytes.begin() + static_cast<std::ptrdiff_t>(offset));
}

void SetU32(Bytes& bytes, std::size_t offset, std::uint32_t v) {
    Bytes field;
    le::PutU32(field, v);
    std::copy(field.begin(), field.end(), bytes.begin() + static_cast<std::ptrdiff_t>(offset));
}

struct ValidCase {
    const char* name;
    Layout layout;
};

class ReadBmpValid : public testing::TestWithParam<ValidCase> {};

TEST_P(ReadBmpValid, DecodesEveryPixel) {
    const Layout& layout = GetParam().layout;
    const Bytes bytes = Build(layout);
    const auto image = ReadBmp(bytes);
    ASSERT_TRUE(image);
    const int rows = layout.height < 0 ? -layout.height : layout.height;
    EXPECT_EQ(image->width, layout.width);
    EXPECT_EQ(image->height, rows);
    EXPECT_EQ(image->topDown, layout.height < 0);
    EXPECT_EQ(image->bitsPerPixel, layout.bitCount);
    EXPECT_EQ(image->stride, StrideOf(layout));
    EXPECT_EQ(image->rows.data(), bytes.data() + 14 + layout.biSize + layout.gap);
    EXPECT_EQ(image->rows.size(), image->stride * static_cast<std::size_t>(rows));
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < layout.width; ++x) {
            EXPECT_EQ(PixelAt(*image, x, y), ColourAt(x, y)) << "at " << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, ReadBmpValid,
    testing::Values(
        ValidCase{"Rgb24BottomUpOddWidth", {.width = 3, .height = 2, .bitCount = 24}},
        // The program's own pictures: a 40-byte header and 4 zero bytes, rows at 58.
        ValidCase{"Rgb24TopDownProgramLayout",
                  {.width = 5, .height = -3, .bitCount = 24, .gap = 4}},
        ValidCase{"Rgb24InfoBlockOf44", {.width = 2, .height = 2, .bitCount = 24, .biSize = 44}},
        ValidCase{"Rgb24RowsAfterGap", {.width = 1, .height = 1, .bitCount = 24, .gap = 37}},
        ValidCase{"Rgb24SizeImageLies",
                  {.width = 7, .height = 4, .bitCount = 24, .biSizeImage = 0xFFFFFFFF}},
        ValidCase{"Rgb32BottomUp", {.width = 5, .height = 3, .bitCount = 32}},
        ValidCase{"Rgb32TopDownV5Header",
                  {.width = 2, .height = -2, .bitCount = 32, .biSize = 124}},
        ValidCase{"Rgb16BottomUpOddWidth", {.width = 3, .height = 3, .bitCount = 16}},
        ValidCase{"Rgb16TopDownV4Header",
                  {.width = 8, .height = -8, .bitCount = 16, .biSize = 108}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReadBmp, SixteenBitChannelsWidenToFullRange) {
    struct Case {
        std::uint16_t word;
        Rgb colour;
    };
    const Case cases[] = {
        {0x7C00, {255, 0, 0}},     {0x03E0, {0, 255, 0}}, {0x001F, {0, 0, 255}},
        {0x4210, {132, 132, 132}}, {0x0421, {8, 8, 8}},   {0x8000, {0, 0, 0}},  // top bit unused
    };
    for (const Case& c : cases) {
        Bytes bytes = Build({.width = 1, .height = 1, .bitCount = 16});
        SetU16(bytes, 54, c.word);
        const auto image = ReadBmp(bytes);
        ASSERT_TRUE(image);
        EXPECT_EQ(PixelAt(*image, 0, 0), c.colour) << std::hex << c.word;
    }
}

TEST(ReadBmp, ThirtyTwoBitIgnoresFourthByte) {
    Bytes bytes = Build({.width = 1, .height = 1, .bitCount = 32});
    bytes[54 + 3] = 0x00;
    const auto image = ReadBmp(bytes);
    ASSERT_TRUE(image);
    EXPECT_EQ(PixelAt(*image, 0, 0), ColourAt(0, 0));
}

struct MalformedCase {
    const char* name;
    std::function<void(Bytes&)> damage;  // applied to a valid 3x2 24-bit picture
};

class ReadBmpMalformed : public testing::TestWithParam<MalformedCase> {};

TEST_P(ReadBmpMalformed, IsRefused) {
    Bytes bytes = Build({.width = 3, .height = 2, .bitCount = 24});
    GetParam().damage(bytes);
    EXPECT_FALSE(ReadBmp(bytes));
}

INSTANTIATE_TEST_SUITE_P(
    Damage, ReadBmpMalformed,
    testing::Values(
        MalformedCase{"Empty", [](Bytes& b) { b.clear(); }},
        MalformedCase{"MagicOnly", [](Bytes& b) { b.resize(2); }},
        MalformedCase{"HeadersOnly", [](Bytes& b) { b.resize(54); }},
        MalformedCase{"LastRowShortByOne", [](Bytes& b) { b.pop_back(); }},
        MalformedCase{"Png",
                      [](Bytes& b) {
                          b.assign(80, 0);
                          std::copy_n("\x89PNG\r\n\x1a\n", 8, b.begin());
                      }},
        MalformedCase{"Jpeg",
                      [](Bytes& b) {
                          b.assign(80, 0);
                          std::copy_n("\xFF\xD8\xFF\xE0", 4, b.begin());
                      }},
        MalformedCase{"SwappedMagic", [](Bytes& b) { b[0] = 'M', b[1] = 'B'; }},
        MalformedCase{"CoreHeader", [](Bytes& b) { SetU32(b, 14, 12); }},
        MalformedCase{"InfoBlockOf39", [](Bytes& b) { SetU32(b, 14, 39); }},
        MalformedCase{"InfoBlockPastEnd",
                      [](Bytes& b) { SetU32(b, 14, static_cast<std::uint32_t>(b.size())); }},
        MalformedCase{"InfoBlockWraps", [](Bytes& b) { SetU32(b, 14, 0xFFFFFFF8); }},
        MalformedCase{"InfoBlockOverlapsRows", [](Bytes& b) { SetU32(b, 14, 44); }},
        MalformedCase{"Rle8", [](Bytes& b) { SetU32(b, 30, 1); }},
        MalformedCase{"Bitfields", [](Bytes& b) { SetU32(b, 30, 3); }},
        MalformedCase{"OneBit", [](Bytes& b) { SetU16(b, 28, 1); }},
        MalformedCase{"FourBits", [](Bytes& b) { SetU16(b, 28, 4); }},
        MalformedCase{"EightBits", [](Bytes& b) { SetU16(b, 28, 8); }},
        MalformedCase{"ZeroBits", [](Bytes& b) { SetU16(b, 28, 0); }},
        MalformedCase{"ZeroPlanes", [](Bytes& b) { SetU16(b, 26, 0); }},
        MalformedCase{"ZeroWidth", [](Bytes& b) { SetU32(b, 18, 0); }},
        MalformedCase{"NegativeWidth",
                      [](Bytes& b) { SetU32(b, 18, static_cast<std::uint32_t>(-3)); }},
        MalformedCase{"ZeroHeight", [](Bytes& b) { SetU32(b, 22, 0); }},
        MalformedCase{"MostNegativeHeight", [](Bytes& b) { SetU32(b, 22, 0x80000000); }},
        MalformedCase{"WidthOverCap", [](Bytes& b) { SetU32(b, 18, kMaxBmpSide + 1); }},
        MalformedCase{
            "HeightOverCap",
            [](Bytes& b) { SetU32(b, 22, static_cast<std::uint32_t>(-kMaxBmpSide - 1)); }},
        MalformedCase{"HugeRowsInSmallFile",
                      [](Bytes& b) {
                          SetU32(b, 18, kMaxBmpSide);
                          SetU32(b, 22, kMaxBmpSide);
                          SetU16(b, 28, 32);
                      }},
        MalformedCase{"OffBitsZero", [](Bytes& b) { SetU32(b, 10, 0); }},
        MalformedCase{"OffBitsInsideInfoBlock", [](Bytes& b) { SetU32(b, 10, 53); }},
        MalformedCase{"OffBitsPastRows", [](Bytes& b) { SetU32(b, 10, 55); }},
        MalformedCase{"OffBitsWraps", [](Bytes& b) { SetU32(b, 10, 0xFFFFFFF0); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FitInto, KeepsAspectWithinBox) {
    struct Case {
        int width, height, boxWidth, boxHeight;
        PictureSize fitted;
    };
    const Case cases[] = {
        {1920, 1080, 959, 540, {959, 539}},
        {3840, 2160, 959, 540, {959, 539}},
        {10, 5, 959, 540, {959, 480}},  // half rounds up
        {1080, 1920, 959, 540, {304, 540}},
        {100, 100, 959, 540, {540, 540}},
        {959, 540, 959, 540, {959, 540}},
        {4, 3, 8, 6, {8, 6}},
        {100000, 1, 959, 540, {959, 1}},  // never below one pixel
        {1, 100000, 959, 540, {1, 540}},
        {INT_MAX, INT_MAX - 1, INT_MAX, INT_MAX, {INT_MAX, INT_MAX - 1}},
        {1, INT_MAX, INT_MAX, INT_MAX, {1, INT_MAX}},
    };
    for (const Case& c : cases) {
        const PictureSize fitted = FitInto(c.width, c.height, c.boxWidth, c.boxHeight);
        EXPECT_EQ(fitted, c.fitted)
            << c.width << "x" << c.height << " into " << c.boxWidth << "x" << c.boxHeight;
    }
}

}  // namespace
}  // namespace velmora

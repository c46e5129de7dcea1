// Printing the desktop window into a bitmap and assembling the BMP file from it.
#include "capture/snapshot.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <utility>

#include "runtime/little_endian.h"

namespace velmora {
namespace {

constexpr std::uint16_t kBmpSignature = 0x4D42;  // "BM"
constexpr std::uint32_t kFileHeaderSize = 14;
// The header and its one RGBQUAD: the size of the info block the file carries.
constexpr std::uint32_t kInfoSize = 44;
constexpr int kBitmapRecordSize = 24;  // sizeof(BITMAP) on 32-bit Windows

// Runs the release call when the scope ends, on every path.
template <typename Release>
class Releaser {
  public:
    explicit Releaser(Release release) : release_(std::move(release)) {}
    ~Releaser() { release_(); }
    Releaser(const Releaser&) = delete;
    Releaser& operator=(const Releaser&) = delete;

  private:
    Release release_;
};

Bytes InfoPiece(const BitmapInfo& info) {
    const BitmapInfoHeader& h = info.bmiHeader;
    Bytes out;
    out.reserve(kInfoSize);
    le::PutU32(out, h.biSize);
    le::PutI32(out, h.biWidth);
    le::PutI32(out, h.biHeight);
    le::PutU16(out, h.biPlanes);
    le::PutU16(out, h.biBitCount);
    le::PutU32(out, h.biCompression);
    le::PutU32(out, h.biSizeImage);
    le::PutI32(out, h.biXPelsPerMeter);
    le::PutI32(out, h.biYPelsPerMeter);
    le::PutU32(out, h.biClrUsed);
    le::PutU32(out, h.biClrImportant);
    for (std::uint8_t b : info.bmiColors) out.push_back(b);
    return out;
}

Bytes FileHeaderPiece(std::uint32_t offBits, std::size_t pixelBytes) {
    Bytes out;
    out.reserve(kFileHeaderSize);
    le::PutU16(out, kBmpSignature);
    le::PutU32(out, offBits + static_cast<std::uint32_t>(pixelBytes));  // bfSize
    le::PutU16(out, 0);                                                 // bfReserved1
    le::PutU16(out, 0);                                                 // bfReserved2
    le::PutU32(out, offBits);
    return out;
}

}  // namespace

WindowHandle FindDesktopWindow(Gdi& gdi) {
    return gdi.FindWindow(L"Progman", L"Program Manager");
}

bool IsLiveWindow(Gdi& gdi, WindowHandle window) {
    return gdi.IsWindow(window);
}

Bytes CaptureWindowAsBmp(Gdi& gdi, WindowHandle window) {
    if (!gdi.IsWindow(window)) return {};

    Rect rect;
    gdi.GetWindowRect(window, rect);

    // The guards release in reverse order of acquisition: the old selection back into
    // the memory DC, then the bitmap, the memory DC and the screen DC.
    const DcHandle screenDc = gdi.GetDC(kNoWindow);
    Releaser releaseScreenDc([&] { gdi.ReleaseDC(kNoWindow, screenDc); });
    const DcHandle memoryDc = gdi.CreateCompatibleDC(screenDc);
    // Some GDIs (Wine's, after PrintWindow) refuse to delete a bitmap while the DC it was
    // selected into still exists; it is deleted again once that DC is gone, so no capture
    // leaks its bitmap.
    bool bitmapKept = false;
    BitmapHandle bitmap = 0;
    Releaser deleteMemoryDc([&] {
        gdi.DeleteDC(memoryDc);
        if (bitmapKept) gdi.DeleteObject(bitmap);
    });

    const int width = static_cast<int>(static_cast<std::int64_t>(rect.right) - rect.left);
    const int height = static_cast<int>(static_cast<std::int64_t>(rect.bottom) - rect.top);
    bitmap = gdi.CreateCompatibleBitmap(screenDc, width, height);
    Releaser deleteBitmap([&] { bitmapKept = !gdi.DeleteObject(bitmap) && bitmap != 0; });
    const ObjectHandle previous = gdi.SelectObject(memoryDc, bitmap);
    Releaser restoreSelection([&] { gdi.SelectObject(memoryDc, previous); });

    if (!gdi.PrintWindow(window, memoryDc, 0)) return {};

    BitmapRecord record;
    gdi.GetObject(bitmap, kBitmapRecordSize, record);

    BitmapInfo info;
    info.bmiHeader.biSize = kInfoSize;
    // With no bits and a zero bit count, the call only describes the bitmap's format.
    gdi.GetDIBits(memoryDc, bitmap, 0, 0, nullptr, info, kDibRgbColors);
    BitmapInfoHeader& header = info.bmiHeader;
    if (header.biBitCount != 0 && header.biBitCount <= 8) {
        // A palette display: asking for its own format would have the colour table
        // written past our single RGBQUAD. Ask for 32 bit pixels, whose rows need no
        // padding, so the file keeps its 44-byte info block.
        header.biBitCount = 32;
        header.biSizeImage =
            static_cast<std::uint32_t>(static_cast<std::uint64_t>(std::llabs(header.biWidth)) * 4 *
                                       static_cast<std::uint64_t>(std::llabs(header.biHeight)));
    }
    // The pixels go straight to their place in the file, behind room for the headers, so a
    // large desktop is held once and never copied.
    const std::size_t pixelBytes = header.biSizeImage;
    constexpr std::size_t kHeadersSize = kFileHeaderSize + kInfoSize;
    Bytes file(kHeadersSize + pixelBytes, 0);
    // Bit-field masks would not fit the info block either, and 16/32 bit pixels read the
    // same as plain RGB.
    header.biCompression = kBiRgb;
    gdi.GetDIBits(memoryDc, bitmap, 0, static_cast<unsigned>(std::max(record.bmHeight, 0)),
                  pixelBytes == 0 ? nullptr : file.data() + kHeadersSize, info, kDibRgbColors);

    // bfSize counts the pixels actually written, so the file stays consistent even if the
    // second call reported another image size.
    const Bytes headers =
        JoinBytes({FileHeaderPiece(kFileHeaderSize + kInfoSize, pixelBytes), InfoPiece(info)});
    std::copy(headers.begin(), headers.end(), file.begin());
    return file;
}

Bytes JoinBytes(std::initializer_list<std::span<const std::uint8_t>> pieces) {
    std::size_t total = 0;
    for (const auto& piece : pieces) total += piece.size();
    Bytes out;
    out.reserve(total);
    for (const auto& piece : pieces) out.insert(out.end(), piece.begin(), piece.end());
    return out;
}

}  // namespace velmora

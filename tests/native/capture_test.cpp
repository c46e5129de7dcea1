// The desktop capture against a recording fake of the GDI calls.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <map>
#include <numeric>
#include <string>
#include <vector>

#include "capture/snapshot.h"
#include "runtime/little_endian.h"

namespace velmora {
namespace {

constexpr WindowHandle kWindow = 0x100;
constexpr DcHandle kScreenDc = 0x200;
constexpr DcHandle kMemoryDc = 0x300;
constexpr BitmapHandle kBitmap = 0x400;
constexpr ObjectHandle kPrevious = 0x500;

// Behaves like a display of the given size and format, records every call as text, and
// writes what Windows would write: pixels for `lines` rows and, when the requested format
// carries one, a colour table or bit-field masks into bmiColors (flagged when it would
// not fit there).
class FakeGdi : public Gdi {
  public:
    bool live = true;
    bool printSucceeds = true;
    bool describesFormat = true;  // the first GetDIBits fills the header
    int width = 10, height = 5;
    std::uint16_t bitCount = 32;
    std::uint32_t compression = kBiRgb;
    std::uint32_t secondSizeImage = 0;  // non-zero: the pixel call reports this size
    std::vector<std::string> calls;
    bool bitmapHeldByDc = false;  // as Wine after PrintWindow: no deletion while the DC lives
    bool memoryDcDeleted = false;

    WindowHandle FindWindow(const std::wstring& className,
                            const std::wstring& windowName) override {
        calls.push_back("FindWindow(" + Narrow(className) + "," + Narrow(windowName) + ")");
        return kWindow;
    }
    bool IsWindow(WindowHandle window) override {
        Record("IsWindow", {Name(window)});
        return live;
    }
    bool GetWindowRect(WindowHandle window, Rect& rect) override {
        Record("GetWindowRect", {Name(window)});
        rect = {100, 50, 100 + width, 50 + height};
        return true;
    }
    DcHandle GetDC(WindowHandle window) override {
        Record("GetDC", {Name(window)});
        return kScreenDc;
    }
    DcHandle CreateCompatibleDC(DcHandle dc) override {
        Record("CreateCompatibleDC", {Name(dc)});
        return kMemoryDc;
    }
    BitmapHandle CreateCompatibleBitmap(DcHandle dc, int w, int h) override {
        Record("CreateCompatibleBitmap", {Name(dc), std::to_string(w), std::to_string(h)});
        return kBitmap;
    }
    ObjectHandle SelectObject(DcHandle dc, ObjectHandle object) override {
        Record("SelectObject", {Name(dc), Name(object)});
        return object == kBitmap ? kPrevious : kBitmap;
    }
    bool PrintWindow(WindowHandle window, DcHandle dc, unsigned flags) override {
        Record("PrintWindow", {Name(window), Name(dc), std::to_string(flags)});
        return printSucceeds;
    }
    int GetObject(BitmapHandle bitmap, int size, BitmapRecord& record) override {
        Record("GetObject", {Name(bitmap), std::to_string(size)});
        record.bmWidth = width;
        record.bmHeight = height;
        record.bmBitsPixel = bitCount;
        record.bmPlanes = 1;
        return size;
    }
    int GetDIBits(DcHandle dc, BitmapHandle bitmap, unsigned start, unsigned lines, void* bits,
                  BitmapInfo& info, unsigned usage) override {
        BitmapInfoHeader& h = info.bmiHeader;
        Record("GetDIBits", {Name(dc), Name(bitmap), std::to_string(start), std::to_string(lines),
                             bits ? "bits" : "null", "size=" + std::to_string(h.biSize),
                             "bpp=" + std::to_string(h.biBitCount),
                             "comp=" + std::to_string(h.biCompression), std::to_string(usage)});
        if (!bits && h.biBitCount == 0) {
            if (!describesFormat) return 0;
            h.biWidth = width;
            h.biHeight = height;
            h.biPlanes = 1;
            h.biBitCount = bitCount;
            h.biCompression = compression;
            h.biSizeImage = Stride(bitCount) * height;
            return 1;
        }
        std::size_t tableBytes = 0;
        if (h.biBitCount <= 8) tableBytes = std::size_t{4} << h.biBitCount;
        if (h.biCompression == kBiBitfields) tableBytes = 12;
        if (tableBytes > sizeof info.bmiColors) {
            ADD_FAILURE() << tableBytes << " bytes of colour table written past the BITMAPINFO";
            return 0;
        }
        if (secondSizeImage) h.biSizeImage = secondSizeImage;
        if (!bits) return 0;
        // Exactly as many bytes as the rows take; AddressSanitizer catches a short buffer.
        auto* out = static_cast<std::uint8_t*>(bits);
        const std::size_t count = Stride(h.biBitCount) * lines;
        for (std::size_t i = 0; i < count; ++i) out[i] = static_cast<std::uint8_t>(i);
        return static_cast<int>(lines);
    }
    bool DeleteObject(ObjectHandle object) override {
        Record("DeleteObject", {Name(object)});
        return !bitmapHeldByDc || memoryDcDeleted;
    }
    bool DeleteDC(DcHandle dc) override {
        Record("DeleteDC", {Name(dc)});
        memoryDcDeleted = true;
        return true;
    }
    int ReleaseDC(WindowHandle window, DcHandle dc) override {
        Record("ReleaseDC", {Name(window), Name(dc)});
        return 1;
    }

  private:
    std::size_t Stride(int bpp) const {
        return (static_cast<std::size_t>(width) * bpp + 31) / 32 * 4;
    }
    static std::string Narrow(const std::wstring& text) {
        return std::string(text.begin(), text.end());
    }
    static std::string Name(std::uintptr_t handle) {
        static const std::map<std::uintptr_t, std::string> names = {{0, "0"},
                                                                    {kWindow, "window"},
                                                                    {kScreenDc, "screenDC"},
                                                                    {kMemoryDc, "memDC"},
                                                                    {kBitmap, "bitmap"},
                                                                    {kPrevious, "previous"}};
        auto it = names.find(handle);
        return it == names.end() ? std::to_string(handle) : it->second;
    }
    void Record(const std::string& name, std::initializer_list<std::string> args) {
        std::string call = name + "(";
        for (const auto& arg : args) call += (call.back() == '(' ? "" : ",") + arg;
        calls.push_back(call + ")");
    }
};

const std::vector<std::string> kReleases = {"SelectObject(memDC,previous)", "DeleteObject(bitmap)",
                                            "DeleteDC(memDC)", "ReleaseDC(0,screenDC)"};

std::vector<std::string> Concat(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(CaptureTest, TenByFiveWindowGivesTheKnownFile) {
    FakeGdi gdi;
    std::array<std::uint8_t, 58> header = {
        'B', 'M', 2,  1, 0,  0, 0, 0, 0,   0, 58, 0, 0, 0,  // file header: size 258, offset 58
        44,  0,   0,  0, 10, 0, 0, 0, 5,   0, 0,  0,        // biSize, biWidth, biHeight
        1,   0,   32, 0, 0,  0, 0, 0, 200, 0, 0,  0,        // planes, 32 bpp, BI_RGB, 200 bytes
        0,   0,   0,  0, 0,  0, 0, 0, 0,   0, 0,  0, 0, 0,
        0,   0,            // resolution, colours used/important
        0,   0,   0,  0};  // the RGBQUAD
    Bytes expected(header.begin(), header.end());
    expected.resize(258);
    std::iota(expected.begin() + 58, expected.end(), std::uint8_t{0});

    EXPECT_EQ(CaptureWindowAsBmp(gdi, kWindow), expected);
}

TEST(CaptureTest, BitmapRefusedWhileItsDcLivesIsDeletedOnceTheDcIsGone) {
    FakeGdi gdi;
    gdi.bitmapHeldByDc = true;
    EXPECT_EQ(CaptureWindowAsBmp(gdi, kWindow).size(), 258u);
    const std::vector<std::string> tail(gdi.calls.end() - 5, gdi.calls.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"SelectObject(memDC,previous)",
                                              "DeleteObject(bitmap)", "DeleteDC(memDC)",
                                              "DeleteObject(bitmap)", "ReleaseDC(0,screenDC)"}));
}

TEST(CaptureTest, CallSequences) {
    const std::vector<std::string> upToPrint = {"IsWindow(window)",
                                                "GetWindowRect(window)",
                                                "GetDC(0)",
                                                "CreateCompatibleDC(screenDC)",
                                                "CreateCompatibleBitmap(screenDC,10,5)",
                                                "SelectObject(memDC,bitmap)",
                                                "PrintWindow(window,memDC,0)"};
    const std::vector<std::string> pixels = {
        "GetObject(bitmap,24)", "GetDIBits(memDC,bitmap,0,0,null,size=44,bpp=0,comp=0,0)",
        "GetDIBits(memDC,bitmap,0,5,bits,size=44,bpp=32,comp=0,0)"};
    struct Case {
        const char* name;
        bool live, prints;
        std::vector<std::string> calls;
        std::size_t size;
    } cases[] = {
        {"dead window", false, true, {"IsWindow(window)"}, 0},
        {"print fails", true, false, Concat(upToPrint, kReleases), 0},
        {"success", true, true, Concat(Concat(upToPrint, pixels), kReleases), 258},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeGdi gdi;
        gdi.live = c.live;
        gdi.printSucceeds = c.prints;
        EXPECT_EQ(CaptureWindowAsBmp(gdi, kWindow).size(), c.size);
        EXPECT_EQ(gdi.calls, c.calls);
    }
}

TEST(CaptureTest, BitfieldsAreWrittenAsPlainRgb) {
    FakeGdi gdi;
    gdi.compression = kBiBitfields;
    const Bytes bmp = CaptureWindowAsBmp(gdi, kWindow);
    ASSERT_EQ(bmp.size(), 258u);
    EXPECT_EQ(le::GetU32(bmp, 30), kBiRgb);
    EXPECT_EQ(le::GetU32(bmp, 54), 0u);
}

TEST(CaptureTest, PaletteDisplayIsReadAsThirtyTwoBit) {
    FakeGdi gdi;
    gdi.bitCount = 8;  // the fake fails the test if a colour table is asked for
    const Bytes bmp = CaptureWindowAsBmp(gdi, kWindow);
    ASSERT_EQ(bmp.size(), 258u);
    EXPECT_EQ(le::GetU32(bmp, 14), 44u);   // biSize
    EXPECT_EQ(le::GetU16(bmp, 28), 32u);   // biBitCount
    EXPECT_EQ(le::GetU32(bmp, 34), 200u);  // biSizeImage
    EXPECT_EQ(le::GetU32(bmp, 10), 58u);   // bfOffBits
}

TEST(CaptureTest, NothingDescribedGivesTheBareHeaders) {
    FakeGdi gdi;
    gdi.describesFormat = false;
    Bytes expected(58, 0);
    expected[0] = 'B', expected[1] = 'M', expected[2] = 58, expected[10] = 58, expected[14] = 44;
    EXPECT_EQ(CaptureWindowAsBmp(gdi, kWindow), expected);
}

TEST(CaptureTest, FileSizeCountsThePixelsWritten) {
    FakeGdi gdi;
    gdi.secondSizeImage = 300;
    const Bytes bmp = CaptureWindowAsBmp(gdi, kWindow);
    ASSERT_EQ(bmp.size(), 258u);
    EXPECT_EQ(le::GetU32(bmp, 2), 258u);   // bfSize
    EXPECT_EQ(le::GetU32(bmp, 34), 300u);  // biSizeImage as reported
}

TEST(CaptureTest, FindsTheShellsDesktopWindow) {
    FakeGdi gdi;
    EXPECT_EQ(FindDesktopWindow(gdi), kWindow);
    EXPECT_EQ(gdi.calls, std::vector<std::string>{"FindWindow(Progman,Program Manager)"});
}

TEST(JoinBytesTest, PiecesBackToBack) {
    const Bytes a = {1, 2}, none, b = {3};
    EXPECT_EQ(JoinBytes({a, none, b}), (Bytes{1, 2, 3}));
    EXPECT_EQ(JoinBytes({none, none}), Bytes{});
    EXPECT_EQ(JoinBytes({}), Bytes{});
}

}  // namespace
}  // namespace velmora

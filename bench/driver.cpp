// velmora_bench: times velmora.exe and its parts against the least work the same result needs
// (the floor), each over several runs after a warm-up, and prints one table row per figure:
//   | figure | Velmora (median ms) | floor (median ms) | ratio | goal |
//
//   velmora_bench VELMORA_EXE FLOOR_LIST_EXE FLOOR_WINDOW_EXE [RUNS]
//   velmora_bench --capture-memory velmora|floor    (one capture in a fresh process)
//
// Start-ups are timed from CreateProcess until the driver sees the result on screen: it polls
// the list box's count and selection with SendMessage and the preview's pixels through the
// screen DC, every millisecond. The other figures run the program's own code in this process.
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <new>
#include <string>
#include <vector>

// Before anything that declares the capture seam: it renames FindWindow and GetObject back.
#include "runtime/win32_gdi.h"

#include "capture/backup.h"
#include "capture/snapshot.h"
#include "catalogue/catalogue.h"
#include "runtime/picture_box.h"
#include "runtime/win32_services.h"

// Every C++ allocation of this process is counted, so a capture's peak heap use can be read.
namespace {
std::atomic<std::size_t> gHeapNow{0};
std::atomic<std::size_t> gHeapPeak{0};
constexpr std::size_t kHeader = 16;

void* CountedAlloc(std::size_t size) {
    auto* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
    if (!block) throw std::bad_alloc();
    *reinterpret_cast<std::size_t*>(block) = size;
    const std::size_t now = gHeapNow += size;
    std::size_t peak = gHeapPeak.load();
    while (now > peak && !gHeapPeak.compare_exchange_weak(peak, now)) {
    }
    return block + kHeader;
}

void CountedFree(void* p) {
    if (!p) return;
    auto* block = static_cast<unsigned char*>(p) - kHeader;
    gHeapNow -= *reinterpret_cast<std::size_t*>(block);
    std::free(block);
}
}  // namespace

void* operator new(std::size_t size) {
    return CountedAlloc(size);
}
void* operator new[](std::size_t size) {
    return CountedAlloc(size);
}
void operator delete(void* p) noexcept {
    CountedFree(p);
}
void operator delete[](void* p) noexcept {
    CountedFree(p);
}
void operator delete(void* p, std::size_t) noexcept {
    CountedFree(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    CountedFree(p);
}

namespace {

using velmora::Bytes;
using velmora::Text;

constexpr int kStartupBackups = 10000;
constexpr COLORREF kBackdrop = RGB(255, 0, 255);
constexpr COLORREF kColourA = RGB(0x20, 0x80, 0x40);
constexpr COLORREF kColourB = RGB(0xC0, 0x30, 0x10);
constexpr COLORREF kColourM = RGB(0x10, 0x40, 0xB0);
const wchar_t kLayoutSubkey[] = L"Software\\Microsoft\\Windows\\Shell\\Bags\\1\\Desktop";

double NowMs() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER t;
    ::QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / frequency;
}

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

void Row(const char* figure, double value, double floor, const char* goal,
         const char* unit = "ms") {
    if (value <= 0 || floor <= 0) {
        std::printf("| %s | %s | %s | - | %s |\n", figure, value > 0 ? "?" : "failed",
                    floor > 0 ? "?" : "failed", goal);
    } else {
        std::printf("| %s | %.1f %s | %.1f %s | %.2f | %s |\n", figure, value, unit, floor, unit,
                    value / floor, goal);
    }
    std::fflush(stdout);
}

// Files and folders

Text TempFolder(const wchar_t* name) {
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    Text folder =
        Text(temp) + L"velmora-bench-" + name + L"-" + std::to_wstring(::GetCurrentProcessId());
    ::CreateDirectoryW(folder.c_str(), nullptr);
    ::CreateDirectoryW((folder + L"\\data").c_str(), nullptr);
    ::CreateDirectoryW((folder + L"\\data\\reg").c_str(), nullptr);
    ::CreateDirectoryW((folder + L"\\data\\pic").c_str(), nullptr);
    return folder;
}

void RemoveTree(const Text& folder) {
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const Text name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            const Text path = folder + L"\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                ::DeleteFileW(path.c_str());
            }
        } while (::FindNextFileW(find, &data));
        ::FindClose(find);
    }
    ::RemoveDirectoryW(folder.c_str());
}

bool WriteBytes(const Text& path, const Bytes& bytes) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD wrote = 0;
    const BOOL ok =
        ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr);
    ::CloseHandle(file);
    return ok && wrote == bytes.size();
}

Bytes ReadBytes(const Text& path) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    LARGE_INTEGER size{};
    ::GetFileSizeEx(file, &size);
    Bytes bytes(static_cast<std::size_t>(size.QuadPart));
    DWORD got = 0;
    if (!::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) ||
        got != bytes.size()) {
        bytes.clear();
    }
    ::CloseHandle(file);
    return bytes;
}

void Put(Bytes& out, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// A bottom-up 32-bit BMP file of one colour.
Bytes SolidBmp(int width, int height, COLORREF colour) {
    const std::uint32_t pixelBytes = static_cast<std::uint32_t>(width) * 4 * height;
    Bytes out;
    out.reserve(54 + pixelBytes);
    Put(out, 0x4D42, 2);
    Put(out, 54 + pixelBytes, 4);
    Put(out, 0, 4);
    Put(out, 54, 4);
    Put(out, 40, 4);
    Put(out, width, 4);
    Put(out, height, 4);
    Put(out, 1, 2);
    Put(out, 32, 2);
    Put(out, 0, 4);
    Put(out, pixelBytes, 4);
    Put(out, 0, 4);
    Put(out, 0, 4);
    Put(out, 0, 4);
    Put(out, 0, 4);
    out.resize(54 + pixelBytes);
    for (std::size_t i = 54; i < out.size(); i += 4) {
        out[i] = GetBValue(colour);
        out[i + 1] = GetGValue(colour);
        out[i + 2] = GetRValue(colour);
        out[i + 3] = 0;
    }
    return out;
}

// Windows of this process

LRESULT CALLBACK SolidProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND) {
        RECT r;
        ::GetClientRect(window, &r);
        HBRUSH brush =
            ::CreateSolidBrush(static_cast<COLORREF>(::GetWindowLongPtrW(window, GWLP_USERDATA)));
        ::FillRect(reinterpret_cast<HDC>(wParam), &r, brush);
        ::DeleteObject(brush);
        return 1;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

HWND SolidWindow(const wchar_t* className, const wchar_t* title, int x, int y, int width,
                 int height, COLORREF colour) {
    WNDCLASSEXW wc{sizeof wc};
    wc.lpfnWndProc = SolidProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = className;
    ::RegisterClassExW(&wc);
    HWND window = ::CreateWindowExW(WS_EX_TOOLWINDOW, className, title, WS_POPUP, x, y, width,
                                    height, nullptr, nullptr, wc.hInstance, nullptr);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, static_cast<LONG_PTR>(colour));
    ::ShowWindow(window, SW_SHOWNOACTIVATE);
    ::UpdateWindow(window);
    return window;
}

void PumpAll() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

// The program's list and preview, hosted by this process, with its data in a folder of ours.
class BenchServices : public velmora::Win32Services {
  public:
    explicit BenchServices(Text folder) : folder_(std::move(folder)) {}
    Text ProgramDirectory() override { return folder_; }

  private:
    Text folder_;
};

struct Host {
    HWND window = nullptr;
    HWND list = nullptr;
    velmora::PictureBox preview;
};

void CreateHost(Host& host, BenchServices& services) {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    velmora::PictureBox::Register(instance);
    host.window =
        SolidWindow(L"VelmoraBenchHost", L"host", 50, 50, 1232, 616, ::GetSysColor(COLOR_BTNFACE));
    host.list = ::CreateWindowExW(0, L"LISTBOX", L"", WS_CHILD | WS_VISIBLE | LBS_NOTIFY, 1008, 28,
                                  200, 348, host.window, nullptr, instance, nullptr);
    ::CreateWindowExW(0, velmora::PictureBox::kClassName, L"", WS_CHILD | WS_VISIBLE, 18, 26, 959,
                      540, host.window, nullptr, instance, &host.preview);
    services.Attach(host.window, host.list, &host.preview, [] {});
    PumpAll();
}

// Other processes

// Window searches for EnumWindows and EnumChildWindows; a process id of 0 matches any.
struct WindowSearch {
    DWORD pid;
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK NoteTopWindow(HWND window, LPARAM p) {
    auto* s = reinterpret_cast<WindowSearch*>(p);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    wchar_t name[64];
    if (pid == s->pid && ::IsWindowVisible(window) && ::GetClassNameW(window, name, 64) &&
        ::lstrcmpiW(name, s->className) == 0) {
        s->found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK NoteDescendant(HWND window, LPARAM p) {
    auto* s = reinterpret_cast<WindowSearch*>(p);
    wchar_t name[64];
    if (::GetClassNameW(window, name, 64) && ::lstrcmpiW(name, s->className) == 0) {
        s->found = window;
        return FALSE;
    }
    return TRUE;
}

struct Child {
    PROCESS_INFORMATION info{};
    double started = 0;

    bool Start(const Text& exe, const Text& folder) {
        STARTUPINFOW startup{sizeof startup};
        Text commandLine = L"\"" + exe + L"\"";
        started = NowMs();
        return ::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                                nullptr, folder.c_str(), &startup, &info) != FALSE;
    }
    HWND TopWindow(const wchar_t* className) const {
        WindowSearch search{info.dwProcessId, className, nullptr};
        ::EnumWindows(NoteTopWindow, reinterpret_cast<LPARAM>(&search));
        return search.found;
    }
    void Stop(HWND window) {
        if (!info.hProcess) return;
        if (window) ::PostMessageW(window, WM_CLOSE, 0, 0);
        if (::WaitForSingleObject(info.hProcess, 10000) != WAIT_OBJECT_0) {
            ::TerminateProcess(info.hProcess, 1);
            ::WaitForSingleObject(info.hProcess, 5000);
        }
        ::CloseHandle(info.hProcess);
        ::CloseHandle(info.hThread);
        info = {};
    }
};

HWND Descendant(HWND parent, const wchar_t* className) {
    WindowSearch search{0, className, nullptr};
    ::EnumChildWindows(parent, NoteDescendant, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The screen's colour at a point of a window's client area.
COLORREF ScreenPixel(HWND window, int x, int y) {
    POINT point{x, y};
    ::ClientToScreen(window, &point);
    HDC screen = ::GetDC(nullptr);
    const COLORREF colour = ::GetPixel(screen, point.x, point.y);
    ::ReleaseDC(nullptr, screen);
    return colour;
}

LRESULT Ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = static_cast<DWORD_PTR>(-1);
    if (!::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, 5000, &result)) {
        return -1;
    }
    return static_cast<LRESULT>(result);
}

// Polls every millisecond until `done` holds; the time since the child's start, or -1 after
// the timeout.
template <typename Done>
double WaitFor(const Child& child, Done done, double timeoutMs = 120000) {
    for (;;) {
        if (done()) return NowMs() - child.started;
        if (NowMs() - child.started > timeoutMs) return -1;
        ::Sleep(1);
    }
}

// One start of a program in `folder` until `ready(top window)` holds; -1 when it never did.
template <typename Ready>
double TimedStart(const Text& exe, const Text& folder, const wchar_t* className, Ready ready) {
    Child child;
    if (!child.Start(exe, folder)) return -1;
    HWND top = nullptr;
    const double took = WaitFor(child, [&] {
        if (!top) top = child.TopWindow(className);
        return top && ready(top);
    });
    child.Stop(top);
    return took;
}

// Runs `velmora` and `floor` alternately, one warm-up each, then `runs` timed rounds.
void Compare(const char* figure, const char* goal, int runs, const std::function<double()>& velmora,
             const std::function<double()>& floor) {
    velmora();
    floor();
    std::vector<double> v, f;
    for (int i = 0; i < runs; ++i) {
        const double a = velmora();
        const double b = floor();
        if (a > 0) v.push_back(a);
        if (b > 0) f.push_back(b);
    }
    Row(figure, v.size() == static_cast<std::size_t>(runs) ? Median(v) : -1,
        f.size() == static_cast<std::size_t>(runs) ? Median(f) : -1, goal);
}

bool CopyExe(const Text& from, const Text& folder, const wchar_t* name) {
    return ::CopyFileW(from.c_str(), (folder + L"\\" + name).c_str(), FALSE) != FALSE;
}

// 1. Start with many backups: the list full, the last entry selected, its picture painted.
void StartupWithBackups(const Text& velmoraExe, const Text& floorExe, int runs) {
    const Text folder = TempFolder(L"startup");
    CopyExe(velmoraExe, folder, L"velmora.exe");
    CopyExe(floorExe, folder, L"floor_list.exe");
    const Bytes empty = {'R', 'E', 'G', 'E', 'D', 'I', 'T', '4', '\r', '\n'};
    wchar_t name[64];
    for (int i = 0; i < kStartupBackups; ++i) {
        std::swprintf(name, 64, L"2024-01-01_00-00-00_%05d", i);
        WriteBytes(folder + L"\\data\\reg\\" + name + L".reg", empty);
    }
    // The directory order is the list's order: the last name listed gets the picture.
    Text last;
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((folder + L"\\data\\reg\\*.reg").c_str(), &data);
    do {
        last = data.cFileName;
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    last.resize(last.size() - 4);
    WriteBytes(folder + L"\\data\\pic\\" + last + L".jpg", SolidBmp(320, 180, kColourA));

    const auto listed = [](HWND list) {
        return list && Ask(list, LB_GETCOUNT) == kStartupBackups &&
               Ask(list, LB_GETCURSEL) == kStartupBackups - 1;
    };
    Compare(
        "start with 10,000 backups, to the list filled and the last picture painted", "<= 1.3",
        runs,
        [&] {
            return TimedStart(folder + L"\\velmora.exe", folder, L"VelmoraMainWindow",
                              [&](HWND top) {
                                  HWND preview = Descendant(top, velmora::PictureBox::kClassName);
                                  return listed(Descendant(top, L"ListBox")) && preview &&
                                         ScreenPixel(preview, 479, 270) == kColourA;
                              });
        },
        [&] {
            return TimedStart(folder + L"\\floor_list.exe", folder, L"VelmoraFloorList",
                              [&](HWND top) { return listed(Descendant(top, L"ListBox")); });
        });
    RemoveTree(folder);
}

// 2. Cold start without backups, to the main window's first paint.
void ColdStart(const Text& velmoraExe, const Text& floorExe, int runs) {
    const Text folder = TempFolder(L"cold");
    CopyExe(velmoraExe, folder, L"velmora.exe");
    CopyExe(floorExe, folder, L"floor_window.exe");
    RemoveTree(folder + L"\\data");
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE) & 0xFFFFFF;
    // A point of the client area that only the window's background covers, and one of the
    // preview (painted blank) for the program.
    const auto painted = [&](HWND top, int x, int y) { return ScreenPixel(top, x, y) == face; };
    Compare(
        "cold start without backups, to the first paint of the main window", "<= 1.3", runs,
        [&] {
            return TimedStart(folder + L"\\velmora.exe", folder, L"VelmoraMainWindow",
                              [&](HWND top) {
                                  HWND preview = Descendant(top, velmora::PictureBox::kClassName);
                                  return painted(top, 996, 4) && preview &&
                                         ScreenPixel(preview, 479, 270) == face;
                              });
        },
        [&] {
            return TimedStart(folder + L"\\floor_window.exe", folder, L"VelmoraFloorWindow",
                              [&](HWND top) { return painted(top, 996, 4); });
        });
    RemoveTree(folder);
}

// 3. The preview of a 3840 x 2160 picture, and repaints of a shown preview.
void Preview(const Text& velmoraExe, int runs) {
    const Text folder = TempFolder(L"preview");
    CopyExe(velmoraExe, folder, L"velmora.exe");
    const Bytes reg = {'R', 'E', 'G', 'E', 'D', 'I', 'T', '4', '\r', '\n'};
    const struct {
        const wchar_t* name;
        int width, height;
        COLORREF colour;
    } pictures[] = {
        {L"a", 64, 48, kColourA}, {L"m", 1920, 1080, kColourM}, {L"b", 3840, 2160, kColourB}};
    for (const auto& p : pictures) {
        WriteBytes(folder + L"\\data\\reg\\" + p.name + L".reg", reg);
        WriteBytes(folder + L"\\data\\pic\\" + p.name + L".jpg",
                   SolidBmp(p.width, p.height, p.colour));
    }
    const Text big = folder + L"\\data\\pic\\b.jpg";

    // In this process: the program's selection handler and the paint, against the file's bytes
    // and one StretchDIBits of them to the preview's size.
    {
        BenchServices services(folder);
        Host host;
        CreateHost(host, services);
        for (const auto& p : pictures) services.AddItem(p.name);
        const auto select = [&](const wchar_t* name) {
            services.SetCurrentSelection(static_cast<int>(
                ::SendMessageW(host.list, LB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>(name))));
            velmora::OnBackupSelected(services);
            ::UpdateWindow(host.preview.Window());
            ::GdiFlush();
        };
        HDC screen = ::GetDC(nullptr);
        HDC memory = ::CreateCompatibleDC(screen);
        HBITMAP target = ::CreateCompatibleBitmap(screen, 959, 540);
        HGDIOBJ old = ::SelectObject(memory, target);
        Compare(
            "preview of a 3840 x 2160 picture, selection to painted (in process)", "<= 1.2", runs,
            [&] {
                select(L"a");
                const double t0 = NowMs();
                select(L"b");
                return NowMs() - t0;
            },
            [&] {
                const double t0 = NowMs();
                const Bytes bytes = ReadBytes(big);
                const auto* info = reinterpret_cast<const BITMAPINFO*>(bytes.data() + 14);
                ::SetStretchBltMode(memory, HALFTONE);
                ::StretchDIBits(memory, 0, 0, 959, 540, 0, 0, 3840, 2160, bytes.data() + 54, info,
                                DIB_RGB_COLORS, SRCCOPY);
                ::GdiFlush();
                return NowMs() - t0;
            });

        // Where the program's time goes: the file read, the decode and scale, the paint.
        {
            std::vector<double> read, set, paint;
            for (int i = 0; i < runs + 1; ++i) {
                select(L"a");
                const double t0 = NowMs();
                const Bytes bytes = services.ReadWholeFile(big);
                const double t1 = NowMs();
                host.preview.SetPicture(bytes);
                ::GdiFlush();
                const double t2 = NowMs();
                ::UpdateWindow(host.preview.Window());
                ::GdiFlush();
                const double t3 = NowMs();
                if (!i) continue;
                read.push_back(t1 - t0);
                set.push_back(t2 - t1);
                paint.push_back(t3 - t2);
            }
            std::fprintf(stderr, "preview parts: read %.1f ms, SetPicture %.1f ms, paint %.1f ms\n",
                         Median(read), Median(set), Median(paint));
        }

        // A repaint of a shown preview, at each picture size.
        for (const auto& p : pictures) {
            select(p.name);
            std::vector<double> times;
            for (int i = 0; i < runs + 1; ++i) {
                const double t0 = NowMs();
                ::RedrawWindow(host.preview.Window(), nullptr, nullptr,
                               RDW_INVALIDATE | RDW_UPDATENOW);
                ::GdiFlush();
                if (i) times.push_back(NowMs() - t0);
            }
            char figure[96];
            std::snprintf(figure, sizeof figure, "repaint of a shown %d x %d preview", p.width,
                          p.height);
            std::printf("| %s | %.2f ms | - | - | <= 2 ms |\n", figure, Median(times));
        }
        ::SelectObject(memory, old);
        ::DeleteObject(target);
        ::DeleteDC(memory);
        ::ReleaseDC(nullptr, screen);
        ::DestroyWindow(host.window);
    }

    // The real program: a selection sent to it, until the screen shows the picture.
    Child child;
    if (child.Start(folder + L"\\velmora.exe", folder)) {
        HWND top = nullptr, list = nullptr, preview = nullptr;
        WaitFor(child, [&] {
            top = child.TopWindow(L"VelmoraMainWindow");
            list = top ? Descendant(top, L"ListBox") : nullptr;
            preview = top ? Descendant(top, velmora::PictureBox::kClassName) : nullptr;
            return list && preview && Ask(list, LB_GETCOUNT) == 3;
        });
        const auto select = [&](const wchar_t* name, COLORREF colour) {
            const double t0 = NowMs();
            const LRESULT index = Ask(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                      reinterpret_cast<LPARAM>(name));
            Ask(list, LB_SETCURSEL, index);
            Ask(top, WM_COMMAND, MAKEWPARAM(110, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
            while (ScreenPixel(preview, 479, 270) != colour) {
                if (NowMs() - t0 > 20000) return -1.0;
                ::Sleep(1);
            }
            return NowMs() - t0;
        };
        std::vector<double> times;
        for (int i = 0; i < runs + 1; ++i) {
            select(L"a", kColourA);
            const double took = select(L"b", kColourB);
            if (i && took > 0) times.push_back(took);
        }
        std::vector<double> polls;
        for (int i = 0; i < runs; ++i) {
            const double t0 = NowMs();
            ScreenPixel(preview, 479, 270);
            polls.push_back(NowMs() - t0);
        }
        std::printf(
            "| preview of a 3840 x 2160 picture in velmora.exe, selection sent to the "
            "screen showing it | %.1f ms | - | - | (one screen pixel read: %.2f ms) |\n",
            Median(times), Median(polls));
        child.Stop(top);
    }
    RemoveTree(folder);
}

// The least a capture needs: the window printed into a bitmap and its bits read into one
// buffer sized for the file.
Bytes FloorCapture(HWND window) {
    RECT r;
    ::GetWindowRect(window, &r);
    const int width = r.right - r.left, height = r.bottom - r.top;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::PrintWindow(window, memory, 0);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    Bytes file(58 + static_cast<std::size_t>(width) * 4 * height);
    ::GetDIBits(memory, bitmap, 0, height, file.data() + 58, &info, DIB_RGB_COLORS);
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return file;
}

HWND DesktopStandIn() {
    static HWND window = SolidWindow(L"Progman", L"Program Manager", 0, 0, 1920, 1080, kColourM);
    return window;
}

// 4. The capture of a 1920 x 1080 window.
void Capture(int runs) {
    HWND window = DesktopStandIn();
    PumpAll();
    velmora::Win32Gdi gdi;
    Compare(
        "capture of a 1920 x 1080 window (CaptureWindowAsBmp)", "<= 1.15", runs,
        [&] {
            const double t0 = NowMs();
            const Bytes bmp =
                velmora::CaptureWindowAsBmp(gdi, reinterpret_cast<velmora::WindowHandle>(window));
            return bmp.size() > 1920 * 1080 ? NowMs() - t0 : -1;
        },
        [&] {
            const double t0 = NowMs();
            const Bytes bmp = FloorCapture(window);
            return bmp.size() > 1920 * 1080 ? NowMs() - t0 : -1;
        });
}

// In a fresh process: the memory one capture takes above the idle process, in pixel bytes.
int CaptureMemory(bool floor) {
    HWND window = DesktopStandIn();
    PumpAll();
    velmora::Win32Gdi gdi;
    const auto capture = [&](HWND w) {
        return floor ? FloorCapture(w)
                     : velmora::CaptureWindowAsBmp(gdi, reinterpret_cast<velmora::WindowHandle>(w));
    };
    // A small capture first, so the code and the GDI objects the capture uses are in place.
    HWND small = SolidWindow(L"VelmoraBenchSmall", L"small", 0, 0, 64, 48, kColourA);
    PumpAll();
    (void)capture(small);
    PROCESS_MEMORY_COUNTERS_EX before{sizeof before};
    ::GetProcessMemoryInfo(::GetCurrentProcess(),
                           reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&before), sizeof before);
    gHeapPeak = gHeapNow.load();
    const std::size_t heapIdle = gHeapNow;
    const std::size_t size = capture(window).size();
    PROCESS_MEMORY_COUNTERS_EX after{sizeof after};
    ::GetProcessMemoryInfo(::GetCurrentProcess(),
                           reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&after), sizeof after);
    const double pixels = 1920.0 * 1080 * 4;
    std::printf("%zu %.2f %.2f\n", size, static_cast<double>(gHeapPeak - heapIdle) / pixels,
                (static_cast<double>(after.PeakWorkingSetSize) -
                 static_cast<double>(before.WorkingSetSize)) /
                    pixels);
    return 0;
}

double RunMemoryChild(const Text& self, const wchar_t* which, double& workingSet) {
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    const Text out = Text(temp) + L"velmora-bench-memory.txt";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE file = ::CreateFileW(out.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOW startup{sizeof startup};
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = file;
    startup.hStdError = file;
    Text commandLine = L"\"" + self + L"\" --capture-memory " + which;
    PROCESS_INFORMATION info{};
    double heap = -1;
    workingSet = -1;
    if (::CreateProcessW(self.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                         nullptr, &startup, &info)) {
        ::WaitForSingleObject(info.hProcess, 60000);
        ::CloseHandle(info.hProcess);
        ::CloseHandle(info.hThread);
    }
    ::CloseHandle(file);
    const Bytes text = ReadBytes(out);
    std::size_t size = 0;
    std::sscanf(std::string(text.begin(), text.end()).c_str(), "%zu %lf %lf", &size, &heap,
                &workingSet);
    ::DeleteFileW(out.c_str());
    return heap;
}

void SetLayoutKey() {
    HKEY key;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kLayoutSubkey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                          nullptr) == ERROR_SUCCESS) {
        const BYTE positions[64] = {1, 2, 3, 4};
        ::RegSetValueExW(key, L"IconLayouts", 0, REG_BINARY, positions, sizeof positions);
        const DWORD mode = 1;
        ::RegSetValueExW(key, L"Mode", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&mode), 4);
        ::RegCloseKey(key);
    }
}

// 5. The backup command, end to end, in this process with the program's services.
void Backup(int runs) {
    SetLayoutKey();
    DesktopStandIn();
    const Text folder = TempFolder(L"backup");
    BenchServices services(folder);
    Host host;
    CreateHost(host, services);
    int floorRun = 0;
    Compare(
        "backup command (OnBackupClicked), 1920 x 1080 desktop", "<= 1.1", runs,
        [&] {
            const int count = services.ItemCount();
            const double t0 = NowMs();
            velmora::OnBackupClicked(services);
            ::UpdateWindow(host.preview.Window());
            ::GdiFlush();
            const double took = NowMs() - t0;
            return services.ItemCount() == count + 1 ? took : -1;
        },
        [&] {
            const Text name = L"floor-" + std::to_wstring(++floorRun);
            const Text script = velmora::ExportScriptPath(folder, name);
            const double t0 = NowMs();
            const Bytes bmp = FloorCapture(DesktopStandIn());
            WriteBytes(script, services.TextToBytes(velmora::ExportLine(name)));
            services.RunCommandAndWait(script, folder);
            const double took = NowMs() - t0;
            ::DeleteFileW(script.c_str());
            const Text exported = velmora::LayoutExportPath(folder, name);
            const bool ok = ::GetFileAttributesW(exported.c_str()) != INVALID_FILE_ATTRIBUTES;
            ::DeleteFileW(exported.c_str());
            return ok && bmp.size() > 1920 * 1080 ? took : -1;
        });
    ::DestroyWindow(host.window);
    RemoveTree(folder);
}

Text FullPath(const wchar_t* path) {
    wchar_t full[MAX_PATH];
    const DWORD n = ::GetFullPathNameW(path, MAX_PATH, full, nullptr);
    return n ? Text(full, n) : Text(path);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc >= 3 && Text(argv[1]) == L"--capture-memory")
        return CaptureMemory(Text(argv[2]) == L"floor");
    if (argc < 4) {
        std::fprintf(stderr,
                     "usage: velmora_bench VELMORA_EXE FLOOR_LIST_EXE FLOOR_WINDOW_EXE [RUNS]\n");
        return 2;
    }
    const Text velmoraExe = FullPath(argv[1]);
    const Text floorList = FullPath(argv[2]);
    const Text floorWindow = FullPath(argv[3]);
    const int runs = argc > 4 ? std::max(1, _wtoi(argv[4])) : 5;
    const Text only = argc > 5 ? argv[5] : L"all";
    const auto wants = [&](const wchar_t* part) { return only == L"all" || only == part; };

    // A backdrop of a colour no window of the programs paints, so an unpainted area never
    // passes for a painted one.
    SolidWindow(L"VelmoraBenchBackdrop", L"backdrop", 0, 0, ::GetSystemMetrics(SM_CXSCREEN),
                ::GetSystemMetrics(SM_CYSCREEN), kBackdrop);
    PumpAll();

    if (wants(L"startup")) StartupWithBackups(velmoraExe, floorList, runs);
    if (wants(L"cold")) ColdStart(velmoraExe, floorWindow, runs);
    if (wants(L"preview")) Preview(velmoraExe, runs);
    if (wants(L"capture")) {
        Capture(runs);
        wchar_t self[MAX_PATH];
        ::GetModuleFileNameW(nullptr, self, MAX_PATH);
        double wsV = 0, wsF = 0;
        const double heapV = RunMemoryChild(self, L"velmora", wsV);
        const double heapF = RunMemoryChild(self, L"floor", wsF);
        std::printf(
            "| capture peak memory above idle, in pixel bytes: C++ heap + the GDI bitmap | "
            "%.2f x | %.2f x | %.2f | <= 2.2 x |\n",
            heapV + 1, heapF + 1, (heapV + 1) / (heapF + 1));
        std::printf(
            "| capture peak working set above idle, in pixel bytes | %.2f x | %.2f x | "
            "%.2f | <= 2.2 x |\n",
            wsV, wsF, wsF > 0 ? wsV / wsF : 0.0);
    }
    if (wants(L"backup")) Backup(runs);
    return 0;
}

// Feeds arbitrary file names and clock readings to everything that turns them into paths, list
// entries and the export script's line, and checks what each promises:
//   - a file name is listed only when it ends in ".reg", and the backup's export path then
//     leads back to that very file (same folder, same name, the extension's case aside);
//   - the export line quotes exactly the export path: a name without quotes adds none;
//   - a name made from the clock holds no character a file name or the script forbids;
//   - the unique name is free on disk and in the list, and made from the base.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "capture/backup.h"
#include "catalogue/catalogue.h"
#include "tests/native/fake_services.h"

namespace {

using velmora::Text;

[[noreturn]] void Fail() {
    __builtin_trap();
}

Text ConsumeText(FuzzedDataProvider& data, std::size_t maxLength) {
    const std::size_t length = data.ConsumeIntegralInRange<std::size_t>(0, maxLength);
    Text text;
    for (std::size_t i = 0; i < length && data.remaining_bytes() > 0; ++i) {
        text.push_back(static_cast<wchar_t>(data.ConsumeIntegral<std::uint16_t>()));
    }
    return text;
}

std::size_t Count(const Text& text, wchar_t c) {
    std::size_t n = 0;
    for (wchar_t x : text) n += x == c;
    return n;
}

void CheckFileName(const Text& directory, const Text& fileName) {
    if (!velmora::IsLayoutExportName(fileName)) return;
    const Text name = velmora::BackupNameOfFile(fileName);
    if (name.empty()) Fail();
    const Text path = velmora::LayoutExportPath(directory, name);
    const Text expected = directory + L"\\data\\reg\\" + fileName;
    if (path.size() != expected.size()) Fail();
    if (path.compare(0, path.size() - 4, expected, 0, expected.size() - 4) != 0) Fail();
    if (path.compare(path.size() - 4, 4, L".reg") != 0) Fail();
    // The picture and the script are the same backup's, in their own folder.
    const Text picture = velmora::SnapshotPath(directory, name);
    if (picture != directory + L"\\data\\pic\\" + name + L".jpg") Fail();

    const Text line = velmora::ExportLine(name);
    const Text lead = L"Regedit /E \"%cd%\\data\\reg\\";
    const Text tail = Text(L".reg\" ") + velmora::kDesktopLayoutKey;
    if (line.compare(0, lead.size(), lead) != 0) Fail();
    if (line.size() != lead.size() + name.size() + tail.size()) Fail();
    if (line.compare(line.size() - tail.size(), tail.size(), tail) != 0) Fail();
    if (Count(line, L'"') != 2 + Count(name, L'"')) Fail();
}

void CheckClockName(const velmora::DateTime& time) {
    const Text name = velmora::DateTimeToText(time);
    if (name.size() < 19 || name.size() > 71) Fail();
    if (name.find_first_of(L" \\/:*?\"<>|%&^\r\n") != Text::npos) Fail();
    for (wchar_t c : name) {
        if (c != L'-' && c != L'_' && (c < L'0' || c > L'9')) Fail();
    }
    // The same export line check holds for every name the program makes itself.
    const Text line = velmora::ExportLine(name);
    if (Count(line, L'"') != 2) Fail();
}

void CheckUniqueName(FuzzedDataProvider& data, const Text& base) {
    velmora::testing::FakeServices fake;
    const int taken = data.ConsumeIntegralInRange<int>(0, 12);
    for (int i = 0; i < taken; ++i) {
        const Text name = data.ConsumeBool()
                              ? base
                              : base + L"_" + std::to_wstring(data.ConsumeIntegralInRange(1, 15));
        switch (data.ConsumeIntegralInRange(0, 2)) {
            case 0:
                fake.files[fake.Reg(name)] = {};
                break;
            case 1:
                fake.files[fake.Pic(name)] = {};
                break;
            default:
                fake.list.push_back(name);
        }
    }
    const Text unique = velmora::MakeUniqueBackupName(fake, fake.directory, base);
    if (unique.compare(0, base.size(), base) != 0) Fail();
    if (fake.FileExists(fake.Reg(unique)) || fake.FileExists(fake.Pic(unique))) Fail();
    for (const Text& entry : fake.list) {
        if (entry == unique) Fail();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    const Text directory = ConsumeText(data, 40);
    const Text fileName = ConsumeText(data, 300);
    CheckFileName(directory, fileName);

    velmora::DateTime time;
    time.year = data.ConsumeIntegral<int>();
    time.month = data.ConsumeIntegral<int>();
    time.day = data.ConsumeIntegral<int>();
    time.hour = data.ConsumeIntegral<int>();
    time.minute = data.ConsumeIntegral<int>();
    time.second = data.ConsumeIntegral<int>();
    CheckClockName(time);
    CheckUniqueName(data, velmora::DateTimeToText(time));
    return 0;
}

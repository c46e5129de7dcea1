// A recording fake of the run-time services: every call is logged with its arguments, the
// state (files, folders, the list, the preview) is kept for real, and single calls can be
// told to fail, so a test asserts a command's whole call sequence and its result.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "runtime/services.h"

namespace velmora::testing {

inline std::string Narrow(const Text& text) {
    std::string out;
    for (wchar_t c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | ((c >> 12) & 0x0F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

class FakeServices : public Services {
  public:
    std::vector<std::string> calls;

    Text directory = L"C:\\Velmora";
    DateTime now{2026, 12, 11, 9, 5, 7};
    std::map<Text, Bytes> files;
    std::set<Text> lockedFiles;  // RemoveFile fails for these
    std::set<Text> unwritable;   // WriteWholeFile fails for these
    Bytes capture{'B', 'M'};
    // What the script run does; by default it behaves as the Registry Editor would with
    // the key present: it writes the export named in the script.
    std::function<void(const Text& script, const Text& workdir)> onRun;
    std::deque<Answer> answers;  // message box answers, Ok when none is left
    struct Box {
        Text text, title;
        Buttons buttons;
    };
    std::vector<Box> boxes;
    std::vector<Text> listing;  // what the directory search yields
    int quitAfterPumps = -1;    // PumpPendingMessages reports quit after that many
    std::vector<Text> list;
    int selection = -1;
    Bytes picture{'?'};
    bool waitCursor = false;

    Text ProgramDirectory() override { return directory; }
    DateTime CurrentDateTime() override {
        calls.push_back("CurrentDateTime");
        return now;
    }
    Bytes TextToBytes(const Text& text) override {
        const std::string s = Narrow(text);
        return Bytes(s.begin(), s.end());
    }
    Bytes ReadWholeFile(const Text& path) override {
        calls.push_back("ReadWholeFile " + Narrow(path));
        auto it = files.find(path);
        return it == files.end() ? Bytes{} : it->second;
    }
    bool WriteWholeFile(const Text& path, const Bytes& bytes) override {
        calls.push_back("WriteWholeFile " + Narrow(path) + " " + std::to_string(bytes.size()));
        if (unwritable.count(path)) return false;
        files[path] = bytes;
        return true;
    }
    bool FileExists(const Text& path) override { return files.count(path) != 0; }
    RemoveResult RemoveFile(const Text& path) override {
        calls.push_back("RemoveFile " + Narrow(path));
        if (lockedFiles.count(path)) return RemoveResult::Failed;
        return files.erase(path) ? RemoveResult::Removed : RemoveResult::Missing;
    }
    bool RunCommandAndWait(const Text& script, const Text& workdir) override {
        calls.push_back("RunCommandAndWait " + Narrow(script) + " in " + Narrow(workdir));
        if (onRun) {
            onRun(script, workdir);
        } else if (files.count(script)) {
            // The export lands beside the script, named as the script but ".reg".
            files[script.substr(0, script.size() - 4) + L".reg"] = Bytes{'R'};
        }
        return true;
    }
    bool ShellOpenFile(const Text& path) override {
        calls.push_back("ShellOpenFile " + Narrow(path));
        return true;
    }
    void TerminateProcessesByName(const Text& image) override {
        calls.push_back("TerminateProcessesByName " + Narrow(image));
    }
    void SleepMilliseconds(unsigned ms) override {
        calls.push_back("SleepMilliseconds " + std::to_string(ms));
    }
    Answer ShowMessageBox(const Text& text, Buttons buttons, const Text& title) override {
        calls.push_back("ShowMessageBox " + Narrow(title));
        boxes.push_back({text, title, buttons});
        if (answers.empty()) return Answer::Ok;
        Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    void ShowAboutWindow() override { calls.push_back("ShowAboutWindow"); }
    void SetWaitCursor(bool on) override {
        calls.push_back(on ? "WaitCursor on" : "WaitCursor off");
        waitCursor = on;
    }
    Bytes CaptureDesktop() override {
        calls.push_back("CaptureDesktop");
        return capture;
    }

    class Search : public DirectorySearch {
      public:
        explicit Search(FakeServices& owner) : owner_(owner) {}
        Text First(const Text& path) override {
            owner_.calls.push_back("SearchFirst " + Narrow(path));
            next_ = 0;
            return Next();
        }
        Text Next() override {
            return next_ < owner_.listing.size() ? owner_.listing[next_++] : Text();
        }
        void Close() override { owner_.calls.push_back("SearchClose"); }

      private:
        FakeServices& owner_;
        std::size_t next_ = 0;
    };
    std::unique_ptr<DirectorySearch> NewDirectorySearch() override {
        return std::make_unique<Search>(*this);
    }
    int pumps = 0;
    bool PumpPendingMessages() override {
        ++pumps;
        return quitAfterPumps < 0 || pumps < quitAfterPumps;
    }

    void AddItem(const Text& text) override {
        calls.push_back("AddItem " + Narrow(text));
        list.push_back(text);
    }
    void AddItems(const std::vector<Text>& texts) override {
        calls.push_back("AddItems " + std::to_string(texts.size()));
        list.insert(list.end(), texts.begin(), texts.end());
    }
    int ItemCount() override { return static_cast<int>(list.size()); }
    Text ItemText(int index) override {
        return index >= 0 && index < ItemCount() ? list[index] : Text();
    }
    void DeleteItem(int index) override {
        calls.push_back("DeleteItem " + std::to_string(index));
        if (index >= 0 && index < ItemCount()) {
            list.erase(list.begin() + index);
            // As a real list box: deleting the selected entry leaves none selected.
            if (selection == index)
                selection = -1;
            else if (selection > index)
                --selection;
        }
    }
    int CurrentSelection() override { return selection; }
    void SetCurrentSelection(int index) override {
        calls.push_back("SetCurrentSelection " + std::to_string(index));
        selection = index >= 0 && index < ItemCount() ? index : -1;
    }
    void SetPicture(const Bytes& bytes) override {
        calls.push_back("SetPicture " + std::to_string(bytes.size()));
        picture = bytes;
    }

    // Test helpers.
    Text Reg(const Text& name) const { return directory + L"\\data\\reg\\" + name + L".reg"; }
    Text Pic(const Text& name) const { return directory + L"\\data\\pic\\" + name + L".jpg"; }
    void AddBackup(const Text& name, Bytes picture = {'P'}) {
        files[Reg(name)] = {'R'};
        files[Pic(name)] = std::move(picture);
        list.push_back(name);
    }
};

}  // namespace velmora::testing

// Hand-written fakes of the program's services, for driving the behaviour natively.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

#include "app/context.h"
#include "app/text.h"
#include "lock/input_lock.h"
#include "lock/policy_restore.h"
#include "lock/system_power.h"

namespace qv::test {

// What a fake recorded, or texts to compare with it.
using Log = std::vector<std::string>;

// The ANSI code page the program sees; 1252 unless a test chooses another.
extern unsigned ansiCodePage;

// What most fakes do when called: note the call, give the scripted answer.
template <class Entry, class Answer>
Answer Logged(std::vector<Entry>& log, std::type_identity_t<Entry> call, Answer answer) {
    log.push_back(std::move(call));
    return answer;
}

// Case-insensitive keys, as Windows paths and names are.
struct NoCaseLess {
    bool operator()(const std::string& a, const std::string& b) const { return ToLowerAscii(a) < ToLowerAscii(b); }
};

// An in-memory file system with Windows paths. Folders are implied by files and can also
// be made explicitly. Writes can be made to fail by path.
struct FakeFileSystem : FileSystem {
    struct Entry { std::string data; unsigned attributes = AttrArchive; };
    std::map<std::string, Entry, NoCaseLess> files;
    std::map<std::string, unsigned, NoCaseLess> folders;
    std::set<std::string, NoCaseLess> failWrites, failRemoves;   // write/replace/copy or remove fail
    // Fault injection: changes (write, replace, remove, copy) are counted from 1; change
    // number `failAt` fails, and so do all later ones unless the fault is `OneChange`. A medium pulled
    // at that change cannot even be read afterwards.
    enum class Fault { OneChange, FolderReadOnly, MediumPulled };
    int changes = 0, failAt = 0;
    Fault fault = Fault::OneChange;
    bool pulled = false;
    Log log;   // "write X", "remove X", ...

    static std::string norm(std::string p) {
        while (p.size() > 3 && (p.back() == '\\' || p.back() == '/')) p.pop_back();
        return p;
    }
    void put(const std::string& p, const std::string& data, unsigned a = AttrArchive) { files[norm(p)] = {data, a}; }
    void mkdir(const std::string& p, unsigned attr = AttrDirectory) { folders[norm(p)] = attr | AttrDirectory; }
    bool has(const std::string& p) const { return files.count(norm(p)) != 0; }
    std::string get(const std::string& p) const { return has(p) ? files.at(norm(p)).data : ""; }
    // Windows refuses to overwrite or replace a read-only file.
    bool readOnlyFile(const std::string& p) const { return has(p) && (files.at(norm(p)).attributes & AttrReadOnly); }
    // Logs a change and tells whether it fails; `refused` is the change's own reason to fail.
    bool fails(const std::string& change, bool refused) {
        log.push_back(change);
        if (refused) return true;
        ++changes;
        if (failAt == 0 || changes < failAt || (changes > failAt && fault == Fault::OneChange)) return false;
        pulled = fault == Fault::MediumPulled;
        return true;
    }

    std::optional<FileInfo> stat(const std::string& path) const override {
        const std::string p = norm(path), prefix = ToLowerAscii(p) + "\\";
        if (pulled) return std::nullopt;
        if (has(p)) return FileInfo{files.at(p).attributes, files.at(p).data.size()};
        if (folders.count(p)) return FileInfo{folders.at(p), 0};
        auto within = [&](const auto& entry) { return StartsWith(ToLowerAscii(entry.first), prefix); };
        if (!std::ranges::any_of(files, within) && !std::ranges::any_of(folders, within)) return std::nullopt;
        return FileInfo{AttrDirectory, 0};
    }
    std::optional<std::string> read(const std::string& path) const override {
        return has(path) && !pulled ? std::optional(get(path)) : std::nullopt;
    }
    bool write(const std::string& path, std::string_view data) override {
        if (fails("write " + path, failWrites.count(norm(path)) || readOnlyFile(path))) return false;
        files[norm(path)].data = std::string(data);
        return true;
    }
    bool replace(const std::string& from, const std::string& to) override {
        if (fails("replace " + from + " " + to, failWrites.count(norm(to)) || !has(from) || readOnlyFile(to)))
            return false;
        files[norm(to)] = files[norm(from)];
        files.erase(norm(from));
        return true;
    }
    bool remove(const std::string& path) override {
        if (fails("remove " + path, failRemoves.count(norm(path)))) return false;
        return files.erase(norm(path)) + folders.erase(norm(path)) > 0;
    }
    bool makeDirectory(const std::string& path) override {
        mkdir(path);
        return true;
    }
    bool copy(const std::string& from, const std::string& to) override {
        if (fails("copy " + from + " " + to, failWrites.count(norm(to)) || !has(from))) return false;
        files[norm(to)] = files[norm(from)];
        return true;
    }
    bool setAttributes(const std::string& path, unsigned attributes) override {
        if (has(path)) files[norm(path)].attributes = attributes;
        return has(path);
    }
};

struct ShownMessage { std::string text, title; unsigned flags; };

// Records message boxes; answers with the queued answers, then with Yes or OK.
struct FakeMessageBoxes : MessageBoxes {
    std::vector<ShownMessage> shown;
    std::vector<int> answers;
    std::function<void()> onShow;   // runs while the box is up

    int show(const std::string& text, const std::string& title, unsigned flags) override {
        shown.push_back({text, title, flags});
        if (onShow) onShow();
        if (answers.empty()) return (flags & 0x0F) == MbYesNo ? IdYes : IdOk;
        const int answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    }
    const ShownMessage& last() const { return shown.back(); }
    // A box as one comparable line: "title|text|flags".
    static std::string box(const std::string& title, const std::string& text, unsigned flags) {
        return title + "|" + text + "|" + std::to_string(flags);
    }
    Log boxes() const {
        Log out;
        for (const ShownMessage& m : shown) out.push_back(box(m.title, m.text, m.flags));
        return out;
    }
};

struct FakeDesktop : Desktop {
    std::map<std::pair<std::string, std::string>, WindowHandle> windows;   // (class, title)
    std::vector<WindowHandle> closed;
    int doEventsCalls = 0;
    bool busy = false;

    WindowHandle findWindow(const std::string& className, const std::string& title) override {
        for (auto& [key, handle] : windows) {
            if (key.second == title && (className.empty() || ToLowerAscii(key.first) == ToLowerAscii(className)))
                return handle;
        }
        return 0;
    }
    void postClose(WindowHandle window) override { closed.push_back(window); }
    void doEvents() override { ++doEventsCalls; }
    void setBusyCursor(bool b) override { busy = b; }
    void sleep(unsigned) override {}
};

struct FakeShell : Shell {
    FakeFileSystem& fs;
    std::string startup, errorDescription;
    Log opened, ran;
    std::string openedIn;   // working folder and window state of the last open
    bool openedHidden = false, runResult = true;
    std::intptr_t openResult = 42;
    explicit FakeShell(FakeFileSystem& f) : fs(f) {}

    bool deleteSilent(const std::string& path) override { return fs.remove(path); }
    bool copySilent(const std::string& from, const std::string& to) override { return fs.copy(from, to); }
    std::string userStartupFolder() override { return startup; }
    std::intptr_t open(const std::string& target, const std::string& directory, bool hidden) override {
        openedIn = directory;
        openedHidden = hidden;
        return Logged(opened, target, openResult);
    }
    bool run(const std::string& commandLine) override { return Logged(ran, commandLine, runResult); }
    std::string lastErrorDescription() override { return errorDescription; }
};

// The program's registry and the lock-down's policy values in one store; a key in `readOnly`,
// or a root's number for all of it, refuses the policy changes, as without rights.
struct FakeRegistry : Registry, PolicyRegistry {
    std::map<std::string, RegValue, NoCaseLess> values;   // "root\key\name"
    std::set<std::string> readOnly;
    static std::string path(RegRoot root, const std::string& key, const std::string& name = "") {
        return std::to_string(static_cast<std::uint32_t>(root)) + "\\" + key + "\\" + name;
    }
    void deleteValue(RegRoot r, const std::string& k, const std::string& n) override { values.erase(path(r, k, n)); }
    bool setString(RegRoot r, const std::string& k, const std::string& n, const std::string& data) override {
        values[path(r, k, n)] = {1, data};
        return true;
    }
    std::optional<RegValue> query(RegRoot r, const std::string& k, const std::string& n) override {
        return values.count(path(r, k, n)) ? std::optional(values.at(path(r, k, n))) : std::nullopt;
    }
    std::optional<RegValue> read(RegRoot r, const std::string& k, const std::string& n) override {
        return query(r, k, n);
    }
    bool write(RegRoot r, const std::string& k, const std::string& n, const RegValue& value) override {
        return writable(r, k) && (values[path(r, k, n)] = value, true);
    }
    bool remove(RegRoot r, const std::string& k, const std::string& n) override {
        return writable(r, k) && (values.erase(path(r, k, n)), true);
    }
    bool writable(RegRoot r, const std::string& k) const {
        return !readOnly.count(k) && !readOnly.count(std::to_string(static_cast<std::uint32_t>(r)));
    }
};

struct FakeDrives : Drives {
    std::map<char, unsigned> types;   // missing letters: NoRootDir
    std::set<char> notReady;
    unsigned driveType(char letter) override { return types.count(letter) ? types[letter] : NoRootDir; }
    bool isReady(char letter) override { return types.count(letter) && !notReady.count(letter); }
};

struct FakeClock : Clock {
    DateTime t = 1'800'000'000;
    DateTime now() override { return t; }
    std::string generalDate(DateTime v) override { return "T" + std::to_string(v); }
};

struct FakeSystemInfo : SystemInfo {
    OsVersionInfo os{5, 1, 2};   // Windows XP
    bool admin = true, otherInstance = false;
    std::string exe = "F:\\Program\\quorvel\\quorvel.exe", recordFolder = "C:\\ProgramData\\Vantrel\\Quorvel";
    OsVersionInfo version() override { return os; }
    bool isNTAdmin() override { return admin; }
    bool claimSingleInstance() override { return !otherInstance; }
    std::string executablePath() override { return exe; }
    std::string lockRecordFolder() override { return recordFolder; }
};

// String libraries are files whose content lists "id=text" lines.
struct FakeStringLoader : StringLibraryLoader {
    FakeFileSystem& fs;
    std::map<Handle, std::map<std::uint32_t, std::string>> loaded;
    Handle next = 100;
    explicit FakeStringLoader(FakeFileSystem& f) : fs(f) {}

    static std::string table(const std::map<std::uint32_t, std::string>& texts) {
        std::string out;
        for (auto& [id, text] : texts) out += std::to_string(id) + "=" + text + "\n";
        return out;
    }
    Handle load(const std::string& path) override {
        auto data = fs.read(path);
        if (!data) return 0;
        auto& texts = loaded[next];   // an empty library loads too
        std::istringstream in(*data);
        for (std::string line; std::getline(in, line);)
            if (auto eq = line.find('='); eq != std::string::npos)
                texts[static_cast<std::uint32_t>(std::stoul(line.substr(0, eq)))] = line.substr(eq + 1);
        return next++;
    }
    bool free(Handle handle) override { return loaded.erase(handle) > 0; }
    std::optional<std::string> loadString(Handle handle, std::uint32_t id, int maxChars) override {
        if (!loaded.count(handle)) return std::nullopt;
        return loaded[handle][id].substr(0, static_cast<std::size_t>(maxChars - 1));   // a missing id: ""
    }
};

struct FakeProgramStrings : ProgramStrings {
    std::map<std::uint32_t, std::string> texts{{997, "LE"}, {998, "Quorvel Lite"},
                                               {1000, "http://www.example.test/support/"},
                                               {1001, "http://www.example.test/support/checkupdates.php"},
                                               {1005, "http://www.example.test/support/software.html"}};
    std::optional<std::string> boxes;   // resource CUSTOM 1
    std::string get(std::uint32_t id) override { return texts.count(id) ? texts[id] : std::string(); }
    std::optional<std::string> customResource(int id) override { return id == 1 ? boxes : std::nullopt; }
};

struct FakeLockDown : LockDownLibrary {
    Log calls;   // "LockWAllTaskbar 0"
    void lockW2kSpecialKey(std::int32_t f) override { calls.push_back("LockW2kSpecialKey " + std::to_string(f)); }
    void lockW98SpecialKey(std::int32_t f) override { calls.push_back("LockW98SpecialKey " + std::to_string(f)); }
    void lockW2kTaskManager(std::int32_t f) override { calls.push_back("LockW2kTaskManager " + std::to_string(f)); }
    void lockWAllTaskbar(std::int32_t f) override { calls.push_back("LockWAllTaskbar " + std::to_string(f)); }
};

// Answers with `text`, `count` and `status`; `loadable` false stands for a missing library.
struct FakeUsbSerial : UsbSerialLibrary {
    std::string text;
    std::int16_t count = 0, status = 1;
    std::optional<std::int16_t> reportedLength;   // overrides the length of `text`
    bool loadable = true;
    int calls = 0;
    bool getUSBSerial(char* buffer, std::int16_t& length, std::int16_t& c, std::int16_t& s) override {
        ++calls;
        if (!loadable) return false;
        const std::size_t n = text.copy(buffer, kUsbSerialBufferSize);
        length = reportedLength.value_or(static_cast<std::int16_t>(n));
        c = count;
        s = status;
        return true;
    }
    // Builds the device text of the given (vid, pid, serial, manu, prod) records.
    void setDevices(const std::vector<std::vector<std::string>>& devices) {
        text.clear();
        for (auto d : devices) {
            d.resize(5);
            text += "<vid>" + d[0] + "</vid><pid>" + d[1] + "</pid><serial>" + d[2] + "</serial><manu>" + d[3] +
                    "</manu><prod>" + d[4] + "</prod></device>";
        }
        count = static_cast<std::int16_t>(devices.size());
    }
};

struct FakeSecureDelete : SecureDeleteLibrary {
    FakeFileSystem& fs;
    bool works = true;
    Log calls;
    explicit FakeSecureDelete(FakeFileSystem& f) : fs(f) {}
    std::int16_t sDelete(const std::string& path) override {
        if (works) fs.remove(path);
        return Logged(calls, path, static_cast<std::int16_t>(works));
    }
};

struct FakeHttp : HttpClient {
    std::string body, code = "200";
    std::string request(const std::string&, const std::string&, std::string& statusCode, std::string& statusText,
                        int, const std::string&, const std::string&) override {
        statusCode = code;
        statusText = "OK";
        return body;
    }
};

// A list view that keeps its columns and rows; the test picks the selected row.
struct FakeListView : ListView {
    struct Column { std::string header; int width; };
    struct Row { int icon; Log cells; };
    std::vector<Column> columns;
    std::vector<Row> rows;
    int selected = 0;
    void addColumn(const std::string& header, int width) override { columns.push_back({header, width}); }
    int addRow(int icon, const Log& cells) override { return Logged(rows, {icon, cells}, int(rows.size()) + 1); }
    int selectedRow() const override { return selected; }
    std::string cell(int row, int column) const override {
        if (row < 1 || row > int(rows.size())) return {};
        const Log& cells = rows[std::size_t(row - 1)].cells;
        return column < 1 || column > int(cells.size()) ? std::string() : cells[std::size_t(column - 1)];
    }
    void setCharset(int) override {}
};

// A window that remembers what it was asked.
struct FakeView : View {
    struct Control {
        std::string caption, text;
        bool enabled = true, visible = true, checked = false;
        int fontSize = 0, charset = -1, selStart = 0, selLength = 0, left = 0, top = 0, width = 0, height = 0;
        Log items;
    };
    struct Timer { bool enabled = false; unsigned interval = 0; };
    std::map<std::string, Control> controls;
    std::map<std::string, Timer> timers;
    std::map<std::string, FakeListView> listViews;
    std::string focus;
    bool topMost = false, open = true;
    std::function<void()> onClose;
    // Set by the host so that a text change reaches the form, as the real window's would.
    std::function<void(const std::string&)> onTextChanged;
    // One 1024 x 768 monitor unless a test sets another desktop.
    ScreenRect virtualScreen{0, 0, 15360, 11520}, primaryScreen{0, 0, 15360, 11520};

    Control& c(const std::string& name) { return controls[name]; }
    void setCaption(const std::string& n, const std::string& t) override { c(n).caption = t; }
    std::string caption(const std::string& n) const override { return get(n).caption; }
    void setEnabled(const std::string& n, bool e) override { c(n).enabled = e; }
    bool isEnabled(const std::string& n) const override { return get(n).enabled; }
    void setVisible(const std::string& n, bool v) override { c(n).visible = v; }
    bool isVisible(const std::string& n) const override { return get(n).visible; }
    void setFont(const std::string& n, int size, int cs) override {
        std::tie(c(n).fontSize, c(n).charset) = std::tuple(size, cs);
    }
    void setFocus(const std::string& n) override { focus = n; }
    void setText(const std::string& n, const std::string& t) override {
        if (c(n).text == t) return;   // an unchanged text raises no change event
        c(n).text = t;
        if (onTextChanged) onTextChanged(n);
    }
    std::string text(const std::string& n) const override { return get(n).text; }
    int selectionStart(const std::string& n) const override { return get(n).selStart; }
    int selectionLength(const std::string& n) const override { return get(n).selLength; }
    void setSelection(const std::string& n, int s, int l) override {
        std::tie(c(n).selStart, c(n).selLength) = std::tuple(s, l);
    }
    void clearItems(const std::string& n) override { c(n).items.clear(); }
    void addItem(const std::string& n, const std::string& item) override { c(n).items.push_back(item); }
    void setChecked(const std::string& n, bool v) override { c(n).checked = v; }
    bool isChecked(const std::string& n) const override { return get(n).checked; }
    void setTimer(const std::string& n, bool e, unsigned ms) override { timers[n] = {e, ms}; }
    bool timerEnabled(const std::string& n) const override { return timers.count(n) && timers.at(n).enabled; }
    void move(const std::string& n, int l, int t, int w, int h) override {
        std::tie(c(n).left, c(n).top, c(n).width, c(n).height) = std::tuple(l, t, w, h);
    }
    ScreenRect virtualScreenTwips() const override { return virtualScreen; }
    ScreenRect primaryScreenTwips() const override { return primaryScreen; }
    void centreOnScreen() override {}
    ListView* listView(const std::string& n) override { return &listViews[n]; }
    void setTopMost() override { topMost = true; }
    void close() override {
        if (!std::exchange(open, false)) return;
        if (onClose) onClose();
    }
    bool isOpen() const override { return open; }
    Control get(const std::string& n) const { return controls.count(n) ? controls.at(n) : Control{}; }
};

// Shows forms on FakeViews. A modal form runs the script registered for its name while it
// is "open" (the script may click, type, or make other things happen), then is closed if
// the script left it open.
struct FakeFormHost : FormHost {
    std::map<std::string, std::function<void(Form&)>> scripts;
    Log shown;   // "frmRemind modal", "frmLock modeless"
    std::map<const Form*, std::unique_ptr<FakeView>> views;

    FakeView& viewOf(const Form& form) { return *views.at(&form); }
    void showModal(Form& form) override {
        if (FakeView* view = show(form, "modal")) view->close();
    }
    void showModeless(Form& form) override { show(form, "modeless"); }
    // Loads the form on a new view and runs its script while it is open; null if the load closed it.
    FakeView* show(Form& form, const char* how) {
        shown.push_back(std::string(form.name()) + " " + how);
        FakeView& view = *(views[&form] = std::make_unique<FakeView>());
        view.onClose = [&form] { form.unload(); };
        view.onTextChanged = [&form](const std::string& n) { form.change(n); };
        form.attach(&view);
        form.load();
        if (!view.isOpen()) return nullptr;
        if (scripts.count(form.name())) scripts[form.name()](form);
        return &view;
    }
};

// The main window, the lock screen and the notifications, as other windows see them.
struct FakeMainWindow : MainWindow {
    std::string status, statusBar;
    std::optional<bool> armed;
    Log calls;      // "setPassword", "writeLockIni", "delLockIni", "unload"
    Log statuses;   // every status shown, in order
    void setStatus(const std::string& t) override { statuses.push_back(status = t); }
    void setStatusBar(const std::string& t) override { statusBar = t; }
    void setArmed(bool a) override { armed = a; }
    void runSetPasswordCommand() override { calls.push_back("setPassword"); }
    void writeLockIni() override { calls.push_back("writeLockIni"); }
    void delLockIni() override { calls.push_back("delLockIni"); }
    void unloadMainWindow() override { calls.push_back("unload"); }
    void stopPolling() override { calls.push_back("stopPolling"); }
};

struct FakeLockScreen : LockScreenControl {
    bool loaded = false;
    Log calls;   // "open", "stopClock", "unload", "wrongKey", "taskbar 0"
    bool isLoaded() const override { return loaded; }
    void open(std::function<void()> afterCovered) override {
        loaded = Logged(calls, "open", true);
        if (afterCovered) afterCovered();
    }
    void stopClock() override { calls.push_back("stopClock"); }
    void unload() override { loaded = Logged(calls, "unload", false); }
    void showWrongKeyNotice() override { calls.push_back("wrongKey"); }
    void enableTaskbar(bool on) override { calls.push_back(on ? "taskbar 1" : "taskbar 0"); }
    void sessionEnding() override { calls.push_back("sessionEnding"); }
    void sessionGoesOn() override { calls.push_back("sessionGoesOn"); }
};

struct FakeDriveNotifications : DriveNotifications {
    Log calls;
    bool registers = true;
    bool subclassWindow() override { return Logged(calls, "subclass", true); }
    bool registerDriveNotify() override { return Logged(calls, "register", registers); }
    bool unregisterDriveNotify() override { return Logged(calls, "unregister", true); }
};

// Logs into `log` (usually the lock-down fake's call list, so both orders show in one place).
struct FakeInputLock : InputLock {
    explicit FakeInputLock(std::vector<std::string>& calls) : log(calls) {}
    std::vector<std::string>& log;
    std::uintptr_t handle = 77;   // 0: the installation failed
    std::uintptr_t installKeyboardHook(bool perThread) override {
        log.push_back(perThread ? "hook thread" : "hook desktop");
        return handle;
    }
    void removeKeyboardHook(std::uintptr_t h) override { log.push_back("unhook " + std::to_string(h)); }
    void releaseShiftKey() override { log.push_back("releaseShift"); }
};

struct FakeSystemPower : SystemPower {
    std::vector<std::string> calls;
    bool result = true;             // false: the system refuses
    std::function<void()> onCall;   // runs at the moment of the call
    bool shutdownNt() override { return record("shutdownNt"); }
    bool exitWindows98() override { return record("exitWindows98"); }
    bool restart() override { return record("restart"); }
    bool logOff() override { return record("logOff"); }
    bool record(const char* call) {
        calls.push_back(call);
        if (onCall) onCall();
        return result;
    }
};

// Every fake wired into one Context, with the program folder on drive F.
struct FakeWorld {
    FakeFileSystem fs;
    FakeMessageBoxes messages;
    FakeDesktop desktop;
    FakeShell shell{fs};
    FakeRegistry registry;
    FakeDrives drives;
    FakeClock clock;
    FakeSystemInfo system;
    FakeFormHost forms;
    FakeStringLoader stringLoader{fs};
    FakeProgramStrings programStrings;
    FakeLockDown lockDown;
    FakeUsbSerial usbSerial;
    FakeSecureDelete secureDelete{fs};
    FakeHttp http;
    Context ctx{Services{fs, messages, desktop, shell, registry, drives, clock, system, forms, stringLoader,
                         programStrings, lockDown, usbSerial, secureDelete, http}};
    FakeMainWindow mainWindow;
    FakeLockScreen lockScreen;
    FakeDriveNotifications notifications;
    FakeInputLock input{lockDown.calls};
    FakeSystemPower power;

    static constexpr const char* kFolder = "F:\\Program\\quorvel";

    FakeWorld() {
        ctx.setMainWindow(&mainWindow);
        ctx.setLockScreen(&lockScreen);
        ctx.setDriveNotifications(&notifications);
        ctx.setInputLock(&input);
        ctx.setSystemPower(&power);
        ctx.globals().programFolder = kFolder;
        ctx.globals().exeName = "quorvel";
        ctx.globals().languageId = "0409";
        ctx.globals().charsetSetting = "0";
        ctx.globals().osCode = -1;
        fs.mkdir(kFolder);
    }
    std::string path(const std::string& name) const { return std::string(kFolder) + "\\" + name; }
    std::string record(const std::string& name) const { return system.recordFolder + "\\" + name; }
    // Installs language libraries with the given texts and loads them.
    void loadStrings(const std::map<std::uint32_t, std::string>& lang,
                     const std::map<std::uint32_t, std::string>& lic = {}) {
        fs.put(path("langfile" + ctx.globals().languageId + ".dll"), FakeStringLoader::table(lang));
        fs.put(path("lic" + ctx.globals().languageId + ".dll"), FakeStringLoader::table(lic));
        ctx.strings().loadLicLibrary();
        ctx.strings().loadLanguageLibrary();
    }
};

}  // namespace qv::test

// Hand-written fakes of the program's services, for driving the behaviour natively.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/context.h"
#include "app/text.h"
#include "lock_fakes.h"

namespace qv::test {

// What a fake recorded, or texts to compare with it.
using Log = std::vector<std::string>;

// Case-insensitive keys, as Windows paths and names are.
struct NoCaseLess {
    bool operator()(const std::string& a, const std::string& b) const {
        return ToLowerAscii(a) < ToLowerAscii(b);
    }
};

// An in-memory file system with Windows paths. Folders are implied by files and can also
// be made explicitly. Writes can be made to fail by path.
class FakeFileSystem : public FileSystem {
public:
    struct Entry {
        std::string data;
        unsigned attributes = AttrArchive;
    };
    std::map<std::string, Entry, NoCaseLess> files;
    std::map<std::string, unsigned, NoCaseLess> folders;
    std::set<std::string, NoCaseLess> failWrites;    // write/replace/copy to these paths fail
    std::set<std::string, NoCaseLess> failRemoves;
    bool readOnly = false;                           // every change fails
    // Fault injection: changes (write, replace, remove, copy) are counted from 1; change
    // number `failAt` fails, and so do all later ones when `faultSticks`. A medium pulled
    // at that change cannot even be read afterwards.
    enum class Fault { OneChange, FolderReadOnly, MediumPulled };
    int changes = 0, failAt = 0;
    Fault fault = Fault::OneChange;
    bool pulled = false;
    std::vector<std::string> log;                    // "write X", "remove X", ...

    static std::string norm(std::string p) {
        while (p.size() > 3 && (p.back() == '\\' || p.back() == '/')) p.pop_back();
        return p;
    }
    void put(const std::string& path, const std::string& data, unsigned attributes = AttrArchive) {
        files[norm(path)] = {data, attributes};
    }
    void mkdir(const std::string& path, unsigned attributes = AttrDirectory) {
        folders[norm(path)] = attributes | AttrDirectory;
    }
    bool has(const std::string& path) const { return files.count(norm(path)) != 0; }
    bool injectedFault() {
        ++changes;
        if (failAt == 0 || changes < failAt || (changes > failAt && fault == Fault::OneChange)) return false;
        pulled = fault == Fault::MediumPulled;
        return true;
    }
    // Windows refuses to overwrite or replace a read-only file.
    bool readOnlyFile(const std::string& path) const {
        auto it = files.find(norm(path));
        return it != files.end() && (it->second.attributes & AttrReadOnly);
    }
    std::string get(const std::string& path) const {
        auto it = files.find(norm(path));
        return it == files.end() ? std::string() : it->second.data;
    }

    std::optional<FileInfo> stat(const std::string& path) const override {
        std::string p = norm(path);
        if (pulled) return std::nullopt;
        if (auto it = files.find(p); it != files.end()) return FileInfo{it->second.attributes, it->second.data.size()};
        if (auto it = folders.find(p); it != folders.end()) return FileInfo{it->second, 0};
        const std::string prefix = ToLowerAscii(p) + "\\";
        auto inside = [&](const auto& entries) {
            for (auto& entry : entries)
                if (StartsWith(ToLowerAscii(entry.first), prefix)) return true;
            return false;
        };
        if (inside(files) || inside(folders)) return FileInfo{AttrDirectory, 0};
        return std::nullopt;
    }
    std::optional<std::string> read(const std::string& path) const override {
        auto it = files.find(norm(path));
        if (it == files.end() || pulled) return std::nullopt;
        return it->second.data;
    }
    bool write(const std::string& path, std::string_view data) override {
        log.push_back("write " + path);
        if (readOnly || failWrites.count(norm(path)) || readOnlyFile(path) || injectedFault()) return false;
        files[norm(path)].data = std::string(data);
        return true;
    }
    bool replace(const std::string& from, const std::string& to) override {
        log.push_back("replace " + from + " " + to);
        if (readOnly || failWrites.count(norm(to)) || !has(from) || readOnlyFile(to) || injectedFault()) return false;
        files[norm(to)] = files[norm(from)];
        files.erase(norm(from));
        return true;
    }
    bool remove(const std::string& path) override {
        log.push_back("remove " + path);
        if (readOnly || failRemoves.count(norm(path)) || injectedFault()) return false;
        return files.erase(norm(path)) + folders.erase(norm(path)) > 0;
    }
    bool makeDirectory(const std::string& path) override {
        if (readOnly) return false;
        mkdir(path);
        return true;
    }
    bool copy(const std::string& from, const std::string& to) override {
        log.push_back("copy " + from + " " + to);
        if (readOnly || failWrites.count(norm(to)) || !has(from) || injectedFault()) return false;
        files[norm(to)] = files[norm(from)];
        return true;
    }
    bool setAttributes(const std::string& path, unsigned attributes) override {
        auto it = files.find(norm(path));
        if (it == files.end()) return false;
        it->second.attributes = attributes;
        return true;
    }
};

struct ShownMessage { std::string text, title; unsigned flags; };

// Records message boxes; answers with the queued answers, then with Yes or OK.
class FakeMessageBoxes : public MessageBoxes {
public:
    std::vector<ShownMessage> shown;
    std::vector<int> answers;

    std::function<void()> onShow;   // runs while the box is up
    int show(const std::string& text, const std::string& title, unsigned flags) override {
        shown.push_back({text, title, flags});
        if (onShow) onShow();
        if (!answers.empty()) {
            int a = answers.front();
            answers.erase(answers.begin());
            return a;
        }
        return (flags & 0x0F) == MbYesNo ? IdYes : IdOk;
    }
    const ShownMessage& last() const { return shown.back(); }
    // A box as one comparable line: "title|text|flags".
    static std::string box(const std::string& title, const std::string& text, unsigned flags) {
        return title + "|" + text + "|" + std::to_string(flags);
    }
    std::vector<std::string> boxes() const {
        std::vector<std::string> out;
        for (const ShownMessage& m : shown) out.push_back(box(m.title, m.text, m.flags));
        return out;
    }
    // Exactly one box was shown, with this text, title and flags.
    void expectOnly(const std::string& text, const std::string& title, unsigned flags) const {
        EXPECT_EQ(boxes(), std::vector<std::string>{box(title, text, flags)});
    }
};

class FakeDesktop : public Desktop {
public:
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

class FakeShell : public Shell {
public:
    FakeFileSystem& fs;
    std::string startup;
    std::vector<std::string> opened, ran;
    std::string openedIn;       // working folder and window state of the last open
    bool openedHidden = false;
    std::intptr_t openResult = 42;
    bool runResult = true;
    std::string errorDescription;
    explicit FakeShell(FakeFileSystem& f) : fs(f) {}

    bool deleteSilent(const std::string& path) override { return fs.remove(path); }
    bool copySilent(const std::string& from, const std::string& to) override { return fs.copy(from, to); }
    std::string userStartupFolder() override { return startup; }
    std::intptr_t open(const std::string& target, const std::string& directory, bool hidden) override {
        opened.push_back(target);
        openedIn = directory;
        openedHidden = hidden;
        return openResult;
    }
    bool run(const std::string& commandLine) override {
        ran.push_back(commandLine);
        return runResult;
    }
    std::string lastErrorDescription() override { return errorDescription; }
};

class FakeRegistry : public Registry {
public:
    std::map<std::string, RegValue, NoCaseLess> values;   // "root\key\name"
    static std::string path(RegRoot root, const std::string& key, const std::string& name) {
        return std::to_string(static_cast<std::uint32_t>(root)) + "\\" + key + "\\" + name;
    }
    void deleteValue(RegRoot root, const std::string& key, const std::string& name) override {
        values.erase(path(root, key, name));
    }
    bool setString(RegRoot root, const std::string& key, const std::string& name, const std::string& data) override {
        values[path(root, key, name)] = {1, data};
        return true;
    }
    std::optional<RegValue> query(RegRoot root, const std::string& key, const std::string& name) override {
        auto it = values.find(path(root, key, name));
        if (it == values.end()) return std::nullopt;
        return it->second;
    }
};

class FakeDrives : public Drives {
public:
    std::map<char, unsigned> types;   // missing letters: NoRootDir
    std::set<char> notReady;
    unsigned driveType(char letter) override { return types.count(letter) ? types[letter] : NoRootDir; }
    bool isReady(char letter) override { return types.count(letter) && !notReady.count(letter); }
};

class FakeClock : public Clock {
public:
    DateTime t = 1'800'000'000;
    DateTime now() override { return t; }
    std::string generalDate(DateTime v) override { return "T" + std::to_string(v); }
};

class FakeSystemInfo : public SystemInfo {
public:
    OsVersionInfo os{5, 1, 2};   // Windows XP
    bool admin = true;
    std::string exe = "F:\\Program\\quorvel\\quorvel.exe";
    OsVersionInfo version() override { return os; }
    bool isNTAdmin() override { return admin; }
    bool otherInstance = false;
    bool claimSingleInstance() override { return !otherInstance; }
    std::string executablePath() override { return exe; }
    std::string recordFolder = "C:\\ProgramData\\Vantrel\\Quorvel";
    std::string lockRecordFolder() override { return recordFolder; }
};

// String libraries are files whose content lists "id=text" lines.
class FakeStringLoader : public StringLibraryLoader {
public:
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
        std::istringstream in(*data);
        for (std::string line; std::getline(in, line);) {
            if (auto eq = line.find('='); eq != std::string::npos)
                loaded[next][static_cast<std::uint32_t>(std::stoul(line.substr(0, eq)))] = line.substr(eq + 1);
        }
        loaded[next];   // an empty library loads too
        return next++;
    }
    bool free(Handle handle) override { return loaded.erase(handle) > 0; }
    std::optional<std::string> loadString(Handle handle, std::uint32_t id, int maxChars) override {
        auto lib = loaded.find(handle);
        if (lib == loaded.end()) return std::nullopt;
        auto it = lib->second.find(id);
        if (it == lib->second.end()) return std::string();
        return it->second.substr(0, static_cast<std::size_t>(maxChars - 1));
    }
};

class FakeProgramStrings : public ProgramStrings {
public:
    std::map<std::uint32_t, std::string> texts{{997, "LE"},
                                               {998, "Quorvel Lite"},
                                               {1000, "http://www.example.test/support/"},
                                               {1001, "http://www.example.test/support/checkupdates.php"},
                                               {1005, "http://www.example.test/support/software.html"}};
    std::string get(std::uint32_t id) override { return texts.count(id) ? texts[id] : std::string(); }
    std::optional<std::string> boxes;   // resource CUSTOM 1
    std::optional<std::string> customResource(int id) override { return id == 1 ? boxes : std::nullopt; }
};

class FakeLockDown : public LockDownLibrary {
public:
    std::vector<std::string> calls;   // "LockWAllTaskbar 0"
    void lockW2kSpecialKey(std::int32_t f) override { calls.push_back("LockW2kSpecialKey " + std::to_string(f)); }
    void lockW98SpecialKey(std::int32_t f) override { calls.push_back("LockW98SpecialKey " + std::to_string(f)); }
    void lockW2kTaskManager(std::int32_t f) override { calls.push_back("LockW2kTaskManager " + std::to_string(f)); }
    void lockWAllTaskbar(std::int32_t f) override { calls.push_back("LockWAllTaskbar " + std::to_string(f)); }
};

// Answers with `text`, `count` and `status`; `loadable` false stands for a missing library.
class FakeUsbSerial : public UsbSerialLibrary {
public:
    std::string text;
    std::int16_t count = 0;
    std::int16_t status = 1;
    std::optional<std::int16_t> reportedLength;   // overrides the length of `text`
    bool loadable = true;
    int calls = 0;
    bool getUSBSerial(char* buffer, std::int16_t& length, std::int16_t& c, std::int16_t& s) override {
        ++calls;
        if (!loadable) return false;
        std::size_t n = std::min<std::size_t>(text.size(), kUsbSerialBufferSize);
        std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n), buffer);
        length = reportedLength ? *reportedLength : static_cast<std::int16_t>(n);
        c = count;
        s = status;
        return true;
    }
    // Builds the device text of the given (vid, pid, serial, manu, prod) records.
    void setDevices(const std::vector<std::vector<std::string>>& devices) {
        text.clear();
        for (auto& d : devices) {
            text += "<vid>" + d[0] + "</vid><pid>" + d[1] + "</pid><serial>" + d[2] + "</serial><manu>" +
                    (d.size() > 3 ? d[3] : "") + "</manu><prod>" + (d.size() > 4 ? d[4] : "") + "</prod></device>";
        }
        count = static_cast<std::int16_t>(devices.size());
    }
};

class FakeSecureDelete : public SecureDeleteLibrary {
public:
    FakeFileSystem& fs;
    bool works = true;
    std::vector<std::string> calls;
    explicit FakeSecureDelete(FakeFileSystem& f) : fs(f) {}
    std::int16_t sDelete(const std::string& path) override {
        calls.push_back(path);
        if (works) fs.remove(path);
        return works ? 1 : 0;
    }
};

class FakeHttp : public HttpClient {
public:
    std::string body, code = "200";
    struct Call { std::string url, post; int port; };
    std::vector<Call> calls;
    std::string request(const std::string& url, const std::string& post, std::string& statusCode,
                        std::string& statusText, int port, const std::string&, const std::string&) override {
        calls.push_back({url, post, port});
        statusCode = code;
        statusText = "OK";
        return body;
    }
};

// A list view that keeps its columns and rows; the test picks the selected row.
class FakeListView : public ListView {
public:
    struct Column { std::string header; int width; };
    struct Row { int icon; std::vector<std::string> cells; };
    std::vector<Column> columns;
    std::vector<Row> rows;
    int selected = 0;
    void addColumn(const std::string& header, int width) override { columns.push_back({header, width}); }
    int addRow(int icon, const std::vector<std::string>& cells) override {
        rows.push_back({icon, cells});
        return static_cast<int>(rows.size());
    }
    int selectedRow() const override { return selected; }
    std::string cell(int row, int column) const override {
        if (row < 1 || row > static_cast<int>(rows.size())) return {};
        const auto& cells = rows[static_cast<std::size_t>(row - 1)].cells;
        return column < 1 || column > static_cast<int>(cells.size()) ? std::string()
                                                                     : cells[static_cast<std::size_t>(column - 1)];
    }
    void setCharset(int) override {}
};

// A window that remembers what it was asked.
class FakeView : public View {
public:
    struct Control {
        std::string caption, text;
        bool enabled = true, visible = true, checked = false;
        int fontSize = 0, charset = -1, selStart = 0, selLength = 0;
        int left = 0, top = 0, width = 0, height = 0;
        std::vector<std::string> items;
    };
    struct Timer { bool enabled = false; unsigned interval = 0; };
    std::map<std::string, Control> controls;
    std::map<std::string, Timer> timers;
    std::string focus;
    bool topMost = false, open = true;
    std::function<void()> onClose;

    Control& c(const std::string& name) { return controls[name]; }
    void setCaption(const std::string& n, const std::string& t) override { c(n).caption = t; }
    std::string caption(const std::string& n) const override { return get(n).caption; }
    void setEnabled(const std::string& n, bool e) override { c(n).enabled = e; }
    bool isEnabled(const std::string& n) const override { return get(n).enabled; }
    void setVisible(const std::string& n, bool v) override { c(n).visible = v; }
    bool isVisible(const std::string& n) const override { return get(n).visible; }
    void setFont(const std::string& n, int size, int cs) override { c(n).fontSize = size, c(n).charset = cs; }
    void setFocus(const std::string& n) override { focus = n; }
    void setText(const std::string& n, const std::string& t) override {
        if (c(n).text == t) return;   // an unchanged text raises no change event
        c(n).text = t;
        if (onTextChanged) onTextChanged(n);
    }
    std::string text(const std::string& n) const override { return get(n).text; }
    int selectionStart(const std::string& n) const override { return get(n).selStart; }
    int selectionLength(const std::string& n) const override { return get(n).selLength; }
    void setSelection(const std::string& n, int s, int l) override { c(n).selStart = s, c(n).selLength = l; }
    void clearItems(const std::string& n) override { c(n).items.clear(); }
    void addItem(const std::string& n, const std::string& item) override { c(n).items.push_back(item); }
    void setChecked(const std::string& n, bool v) override { c(n).checked = v; }
    bool isChecked(const std::string& n) const override { return get(n).checked; }
    void setTimer(const std::string& n, bool e, unsigned ms) override { timers[n] = {e, ms}; }
    bool timerEnabled(const std::string& n) const override {
        auto it = timers.find(n);
        return it != timers.end() && it->second.enabled;
    }
    void move(const std::string& n, int l, int t, int w, int h) override {
        Control& x = c(n);
        x.left = l, x.top = t, x.width = w, x.height = h;
    }
    // One 1024 x 768 monitor unless a test sets another desktop.
    ScreenRect virtualScreen{0, 0, 15360, 11520}, primaryScreen{0, 0, 15360, 11520};
    ScreenRect virtualScreenTwips() const override { return virtualScreen; }
    ScreenRect primaryScreenTwips() const override { return primaryScreen; }
    void centreOnScreen() override {}
    std::map<std::string, FakeListView> listViews;
    ListView* listView(const std::string& n) override { return &listViews[n]; }
    void setTopMost() override { topMost = true; }
    void close() override {
        if (!open) return;
        open = false;
        if (onClose) onClose();
    }
    bool isOpen() const override { return open; }

    // Set by the host so that a text change reaches the form, as the real window's would.
    std::function<void(const std::string&)> onTextChanged;

private:
    Control get(const std::string& n) const {
        auto it = controls.find(n);
        return it == controls.end() ? Control{} : it->second;
    }
};

// Shows forms on FakeViews. A modal form runs the script registered for its name while it
// is "open" (the script may click, type, or make other things happen), then is closed if
// the script left it open.
class FakeFormHost : public FormHost {
public:
    std::map<std::string, std::function<void(Form&)>> scripts;
    std::vector<std::string> shown;               // "frmRemind modal", "frmLock modeless"
    std::map<const Form*, std::unique_ptr<FakeView>> views;

    FakeView& viewOf(const Form& form) { return *views.at(&form); }

    void showModal(Form& form) override {
        FakeView& view = prepare(form, "modal");
        if (!view.isOpen()) return;
        if (auto it = scripts.find(form.name()); it != scripts.end()) it->second(form);
        view.close();
    }
    void showModeless(Form& form) override {
        FakeView& view = prepare(form, "modeless");
        if (auto it = scripts.find(form.name()); it != scripts.end() && view.isOpen()) it->second(form);
    }

private:
    FakeView& prepare(Form& form, const char* how) {
        shown.push_back(std::string(form.name()) + " " + how);
        auto view = std::make_unique<FakeView>();
        FakeView& ref = *view;
        views[&form] = std::move(view);
        ref.onClose = [&form] { form.unload(); };
        ref.onTextChanged = [&form](const std::string& n) { form.change(n); };
        form.attach(&ref);
        form.load();
        return ref;
    }
};

// The main window, the lock screen and the notifications, as other windows see them.
class FakeMainWindow : public MainWindow {
public:
    std::string status, statusBar;
    std::optional<bool> armed;
    std::vector<std::string> calls;   // "setPassword", "writeLockIni", "delLockIni", "unload"
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

class FakeLockScreen : public LockScreenControl {
public:
    bool loaded = false;
    std::vector<std::string> calls;   // "open", "stopClock", "unload", "wrongKey", "taskbar 0"
    bool isLoaded() const override { return loaded; }
    void open(std::function<void()> afterCovered) override {
        calls.push_back("open"), loaded = true;
        if (afterCovered) afterCovered();
    }
    void stopClock() override { calls.push_back("stopClock"); }
    void unload() override { calls.push_back("unload"), loaded = false; }
    void showWrongKeyNotice() override { calls.push_back("wrongKey"); }
    void enableTaskbar(bool on) override { calls.push_back(on ? "taskbar 1" : "taskbar 0"); }
    void sessionEnding() override { calls.push_back("sessionEnding"); }
    void sessionGoesOn() override { calls.push_back("sessionGoesOn"); }
};

class FakeDriveNotifications : public DriveNotifications {
public:
    std::vector<std::string> calls;
    bool subclassWindow() override { calls.push_back("subclass"); return true; }
    bool registers = true;
    bool registerDriveNotify() override { calls.push_back("register"); return registers; }
    bool unregisterDriveNotify() override { calls.push_back("unregister"); return true; }
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

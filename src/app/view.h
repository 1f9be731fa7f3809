// What a window's behaviour may ask of its window. Controls are named by the names the
// design gives them ("cmdLock", "lbRemainTime"); the empty name is the window itself.
// The Win32 views map names to control ids; the tests record what was asked.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qv {

// A report-style list view whose rows carry an icon of the window's image list.
// Rows and columns are numbered from 1; row 0 means "none".
class ListView {
public:
    virtual ~ListView() = default;
    virtual void addColumn(const std::string& header, int widthTwips) = 0;
    // Appends a row; `columns` holds the texts of columns 1, 2, ... Returns the row's number.
    virtual int addRow(int icon, const std::vector<std::string>& columns) = 0;
    virtual int selectedRow() const = 0;
    // Empty outside the rows and columns.
    virtual std::string cell(int row, int column) const = 0;
    virtual void setCharset(int charset) = 0;
};

// A rectangle of the desktop in twips, in screen coordinates.
struct ScreenRect {
    int left = 0, top = 0, width = 0, height = 0;
};

class View {
public:
    virtual ~View() = default;

    virtual void setCaption(const std::string& control, const std::string& text) = 0;
    virtual std::string caption(const std::string& control) const = 0;
    virtual void setEnabled(const std::string& control, bool enabled) = 0;
    virtual bool isEnabled(const std::string& control) const = 0;
    virtual void setVisible(const std::string& control, bool visible) = 0;
    virtual bool isVisible(const std::string& control) const = 0;
    virtual void setFont(const std::string& control, int pointSize, int charset) = 0;
    virtual void setFocus(const std::string& control) = 0;

    // Text boxes and combo boxes: the text, and for text boxes the selection.
    virtual void setText(const std::string& control, const std::string& text) = 0;
    virtual std::string text(const std::string& control) const = 0;
    virtual int selectionStart(const std::string& control) const = 0;
    virtual int selectionLength(const std::string& control) const = 0;
    virtual void setSelection(const std::string& control, int start, int length) = 0;
    // Combo boxes and option buttons.
    virtual void clearItems(const std::string& control) = 0;
    virtual void addItem(const std::string& control, const std::string& item) = 0;
    virtual void setChecked(const std::string& control, bool checked) = 0;
    virtual bool isChecked(const std::string& control) const = 0;

    // Timers belong to the window; a tick arrives as the presenter's onTimer(name).
    virtual void setTimer(const std::string& timer, bool enabled, unsigned intervalMs) = 0;
    virtual bool timerEnabled(const std::string& timer) const = 0;

    // Geometry in twips (15 twips a pixel at 96 dpi, scaled with the system's dpi).
    virtual void move(const std::string& control, int left, int top, int width, int height) = 0;

    // The list view control of that name; null when the window has none.
    virtual ListView* listView(const std::string& control) { return nullptr; }

    // The whole desktop across every monitor, and the primary monitor, in twips.
    virtual ScreenRect virtualScreenTwips() const = 0;
    virtual ScreenRect primaryScreenTwips() const = 0;

    // Centres the window on the screen.
    virtual void centreOnScreen() = 0;
    virtual void setTopMost() = 0;
    // Unloads the window: ends its modal loop, or destroys a modeless window.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
};

}  // namespace qv

// A View on a dialog window made from a resource template.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/form.h"

namespace qv::win {

class DialogView : public View {
public:
    DialogView(Form& form, bool modal) : form_(form), modal_(modal) {}
    ~DialogView() override;

    HWND hwnd() const { return hwnd_; }
    Form& form() const { return form_; }

    // A window made ahead of its use stays dormant, hidden and deaf to its form, until the
    // form takes it: then the form loads as if the window had just been made.
    void makeDormant() { dormant_ = true; }
    void wake();

    void setCaption(const std::string& control, const std::string& text) override;
    std::string caption(const std::string& control) const override;
    void setEnabled(const std::string& control, bool enabled) override;
    bool isEnabled(const std::string& control) const override;
    void setVisible(const std::string& control, bool visible) override;
    bool isVisible(const std::string& control) const override;
    void setFont(const std::string& control, int pointSize, int charset) override;
    void setFocus(const std::string& control) override;
    void setText(const std::string& control, const std::string& text) override;
    std::string text(const std::string& control) const override;
    int selectionStart(const std::string& control) const override;
    int selectionLength(const std::string& control) const override;
    void setSelection(const std::string& control, int start, int length) override;
    void clearItems(const std::string& control) override;
    void addItem(const std::string& control, const std::string& item) override;
    void setChecked(const std::string& control, bool checked) override;
    bool isChecked(const std::string& control) const override;
    void setTimer(const std::string& timer, bool enabled, unsigned intervalMs) override;
    bool timerEnabled(const std::string& timer) const override;
    void move(const std::string& control, int left, int top, int width, int height) override;
    ListView* listView(const std::string& control) override;
    ScreenRect virtualScreenTwips() const override;
    ScreenRect primaryScreenTwips() const override;
    void centreOnScreen() override;
    void setTopMost() override;
    void close() override;
    bool isOpen() const override;

    // The dialog procedure of every form window.
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
    HWND item(const std::string& control) const;
    // Popup menus of the menu bar, by name, as positions; -1 when not a popup title.
    int popupPosition(const std::string& control) const;
    bool isMenuItem(const std::string& control) const;
    int timerId(const std::string& timer);
    INT_PTR handle(UINT message, WPARAM wParam, LPARAM lParam);

    Form& form_;
    bool modal_;
    HWND hwnd_ = nullptr;
    bool closing_ = false;
    std::vector<HFONT> fonts_;
    std::map<HWND, std::pair<int, int>> fontSet_;   // point size and charset last set
    std::map<std::string, std::unique_ptr<ListView>> listViews_;
    std::map<std::string, int> timerIds_;
    std::map<int, bool> timerState_;
    bool inTimer_ = false;
    bool dormant_ = false;
};

// Pixels for a length in twips at the screen's dpi, and back.
int TwipsToPixels(int twips);
int PixelsToTwips(int pixels);

}  // namespace qv::win

// A report-style list view control behind the portable ListView.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <vector>

#include "app/view.h"

namespace qv::win {

class Win32ListView : public ListView {
public:
    // `icons` are resource ids of the image list's icons, in order.
    Win32ListView(HWND control, const std::vector<int>& icons);
    ~Win32ListView() override;

    void addColumn(const std::string& header, int widthTwips) override;
    int addRow(int icon, const std::vector<std::string>& columns) override;
    int selectedRow() const override;
    std::string cell(int row, int column) const override;
    void setCharset(int charset) override;

private:
    HWND control_;
    HIMAGELIST images_ = nullptr;
    HFONT font_ = nullptr;
    int columns_ = 0;
};

}  // namespace qv::win

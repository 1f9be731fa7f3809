#include "ui/list_view.h"

#include <commctrl.h>

#include "ui/dialog_view.h"

namespace qv::win {

Win32ListView::Win32ListView(HWND control, const std::vector<int>& icons) : control_(control) {
    int size = GetSystemMetrics(SM_CXSMICON);
    images_ = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, static_cast<int>(icons.size()), 0);
    for (int id : icons) {
        auto icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0));
        ImageList_AddIcon(images_, icon);
        DestroyIcon(icon);
    }
    SendMessageA(control_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images_));
    SendMessageA(control_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
}

Win32ListView::~Win32ListView() {
    if (font_) DeleteObject(font_);
}

void Win32ListView::addColumn(const std::string& header, int widthTwips) {
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = const_cast<char*>(header.c_str());
    column.cx = TwipsToPixels(widthTwips);
    column.iSubItem = columns_;
    SendMessageA(control_, LVM_INSERTCOLUMNA, static_cast<WPARAM>(columns_), reinterpret_cast<LPARAM>(&column));
    ++columns_;
}

int Win32ListView::addRow(int icon, const std::vector<std::string>& columns) {
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = static_cast<int>(SendMessageA(control_, LVM_GETITEMCOUNT, 0, 0));
    item.iImage = icon - 1;
    std::string first = columns.empty() ? std::string() : columns[0];
    item.pszText = first.data();
    int index = static_cast<int>(SendMessageA(control_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (index < 0) return 0;
    for (std::size_t c = 1; c < columns.size(); ++c) {
        LVITEMA sub{};
        sub.iSubItem = static_cast<int>(c);
        std::string text = columns[c];
        sub.pszText = text.data();
        SendMessageA(control_, LVM_SETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&sub));
    }
    return index + 1;
}

int Win32ListView::selectedRow() const {
    auto index = static_cast<int>(SendMessageA(control_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    return index < 0 ? 0 : index + 1;
}

std::string Win32ListView::cell(int row, int column) const {
    int rows = static_cast<int>(SendMessageA(control_, LVM_GETITEMCOUNT, 0, 0));
    if (row < 1 || row > rows || column < 1 || column > columns_) return {};
    char buffer[1024] = {};
    LVITEMA item{};
    item.iSubItem = column - 1;
    item.pszText = buffer;
    item.cchTextMax = sizeof buffer;
    SendMessageA(control_, LVM_GETITEMTEXTA, static_cast<WPARAM>(row - 1), reinterpret_cast<LPARAM>(&item));
    return buffer;
}

void Win32ListView::setCharset(int charset) {
    LOGFONTA lf{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(control_, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    lf.lfCharSet = static_cast<BYTE>(charset);
    HFONT font = CreateFontIndirectA(&lf);
    if (!font) return;
    SendMessageA(control_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    if (font_) DeleteObject(font_);
    font_ = font;
}

}  // namespace qv::win

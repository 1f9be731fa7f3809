// Choosing the key among several attached USB storage devices, through the Lock command.
#include <gtest/gtest.h>

#include <commctrl.h>

#include "app/ini_file.h"
#include "driver.h"
#include "password/blowfish.h"
#include "password/cipher_key.h"
#include "resources/resource_ids.h"
#include "services/win_services.h"

using namespace qv::e2e;

namespace {

const char* kThreeDevices =
    "<vid>0951</vid><pid>1642</pid><serial>QV0001KEY</serial><manu>Keystone Media</manu><prod>Key Drive 2.0</prod></device>\r\n"
    "<vid>058F</vid><pid>6387</pid><serial></serial><manu>Generic</manu><prod>Flash Disk</prod></device>\r\n"
    "<vid>0781</vid><pid>5567</pid><serial>4C5300012308</serial><manu>Northwind</manu><prod>Blade Stick</prod></device>\r\n";

// The key identity the passphrase store holds for its first entry.
std::string StoredKeyId() {
    qv::win::WinFileSystem fs;
    qv::clsBlowfish cipher(fs, kFolder);
    cipher.sInitBF(qv::kCipherKey);
    const std::string plain = "Z:\\tmp\\qv-e2e-pass.ini";
    cipher.sFileDecrypt(FolderPath("pass.st"), plain);
    std::string id = qv::ReadIni(fs, "Pass1", "PassSerial", "", plain);
    DeleteFileA(plain.c_str());
    return id;
}

TEST(UsbKeySelection, ThreeDevicesListCompleteOnesFirstAndTheChoiceBecomesTheKey) {
    PrepareProgramFolder();
    WriteFileBytes(SimFilePath(), kThreeDevices);
    Program program;
    HWND main = program.startMain();
    ASSERT_NE(main, nullptr);
    Click(main, IDC_cmdLock);

    HWND dialog = DialogWith(program, IDC_ListView1);
    if (!dialog) {
        auto box = program.messageBox();
        std::string windows;
        for (HWND w : program.windows()) windows += ClassName(w) + " '" + WindowText(w) + "'; ";
        Screenshot(nullptr, "qv-fail.bmp");
        FAIL() << "no selection dialog; running " << program.running() << "; windows: " << windows
               << "; message: " << (box ? box->text : std::string("none"));
    }
    EXPECT_EQ(WindowTextW(dialog), LibraryStringW("lic0409.dll", 533));
    HWND list = GetDlgItem(dialog, IDC_ListView1);
    ASSERT_TRUE(WaitFor([&] { return ListViewRows(list) == 3; }, 5s));
    // Complete devices first, each group in list order; the incomplete one has icon 2.
    EXPECT_EQ(ListViewCell(list, 1, 2), "QV0001KEY/0951/1642");
    EXPECT_EQ(ListViewCell(list, 2, 2), "4C5300012308/0781/5567");
    EXPECT_EQ(ListViewCell(list, 3, 2), "");
    EXPECT_EQ(ListViewCell(list, 3, 3), "Generic");
    EXPECT_EQ(ListViewCell(list, 3, 7), "2");
    EXPECT_EQ(ListViewIcon(list, 1), 1);
    EXPECT_EQ(ListViewIcon(list, 2), 1);
    EXPECT_EQ(ListViewIcon(list, 3), 2);
    Screenshot(dialog, "qv-select-usb.bmp");

    ListViewSelect(list, 3);   // the device without a serial
    Click(dialog, IDC_cmdOk);
    auto refused = program.waitMessageBox();
    ASSERT_TRUE(refused.has_value());
    EXPECT_EQ(refused->text, LibraryString("lic0409.dll", 542));
    EXPECT_EQ(refused->icon, MessageBoxInfo::Critical);
    Answer(*refused, IDOK);

    ListViewSelect(list, 2);   // the third device
    ASSERT_TRUE(WaitFor([&] { return !program.messageBox().has_value(); }));
    Click(dialog, IDC_cmdOk);
    auto confirm = program.waitMessageBox();
    ASSERT_TRUE(confirm.has_value());
    EXPECT_TRUE(confirm->yes && confirm->no);
    Answer(*confirm, IDYES);

    // No passphrase for that key yet: the Lock command offers to set one.
    auto question = program.waitMessageBox();
    ASSERT_TRUE(WaitFor([&] {
        question = program.messageBox();
        return question && question->hwnd != confirm->hwnd && question->yes;
    }));
    Answer(*question, IDYES);
    HWND setPassword = DialogWith(program, IDC_txtPassword2);
    ASSERT_NE(setPassword, nullptr);
    TypeChars(GetDlgItem(setPassword, IDC_txtPassword), "PASSWORD1");
    Click(setPassword, IDC_txtPassword2);
    TypeChars(GetDlgItem(setPassword, IDC_txtPassword2), "PASSWORD1");
    Click(setPassword, IDC_cmdOk);
    auto saved = program.waitMessageBox();
    ASSERT_TRUE(saved.has_value());
    EXPECT_EQ(saved->icon, MessageBoxInfo::Information) << saved->text;
    Answer(*saved, IDOK);
    ASSERT_TRUE(WaitFor([] { return FileExists(FolderPath("pass.st")); }));
    EXPECT_EQ(StoredKeyId(), "07815567" "4C5300012308");
    EXPECT_FALSE(FileExists(FolderPath("pass.ini")));
}

}  // namespace

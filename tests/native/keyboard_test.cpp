// The on-screen keyboard: its keys, its layout, and the editing rules of the fields.
#include <memory>
#include <set>

#include <gtest/gtest.h>

#include "fakes.h"
#include "password/keyboard.h"
#include "password/password_forms.h"

using namespace qv;
using namespace qv::test;

namespace {

const std::map<std::uint32_t, std::string> kStrings = {
    {100, "&Ok"},   {101, "&Cancel"},       {109, "&Unlock"},     {114, "Unlock Computer"},
    {300, "T300"},  {305, "Set Passphrase"}, {518, "Enter:"},     {519, "New:"},
    {520, "Again:"}, {526, "Not allowed"},
};

// One dialog on a FakeView, wired as the host wires it: text changes reach change().
struct Dialog {
    FakeWorld w;
    std::unique_ptr<KeyboardDialog> form;
    FakeView view;

    explicit Dialog(bool setPassword, const std::string& languageId = "0409") {
        w.ctx.globals().languageId = languageId;
        w.loadStrings(kStrings);
        if (setPassword) form = std::make_unique<SetPasswordForm>(w.ctx);
        else form = std::make_unique<PasswordForm>(w.ctx);
        view.onTextChanged = [this](const std::string& n) { form->change(n); };
        form->attach(&view);
        form->load();
    }
    SetPasswordForm& setForm() { return static_cast<SetPasswordForm&>(*form); }
    // Clicks the on-screen key of each character.
    void keys(const std::string& chars) {
        for (char c : chars) {
            const KeyboardKey* key = nullptr;
            for (const KeyboardKey& k : CharacterKeys()) {
                if (k.character == c) key = &k;
            }
            ASSERT_NE(key, nullptr) << c;
            form->click(key->name);
        }
    }
    // Types on the physical keyboard at the end of a field.
    void type(const std::string& field, const std::string& chars) {
        for (char c : chars) view.setText(field, view.text(field) + c);
    }
    std::string text(const std::string& field = "txtPassword") { return view.text(field); }
    std::size_t boxes() const { return w.messages.shown.size(); }
};

}  // namespace

TEST(Keyboard, KeysTypeExactlyTheCharactersAPassphraseMayHold) {
    std::set<std::string> names;
    std::set<char> typed;
    for (const KeyboardKey& key : CharacterKeys()) {
        names.insert(key.name);
        typed.insert(key.character);
        EXPECT_EQ(FindCharacterKey(key.name), &key);
    }
    EXPECT_EQ(CharacterKeys().size(), 64u);
    EXPECT_EQ(names.size(), 64u);
    std::set<char> allowedUpper;
    for (char c : kAllowedPasswordCharacters) allowedUpper.insert(c >= 'a' && c <= 'z' ? char(c - 32) : c);
    EXPECT_EQ(kAllowedPasswordCharacters.size(), 90u);
    EXPECT_EQ(typed, allowedUpper);
    EXPECT_EQ(FindCharacterKey("cmdbackSlash")->character, '/');
    EXPECT_EQ(FindCharacterKey("cmdSpecial2")->character, '\\');
    EXPECT_EQ(FindCharacterKey(kDeleteKey), nullptr);
    EXPECT_EQ(KeyCaption(*FindCharacterKey("cmd77")), "&&");
    EXPECT_EQ(KeyCaption(*FindCharacterKey("cmdq")), "Q");
}

TEST(Keyboard, KeysSitSideBySideInFiveRowsInsideTheFrame) {
    const int rowTops[] = {225, 615, 1020, 1440, 1860};
    std::vector<TwipsRect> all;
    const KeyboardKey* previous = nullptr;
    for (const KeyboardKey& key : CharacterKeys()) {
        TwipsRect r = KeyRect(key);
        EXPECT_EQ(r.top, rowTops[key.row - 1]) << key.name;
        EXPECT_EQ(r.width, 390);
        EXPECT_EQ(r.height, 345);
        if (previous && previous->row == key.row) {
            EXPECT_EQ(r.left, KeyRect(*previous).left + 390) << key.name;
        }
        previous = &key;
        all.push_back(r);
    }
    TwipsRect del = DeleteKeyRect(), back = BackspaceKeyRect();
    EXPECT_EQ(del.top, 225);
    EXPECT_EQ(back.top, 615);
    for (const TwipsRect& r : {del, back}) {
        EXPECT_EQ(r.width, 720);
        EXPECT_EQ(r.height, 330);
        all.push_back(r);
    }
    for (std::size_t i = 0; i < all.size(); ++i) {
        const TwipsRect& a = all[i];
        EXPECT_GT(a.left, 0);
        EXPECT_LE(a.left + a.width, kKeyboardWidth - 60);
        EXPECT_LE(a.top + a.height, kKeyboardHeight - 60);
        for (std::size_t j = i + 1; j < all.size(); ++j) {
            const TwipsRect& b = all[j];
            bool apart = a.left + a.width <= b.left || b.left + b.width <= a.left || a.top + a.height <= b.top ||
                         b.top + b.height <= a.top;
            EXPECT_TRUE(apart) << i << " overlaps " << j;
        }
    }
    // Delete and Backspace end their rows.
    EXPECT_GE(del.left, KeyRect(*FindCharacterKey("cmdPlus")).left + 390);
    EXPECT_GE(back.left, KeyRect(*FindCharacterKey("cmdEqual")).left + 390);
}

TEST(Keyboard, DeleteRule) {
    struct Case {
        const char* text;
        int start, length;
        const char* result;
    } cases[] = {
        {"", 0, 0, ""},          {"", 0, 3, ""},          {"ABCD", 4, 0, "ABC"},   {"ABCD", 1, 2, "AD"},
        {"ABCD", 0, 4, ""},      {"ABCD", 0, 1, "BCD"},   {"ABCD", 3, 1, "ABC"},   {"ABCD", 2, 9, "AB"},
        {"ABCD", 9, 2, "ABCD"},  {"ABCD", -3, 2, "CD"},   {"A", 0, 0, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ApplyDeleteRule(c.text, c.start, c.length), c.result) << c.text << " " << c.start << "+" << c.length;
}

// The editing keys behave the same in both dialogs.
class KeyboardEditing : public ::testing::TestWithParam<bool> {};

TEST_P(KeyboardEditing, ThreeKeysThenBackspaceLeavesTheFirstTwo) {
    Dialog d(GetParam());
    d.keys("AB7");
    EXPECT_EQ(d.text(), "AB7");
    d.form->click("cmdBackspace");
    EXPECT_EQ(d.text(), "AB");
    EXPECT_EQ(d.view.focus, "txtPassword");
    EXPECT_EQ(d.boxes(), 0u);
}

TEST_P(KeyboardEditing, DeleteTakesTheSelectionOrElseTheLastCharacter) {
    Dialog d(GetParam());
    d.keys("WXYZ");
    d.view.setSelection("txtPassword", 1, 2);
    d.form->click("cmdDel");
    EXPECT_EQ(d.text(), "WZ");
    d.keys("YZ");
    d.form->click("cmdDel");   // the key left the caret at the end, nothing selected
    EXPECT_EQ(d.text(), "WZY");
    EXPECT_EQ(d.view.focus, "txtPassword");
}

TEST_P(KeyboardEditing, EditingKeysOnAnEmptyFieldDoNothing) {
    Dialog d(GetParam());
    d.form->click("cmdBackspace");
    d.form->click("cmdDel");
    EXPECT_EQ(d.text(), "");
    EXPECT_EQ(d.boxes(), 0u);
}

TEST_P(KeyboardEditing, KeysAppendAtTheEndAndStopAtFifty) {
    Dialog d(GetParam());
    d.keys(std::string(49, 'K'));
    d.view.setSelection("txtPassword", 0, 0);   // caret at the start
    d.keys("1");
    EXPECT_EQ(d.text(), std::string(49, 'K') + "1");
    d.keys("2");
    EXPECT_EQ(d.text().size(), 50u);
    EXPECT_EQ(d.text().back(), '1');
}

INSTANTIATE_TEST_SUITE_P(BothDialogs, KeyboardEditing, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "frmSetPassword" : "frmPassword"; });

TEST(KeyboardSetPassword, TypedTextIsFilteredAndUpperCased) {
    Dialog d(true);
    d.type("txtPassword", "ab");
    EXPECT_EQ(d.text(), "AB");
    EXPECT_EQ(d.boxes(), 0u);
    d.type("txtPassword", " '~");
    EXPECT_EQ(d.text(), "AB");
    ASSERT_EQ(d.boxes(), 3u);
    for (const ShownMessage& m : d.w.messages.shown) {
        EXPECT_EQ(m.text, "Not allowed");
        EXPECT_EQ(m.title, "T300");
        EXPECT_EQ(m.flags, unsigned(MbIconInformation));
    }
    // A paste of several at once: one message for each character dropped.
    d.view.setText("txtPassword2", "x y\"z\xE9");
    EXPECT_EQ(d.text("txtPassword2"), "XYZ");
    EXPECT_EQ(d.boxes(), 6u);
    EXPECT_EQ(d.view.c("txtPassword2").selStart, 3);
}

TEST(KeyboardSetPassword, TypedTextBeyondFiftyIsCut) {
    Dialog d(true);
    d.view.setText("txtPassword", std::string(60, 'q'));
    EXPECT_EQ(d.text(), std::string(50, 'Q'));
}

TEST(KeyboardSetPassword, ClicksOnTheFieldsChooseWhereKeysType) {
    Dialog d(true);
    EXPECT_EQ(d.setForm().activeField(), 1);
    d.keys("A");
    d.form->click("txtPassword2");
    EXPECT_EQ(d.setForm().activeField(), 2);
    d.keys("BC");
    EXPECT_EQ(d.view.focus, "txtPassword2");
    d.form->click("cmdBackspace");
    EXPECT_EQ(d.text("txtPassword2"), "B");
    d.view.setFocus("txtPassword");   // Tab moves the focus but not the active field
    d.keys("D");
    EXPECT_EQ(d.text("txtPassword2"), "BD");
    d.form->click("txtPassword");
    d.keys("E");
    EXPECT_EQ(d.text(), "AE");
    EXPECT_EQ(d.view.focus, "txtPassword");
}

TEST(KeyboardPassword, UnlockFieldIsNotFiltered) {
    Dialog d(false);
    d.type("txtPassword", "ab c");
    EXPECT_EQ(d.text(), "ab c");
    EXPECT_EQ(d.boxes(), 0u);
}

TEST(KeyboardDialogs, CaptionsFontsAndTopmost) {
    struct Case {
        bool setPassword;
        const char* language;
        int size;
        std::vector<std::pair<const char*, const char*>> captions;
    } cases[] = {
        {false, "0409", 8, {{"", "Unlock Computer"}, {"lbPass", "Enter:"}, {"cmdOk", "&Unlock"}, {"cmdCancel", "&Cancel"}}},
        {true, "0804", 9,
         {{"", "Set Passphrase"}, {"lbEnter", "New:"}, {"lbReenter", "Again:"}, {"cmdOk", "&Ok"}, {"cmdCancel", "&Cancel"}}},
        {true, "0404", 9, {{"cmdOk", "&Ok"}}},
    };
    for (const Case& c : cases) {
        Dialog d(c.setPassword, c.language);
        for (auto& [control, text] : c.captions) {
            EXPECT_EQ(d.view.caption(control), text) << control;
            if (*control) {
                EXPECT_EQ(d.view.c(control).fontSize, c.size) << control;
            }
        }
        EXPECT_EQ(d.view.topMost, !c.setPassword);
        EXPECT_EQ(d.view.c("cmdq").fontSize, 0) << "keys keep their font";
    }
}

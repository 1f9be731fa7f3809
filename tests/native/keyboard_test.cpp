// The on-screen keyboard: its keys, its layout, and the editing rules of the fields.
#include <memory>
#include <set>

#include <gtest/gtest.h>

#include "code_page_stand_in.h"
#include "fakes.h"
#include "password/keyboard.h"
#include "password/password_forms.h"

using namespace qv;
using namespace qv::test;

namespace {

// One dialog on a FakeView, wired as the host wires it: text changes reach change().
struct Dialog {
    FakeWorld w;
    std::unique_ptr<KeyboardDialog> form;
    FakeView view;

    explicit Dialog(bool setPassword) {
        w.loadStrings({{300, "T300"}, {526, "Not allowed"}});
        if (setPassword) form = std::make_unique<SetPasswordForm>(w.ctx);
        else form = std::make_unique<PasswordForm>(w.ctx);
        view.onTextChanged = [this](const std::string& n) { form->change(n); };
        form->attach(&view);
        form->load();
    }
    int activeField() { return static_cast<SetPasswordForm&>(*form).activeField(); }
    // Clicks the on-screen key of each character.
    void keys(const std::string& chars) {
        for (char c : chars) {
            const KeyboardKey* key = nullptr;
            for (const KeyboardKey& k : CharacterKeys())
                if (k.character == c) key = &k;
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
    std::set<char> typed, allowedUpper;
    for (const KeyboardKey& key : CharacterKeys()) {
        names.insert(key.name);
        typed.insert(key.character);
        EXPECT_EQ(FindCharacterKey(key.name), &key);
    }
    EXPECT_EQ(names.size(), CharacterKeys().size());
    for (char c : kAllowedPasswordCharacters) allowedUpper.insert(c >= 'a' && c <= 'z' ? char(c - 32) : c);
    EXPECT_EQ(typed, allowedUpper);
    EXPECT_EQ(FindCharacterKey(kDeleteKey), nullptr);
    EXPECT_EQ(KeyCaption(*FindCharacterKey("cmd77")), "&&");   // a lone & would underline the next letter
}

TEST(Keyboard, KeysNeverOverlapAndStayInsideTheFrame) {
    std::vector<TwipsRect> all{DeleteKeyRect(), BackspaceKeyRect()};
    for (const KeyboardKey& key : CharacterKeys()) all.push_back(KeyRect(key));
    for (std::size_t i = 0; i < all.size(); ++i) {
        const TwipsRect& a = all[i];
        EXPECT_TRUE(a.left > 0 && a.left + a.width <= kKeyboardWidth - 60) << i;
        EXPECT_TRUE(a.top > 0 && a.top + a.height <= kKeyboardHeight - 60) << i;
        for (std::size_t j = i + 1; j < all.size(); ++j) {
            const TwipsRect& b = all[j];
            EXPECT_TRUE(a.left + a.width <= b.left || b.left + b.width <= a.left || a.top + a.height <= b.top ||
                        b.top + b.height <= a.top) << i << " overlaps " << j;
        }
    }
}

TEST(Keyboard, DeleteRule) {
    struct Case { const char* text; int start, length; const char* result; } cases[] = {
        {"", 0, 0, ""},       {"", 0, 3, ""},        {"ABCD", 4, 0, "ABC"},  {"ABCD", 1, 2, "AD"}, {"ABCD", 0, 4, ""},
        {"ABCD", 0, 1, "BCD"}, {"ABCD", 3, 1, "ABC"}, {"ABCD", 2, 9, "AB"}, {"ABCD", 9, 2, "ABCD"},
        {"ABCD", -3, 2, "CD"}, {"A", 0, 0, ""}};
    for (const Case& c : cases)
        EXPECT_EQ(ApplyDeleteRule(c.text, c.start, c.length), c.result) << c.text << " " << c.start << "+" << c.length;
}

// The editing keys behave the same in both dialogs.
class KeyboardEditing : public ::testing::TestWithParam<bool> {};

TEST_P(KeyboardEditing, BackspaceDeleteAndTheFiftyCharacterLimit) {
    Dialog d(GetParam());
    d.form->click("cmdBackspace");   // on an empty field: nothing
    d.form->click("cmdDel");
    EXPECT_EQ(d.text(), "");
    d.keys("AB7");
    EXPECT_EQ(d.text(), "AB7");
    d.form->click("cmdBackspace");
    EXPECT_EQ(d.text(), "AB");
    d.keys("XY");
    d.view.setSelection("txtPassword", 1, 2);
    d.form->click("cmdDel");
    EXPECT_EQ(d.text(), "AY");
    d.keys("YZ");
    d.form->click("cmdDel");   // the key left the caret at the end, nothing selected
    EXPECT_EQ(d.text(), "AYY");
    EXPECT_EQ(d.view.focus, "txtPassword");
    EXPECT_EQ(d.boxes(), 0u);

    d.keys(std::string(46, 'K'));
    d.view.setSelection("txtPassword", 0, 0);   // caret at the start: keys still append
    d.keys("1");
    EXPECT_EQ(d.text(), "AYY" + std::string(46, 'K') + "1");
    d.keys("2");   // the 51st is refused
    EXPECT_EQ(d.text().size(), 50u);
    EXPECT_EQ(d.text().back(), '1');
}

INSTANTIATE_TEST_SUITE_P(BothDialogs, KeyboardEditing, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "frmSetPassword" : "frmPassword"; });

TEST(KeyboardSetPassword, TypedTextIsFilteredUpperCasedAndCut) {
    Dialog d(true);
    d.type("txtPassword", "ab");
    EXPECT_EQ(d.text(), "AB");
    EXPECT_EQ(d.boxes(), 0u);
    d.type("txtPassword", " '~");   // one message for each refused character
    EXPECT_EQ(d.text(), "AB");
    const std::string refused = FakeMessageBoxes::box("T300", "Not allowed", MbIconInformation);
    EXPECT_EQ(d.w.messages.boxes(), std::vector<std::string>(3, refused));
    d.view.setText("txtPassword2", "x y\"z\xE9");   // a paste of several at once
    EXPECT_EQ(d.text("txtPassword2"), "XYZ");
    EXPECT_EQ(d.boxes(), 6u);
    EXPECT_EQ(d.view.c("txtPassword2").selStart, 3);
    d.view.setText("txtPassword", std::string(60, 'q'));
    EXPECT_EQ(d.text(), std::string(50, 'Q'));

    Dialog unlock(false);   // the unlock field is not filtered
    unlock.type("txtPassword", "ab c");
    EXPECT_EQ(unlock.text(), "ab c");
    EXPECT_EQ(unlock.boxes(), 0u);
}

TEST(KeyboardSetPassword, DoubleByteCharacterIsRefusedWhole) {
    // Second bytes "@" and "A" are allowed characters on their own.
    struct Case { unsigned codePage; const char* pasted; const char* kept; } cases[] = {
        {936, "a\x81\x40" "b", "AB"}, {950, "a\xA4\x41" "b", "AB"}, {1252, "a\xA4\x41" "b", "AAB"}};
    for (const Case& c : cases) {
        Dialog d(true);
        test::ansiCodePage = c.codePage;
        d.view.setText("txtPassword", c.pasted);
        test::ansiCodePage = 1252;
        EXPECT_EQ(d.text(), c.kept) << c.codePage;
        EXPECT_EQ(d.boxes(), 1u) << c.codePage;
    }
}

TEST(KeyboardSetPassword, ClicksOnTheFieldsChooseWhereKeysType) {
    Dialog d(true);
    EXPECT_EQ(d.activeField(), 1);
    d.keys("A");
    d.form->click("txtPassword2");
    EXPECT_EQ(d.activeField(), 2);
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

// The on-screen keyboard of the two password dialogs: which keys there are, what they
// type and where they sit, and the editing rules of the password fields. While the
// computer is locked the keyboard hook swallows every keystroke, so these keys are the
// way to type a passphrase.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace qv {

class Context;
class View;

struct TwipsRect {
    int left = 0, top = 0, width = 0, height = 0;
};

struct KeyboardKey {
    const char* name;   // the button's name, e.g. "cmdq" for the key typing "Q"
    char character;
    int row;            // 1 to 5, top to bottom
    int column;         // 0-based position in its row, left to right
};

// The 64 character keys, row by row, left to right.
std::span<const KeyboardKey> CharacterKeys();
const KeyboardKey* FindCharacterKey(std::string_view name);
// The button caption: the character itself, "&&" for the ampersand.
std::string KeyCaption(const KeyboardKey& key);

inline constexpr const char* kDeleteKey = "cmdDel";
inline constexpr const char* kBackspaceKey = "cmdBackspace";

// Geometry in twips, relative to the top-left corner of the keyboard frame.
inline constexpr int kKeyWidth = 390, kKeyHeight = 345;
inline constexpr int kEditKeyWidth = 720, kEditKeyHeight = 330;
inline constexpr int kKeyboardWidth = 5700, kKeyboardHeight = 2340;
TwipsRect KeyRect(const KeyboardKey& key);
TwipsRect DeleteKeyRect();      // right end of row 1
TwipsRect BackspaceKeyRect();   // right end of row 2

// Moves the frame named `frame` to (left, top) and every key into it.
void LayOutKeyboard(View& view, const std::string& frame, int left, int top);

// Longest text a password field holds.
inline constexpr std::size_t kPasswordMaxLength = 50;

// Appends `c` at the end of the field, whatever the caret, and cuts the text at 50.
void TypeIntoField(View& view, const std::string& field, char c);
// Removes the last character; an empty field stays empty.
void BackspaceField(View& view, const std::string& field);
// The Delete key: the selected characters go, or the last one when nothing is selected.
void DeleteInField(View& view, const std::string& field);
// The delete rule on a text, `start` characters before a selection of `length`.
std::string ApplyDeleteRule(const std::string& text, int start, int length);

// The 90 characters a passphrase may be made of, before upper-casing.
inline constexpr std::string_view kAllowedPasswordCharacters =
    "!@#$%^&*()-+1234567890_=qwertyuiopQWERTYUIOP{}[]asdfghjklASDFGHJKL:;?/zxcvbnmZXCVBNM<>,.|\\";
// Keeps the allowed characters, upper-cased; tells the user once for each one dropped.
std::string FilterPasswordText(Context& ctx, std::string_view text);

}  // namespace qv

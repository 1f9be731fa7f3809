#include "password/keyboard.h"

#include <algorithm>
#include <array>

#include "app/code_page.h"
#include "app/context.h"
#include "app/text.h"

namespace qv {

namespace {

struct RowKey {
    const char* name;
    char character;
};

constexpr RowKey kRow1[] = {{"Cmd11", '!'}, {"cmd22", '@'}, {"cmd33", '#'}, {"cmd44", '$'},
                            {"cmd55", '%'}, {"cmd66", '^'}, {"cmd77", '&'}, {"cmd88", '*'},
                            {"cmd99", '('}, {"cmd00", ')'}, {"cmdUpLine", '-'}, {"cmdPlus", '+'}};
constexpr RowKey kRow2[] = {{"cmd1", '1'}, {"cmd2", '2'}, {"cmd3", '3'}, {"cmd4", '4'},
                            {"cmd5", '5'}, {"cmd6", '6'}, {"cmd7", '7'}, {"cmd8", '8'},
                            {"cmd9", '9'}, {"cmd0", '0'}, {"cmd_", '_'}, {"cmdEqual", '='}};
constexpr RowKey kRow3[] = {{"cmdq", 'Q'}, {"cmdw", 'W'}, {"cmde", 'E'}, {"cmdR", 'R'},
                            {"cmdT", 'T'}, {"cmdY", 'Y'}, {"cmdU", 'U'}, {"cmdI", 'I'},
                            {"cmdO", 'O'}, {"cmdP", 'P'}, {"cmdBrace1", '{'}, {"cmdBrace2", '}'},
                            {"cmdBracket1", '['}, {"cmdBracket2", ']'}};
constexpr RowKey kRow4[] = {{"cmdA", 'A'}, {"cmdS", 'S'}, {"cmdD", 'D'}, {"cmdF", 'F'}, {"cmdG", 'G'},
                            {"cmdH", 'H'}, {"cmdJ", 'J'}, {"cmdK", 'K'}, {"cmdL", 'L'}, {"cmdcolon", ':'},
                            {"cmdsemiColon", ';'}, {"cmdQMark", '?'}, {"cmdbackSlash", '/'}};
constexpr RowKey kRow5[] = {{"cmdZ", 'Z'}, {"cmdX", 'X'}, {"cmdC", 'C'}, {"cmdV", 'V'}, {"cmdB", 'B'},
                            {"cmdN", 'N'}, {"cmdM", 'M'}, {"cmdSpecial3", '<'}, {"cmdSpecial4", '>'},
                            {"cmdComma", ','}, {"cmdDot", '.'}, {"cmdSpecial1", '|'}, {"cmdSpecial2", '\\'}};

constexpr std::span<const RowKey> kRows[] = {kRow1, kRow2, kRow3, kRow4, kRow5};
constexpr int kRowTops[] = {225, 615, 1020, 1440, 1860};
// Staggered like a typewriter; rows 1, 2, 3 and 5 end on the same line at 5580.
constexpr int kRowLefts[] = {120, 120, 120, 315, 510};
constexpr int kKeysRight = 5580;

constexpr std::size_t kKeyCount = std::size(kRow1) + std::size(kRow2) + std::size(kRow3) + std::size(kRow4) +
                                  std::size(kRow5);
static_assert(kKeyCount == 64);

std::array<KeyboardKey, kKeyCount> BuildKeys() {
    std::array<KeyboardKey, kKeyCount> keys{};
    std::size_t i = 0;
    for (int row = 0; row < 5; ++row) {
        int column = 0;
        for (const RowKey& k : kRows[row]) keys[i++] = {k.name, k.character, row + 1, column++};
    }
    return keys;
}

}  // namespace

std::span<const KeyboardKey> CharacterKeys() {
    static const std::array<KeyboardKey, kKeyCount> keys = BuildKeys();
    return keys;
}

const KeyboardKey* FindCharacterKey(std::string_view name) {
    for (const KeyboardKey& key : CharacterKeys()) {
        if (name == key.name) return &key;
    }
    return nullptr;
}

std::string KeyCaption(const KeyboardKey& key) { return key.character == '&' ? "&&" : std::string(1, key.character); }

TwipsRect KeyRect(const KeyboardKey& key) {
    return {kRowLefts[key.row - 1] + key.column * kKeyWidth, kRowTops[key.row - 1], kKeyWidth, kKeyHeight};
}

TwipsRect DeleteKeyRect() { return {kKeysRight - kEditKeyWidth, kRowTops[0], kEditKeyWidth, kEditKeyHeight}; }
TwipsRect BackspaceKeyRect() { return {kKeysRight - kEditKeyWidth, kRowTops[1], kEditKeyWidth, kEditKeyHeight}; }

void LayOutKeyboard(View& view, const std::string& frame, int left, int top) {
    view.move(frame, left, top, kKeyboardWidth, kKeyboardHeight);
    auto place = [&](const std::string& name, const TwipsRect& r) {
        view.move(name, left + r.left, top + r.top, r.width, r.height);
    };
    for (const KeyboardKey& key : CharacterKeys()) place(key.name, KeyRect(key));
    place(kDeleteKey, DeleteKeyRect());
    place(kBackspaceKey, BackspaceKeyRect());
}

void TypeIntoField(View& view, const std::string& field, char c) {
    std::string text = view.text(field) + c;
    if (text.size() > kPasswordMaxLength) text.resize(kPasswordMaxLength);
    view.setText(field, text);
}

void BackspaceField(View& view, const std::string& field) {
    std::string text = view.text(field);
    if (text.empty()) return;
    text.pop_back();
    view.setText(field, text);
}

std::string ApplyDeleteRule(const std::string& text, int start, int length) {
    if (text.empty()) return text;
    if (length < 1) return text.substr(0, text.size() - 1);
    // A selection reaching past the text only takes what is there.
    const std::size_t size = text.size();
    const std::size_t from = std::min<std::size_t>(static_cast<std::size_t>(std::max(start, 0)), size);
    const std::size_t to = std::min<std::size_t>(from + static_cast<std::size_t>(length), size);
    return text.substr(0, from) + text.substr(to);
}

void DeleteInField(View& view, const std::string& field) {
    std::string text = view.text(field);
    if (text.empty()) return;
    view.setText(field, ApplyDeleteRule(text, view.selectionStart(field), view.selectionLength(field)));
}

std::string FilterPasswordText(Context& ctx, std::string_view text) {
    // Character by character: the second byte of a double-byte character may look like an
    // allowed one, and must go with its first.
    const unsigned codePage = AnsiCodePage();
    std::string kept;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length =
            std::min(AnsiCharLength(codePage, static_cast<unsigned char>(text[i])), text.size() - i);
        if (length == 1 && kAllowedPasswordCharacters.find(text[i]) != std::string_view::npos) kept += text[i];
        else ctx.message(ctx.lang(526), ctx.lang(300), MbIconInformation);
        i += length;
    }
    return ToUpperAscii(kept);
}

}  // namespace qv

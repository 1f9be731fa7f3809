// A fake world with the cipher's box file, storing and reading tmhr.tmp as an earlier run would.
#pragma once

#include <fstream>
#include <sstream>

#include "fakes.h"
#include "password/blowfish.h"
#include "password/box_table.h"
#include "password/cipher_key.h"

namespace qv::test {

struct LockTimerWorld : FakeWorld {
    const std::string stored = path("tmhr.tmp"), plain = path("tmhr.ini"), scratch = path("scratch.txt");

    LockTimerWorld() { fs.put(path("bf.dat"), boxFile()); }
    static std::string boxFile() {
        std::ifstream in(std::string(QV_SOURCE_DIR) + "/src/password/blowfish_initial_boxes.txt");
        std::stringstream text;
        text << in.rdbuf();
        return BuildBoxFile(text.str());
    }
    // Enciphers `content` into `target`, as an earlier run would have.
    void putEnciphered(const std::string& target, const std::string& content) {
        fs.put(scratch, content);
        cipher().sFileEncrypt(scratch, target);
        fs.files.erase(scratch);
    }
    // "<none>" when there is no such file.
    std::string deciphered(const std::string& source) {
        if (!fs.has(source)) return "<none>";
        cipher().sFileDecrypt(source, scratch);
        std::string content = fs.get(scratch);
        fs.files.erase(scratch);
        return content;
    }
    void putTimer(const std::string& content) { putEnciphered(stored, content); }
    std::string timerContent() { return deciphered(stored); }
    clsBlowfish cipher() {
        clsBlowfish bf(fs, kFolder);
        bf.sInitBF(kCipherKey);
        return bf;
    }
    // Something other than tmhr.tmp itself was left behind.
    bool leftovers() const { return fs.has(plain) || fs.has(plain + ".new") || fs.has(stored + ".new"); }
};

}  // namespace qv::test

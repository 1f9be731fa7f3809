// A fake world with the cipher's box file, and helpers that store and read the lock
// duration file the way an earlier run of the program would have.
#pragma once

#include <fstream>
#include <sstream>

#include "fakes.h"
#include "password/blowfish.h"
#include "password/box_table.h"
#include "password/cipher_key.h"

namespace qv::test {

struct LockTimerWorld : FakeWorld {
    const std::string stored = path("tmhr.tmp");
    const std::string plain = path("tmhr.ini");

    LockTimerWorld() { fs.put(path("bf.dat"), boxFile()); }

    static std::string boxFile() {
        std::ifstream in(std::string(QV_SOURCE_DIR) + "/src/password/blowfish_initial_boxes.txt");
        std::stringstream text;
        text << in.rdbuf();
        return BuildBoxFile(text.str());
    }
    // Enciphers `content` into tmhr.tmp.
    void putTimer(const std::string& content) {
        const std::string scratch = path("scratch.txt");
        fs.put(scratch, content);
        clsBlowfish bf(fs, kFolder);
        bf.sInitBF(kCipherKey);
        bf.sFileEncrypt(scratch, stored);
        fs.files.erase(scratch);
    }
    // The deciphered content of tmhr.tmp; "<none>" when there is no such file.
    std::string timerContent() {
        if (!fs.has(stored)) return "<none>";
        const std::string scratch = path("scratch.txt");
        clsBlowfish bf(fs, kFolder);
        bf.sInitBF(kCipherKey);
        bf.sFileDecrypt(stored, scratch);
        std::string content = fs.get(scratch);
        fs.files.erase(scratch);
        return content;
    }
    // Something other than tmhr.tmp itself was left behind.
    bool leftovers() const { return fs.has(plain) || fs.has(plain + ".new") || fs.has(stored + ".new"); }
};

}  // namespace qv::test

// The plain form of an enciphered file exists only inside one call: a leftover is removed
// before anything is deciphered into it, and the call's own copy is removed however the
// call ends. Plain files are overwritten before they are deleted, so no passphrase can be
// read back from the stick.
#pragma once

#include <string>

#include "app/context.h"

namespace qv {

// Securely deletes `plainPath` and the temporary name an interrupted earlier version
// wrote beside it ("pass.ini.new"), whatever their attributes.
void RemovePlainFile(Context& ctx, const std::string& plainPath);
// At start-up: the plain files a crashed or interrupted run may have left behind.
void RemovePlainLeftovers(Context& ctx);

class PlainFileGuard {
public:
    PlainFileGuard(Context& ctx, std::string path) : ctx_(ctx), path_(std::move(path)) { RemovePlainFile(ctx_, path_); }
    ~PlainFileGuard() { RemovePlainFile(ctx_, path_); }
    PlainFileGuard(const PlainFileGuard&) = delete;
    PlainFileGuard& operator=(const PlainFileGuard&) = delete;

private:
    Context& ctx_;
    std::string path_;
};

}  // namespace qv

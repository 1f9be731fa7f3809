// The plain form of an enciphered file exists only inside one call: a leftover is removed
// before anything is deciphered into it, and the call's own copy is removed however the
// call ends.
#pragma once

#include <string>

#include "app/context.h"

namespace qv {

class PlainFileGuard {
public:
    PlainFileGuard(Context& ctx, std::string path) : ctx_(ctx), path_(std::move(path)) { removeIfPresent(); }
    ~PlainFileGuard() { removeIfPresent(); }
    PlainFileGuard(const PlainFileGuard&) = delete;
    PlainFileGuard& operator=(const PlainFileGuard&) = delete;

private:
    void removeIfPresent() {
        if (Exists(ctx_.services().fs, path_)) ctx_.deleteFileSilent(path_);
    }
    Context& ctx_;
    std::string path_;
};

}  // namespace qv

// The optional skinning component. Only its call order is the program's: create, settings
// 2 then 1, load from a path, apply, setting 0. A build without skinning passes NoSkin.
#pragma once

#include <string>

namespace qv {

class SkinComponent {
public:
    virtual ~SkinComponent() = default;
    virtual void create() = 0;
    virtual void setting(int value) = 0;
    virtual void loadSkin(const std::string& path) = 0;
    virtual void apply() = 0;
};

class NoSkin : public SkinComponent {
public:
    void create() override {}
    void setting(int) override {}
    void loadSkin(const std::string&) override {}
    void apply() override {}
};

}  // namespace qv

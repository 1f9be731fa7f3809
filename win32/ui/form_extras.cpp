#include "ui/form_extras.h"

#include <map>

namespace qv::win {

namespace {
std::map<std::string, FormExtras>& Registry() {
    static std::map<std::string, FormExtras> registry;
    return registry;
}
}  // namespace

void RegisterFormExtras(const std::string& formName, FormExtras extras) { Registry()[formName] = extras; }

const FormExtras* FindFormExtras(const std::string& formName) {
    auto it = Registry().find(formName);
    return it == Registry().end() ? nullptr : &it->second;
}

}  // namespace qv::win

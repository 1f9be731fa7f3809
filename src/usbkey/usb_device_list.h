// The attached USB storage devices: five parallel lists indexed from 1.
#pragma once

#include <string>
#include <vector>

namespace qv {

class UsbDeviceList {
public:
    UsbDeviceList() { clear(); }
    // Upper bound of the lists: the number of devices; 0 when empty.
    int upperBound() const { return static_cast<int>(vendorId.size()) - 1; }
    void clear() {
        for (auto* list : lists()) list->assign(1, std::string());
    }
    // Grows every list by one empty entry and returns its index.
    int addEmpty() {
        for (auto* list : lists()) list->emplace_back();
        return upperBound();
    }
    // vendor id + product id + serial of entry i, untrimmed.
    std::string keyId(int i) const { return vendorId[i] + productId[i] + serial[i]; }

    std::vector<std::string> vendorId, productId, serial, manufacturer, product;

private:
    std::vector<std::vector<std::string>*> lists() {
        return {&vendorId, &productId, &serial, &manufacturer, &product};
    }
};

}  // namespace qv

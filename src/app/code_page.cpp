#include "app/code_page.h"

namespace qv {

std::size_t AnsiCharLength(unsigned codePage, unsigned char lead) {
    switch (codePage) {
        case 932: return (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC) ? 2 : 1;
        case 936:
        case 949:
        case 950: return lead >= 0x81 && lead <= 0xFE ? 2 : 1;
        default: return 1;
    }
}

}  // namespace qv

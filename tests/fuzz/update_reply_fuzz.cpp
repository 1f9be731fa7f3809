// The update check's reply from the web server, through the Help menu's handler.
#include "fuzz_world.h"
#include "help/update_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qv;
    const std::string reply(reinterpret_cast<const char*>(data), size);
    std::string status = "unchanged";
    GetUpdateStatus(reply, status);
    test::FakeWorld w;
    w.http.body = reply;
    CheckUpdateForm dialog(w.ctx);
    mnuHelpUpdates(w.ctx, dialog);
    return 0;
}

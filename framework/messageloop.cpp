// RunMessageLoop: the program's message pump and the deferred clean-up.
#include "framework/messageloop.h"

#include "framework/form.h"
#include "framework/registry.h"

namespace TQUtility {

void RunMessageLoop(Form* mainForm) {
    MSG msg{};
    // GetMessageW returns -1 on an error; only 0 (WM_QUIT) ends the loop.
    while (GetMessageW(&msg, nullptr, 0, 0) != 0) {
        if (mainForm != nullptr && mainForm->dialogStyle && IsDialogMessageW(mainForm->hwnd, &msg) != 0) {
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    // Elements replaced during the run; the count is taken once, so entries
    // appended by a destructor are only released from the list, not deleted.
    const std::size_t n = deferredDeletes.size();
    for (std::size_t i = 0; i < n; ++i) {
        delete deferredDeletes[i];
    }
    deferredDeletes.clear();
}

}  // namespace TQUtility

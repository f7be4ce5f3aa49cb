// The program's only message pump, and the clean-up that follows it.
#pragma once

namespace TQUtility {

class Form;

// Pumps messages until WM_QUIT. When `mainForm` is a dialog-style form, its
// keyboard navigation goes through IsDialogMessageW first. After the loop,
// destroys the elements in deferredDeletes in list order and empties it.
void RunMessageLoop(Form* mainForm);

}  // namespace TQUtility

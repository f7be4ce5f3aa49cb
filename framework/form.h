// Form: the element kind of top-level windows. Every form registers a window
// class of its own ("Window" followed by the identifier counter) whose
// procedure is the shared ElementWndProc, and creates a captioned, pop-up or
// dialog-like top-level window from its flags. The first form whose window is
// created becomes the program's main window; its destruction ends the
// message loop.
#pragma once

#include <cstdint>

#include "framework/element.h"

namespace TQUtility {

// The first form window ever created (never reset).
extern HWND mainWindow;

class Form : public GUIElement {
public:
    Form* modalChild;  // not owned; the form shown modally over this one (kept in front of it)
    bool topMost;      // a dialog-style form gets WS_EX_TOPMOST
    bool minimizeBox;
    bool sizable;         // sizing border and maximize box
    bool titled;          // false: a plain pop-up window
    bool dialogStyle;     // tool window; the message loop offers its messages to IsDialogMessageW
    bool modalFrame;      // adds the dialog modal-frame style bit 0x80 to a dialog-style window
    HICON iconHandle;     // the small icon set by SetIcon; released by the destructor
    std::int32_t iconId;  // icon resource for the class and SetIcon; 0: the standard application icon

    explicit Form(HINSTANCE hInstance, bool dialogStyle = false);
    // Closes (WM_CLOSE, so the close handling runs) and destroys a window that
    // still exists.
    ~Form() override;

    void Create() override;

    // Sizes an existing window so that its client area is width x height;
    // does nothing (and stores nothing) before Create.
    void SetClientSize(int width, int height);
    // Moves the form to the middle of the primary screen.
    void CenterOnScreen();
    // Stores iconId; once created, loads the icon and hands it to the window.
    void SetIcon(std::int32_t resourceId);

    // The window styles Create uses, computed from the current flags.
    DWORD WindowStyle() const;
    DWORD WindowExStyle() const;
};

}  // namespace TQUtility

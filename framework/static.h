// Labels and images over the system "static" class, subclassed to the shared
// window procedure; SS_NOTIFY makes clicks reach their mouse callbacks.
//  - Label: a line of text drawn by the system.
//  - Image: a bitmap resource of the program's module, shown in bitmap mode.
#pragma once

#include <cstdint>
#include <string>

#include "framework/element.h"

namespace TQUtility {

class Label : public Child {
public:
    Label(GUIElement* parent, const std::string& text);
    void Create() override;
    DWORD WindowStyle() const;
};

class Image : public Child {
public:
    HBITMAP bitmap;           // shown by the control; owned
    std::int32_t resourceId;  // bitmap resource to show

    Image(GUIElement* parent, std::int32_t resourceId);
    ~Image() override;

    // A failed window creation leaves the image not created, so Create can
    // be tried again.
    void Create() override;
    // Stores the id; once created, loads the bitmap (ids above 0 only) and
    // shows it, keeping the old picture when loading fails.
    void SetImage(std::int32_t id);
    DWORD WindowStyle() const;
};

}  // namespace TQUtility

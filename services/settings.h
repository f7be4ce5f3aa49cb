// The settings store: small per-user texts kept between runs, addressed by
// application, category and key (narrow names), under the current user's
// registry keys Software\TQSettings\<application>\<category>, one value per
// key. A text is stored as UTF-16 little-endian units, two bytes each, with
// no terminating zero unit. Every call opens what it needs and closes it.
//
// Loading returns an empty text for anything missing or unreadable, and
// creates the key path on the way as a side effect; whatever the type of the
// stored value, its bytes are read as units up to the first zero unit.
// Saving stores nothing when the path cannot be opened or created; it reports
// nothing.
#pragma once

#include <string>

namespace TQUtility {

// The narrow forms: names and values pass through ToWide, a read value comes
// back through ToNarrow.
std::string LoadSetting(const std::string& application, const std::string& category, const std::string& key);
void SaveSetting(const std::string& application, const std::string& category, const std::string& key,
                 const std::string& value);

// The wide forms: the same store and layout, with the text as UTF-16, so that
// any character comes back exactly. A value saved by one form reads back the
// same through the other as far as the narrow form can carry it.
std::u16string LoadWideSetting(const std::string& application, const std::string& category,
                               const std::string& key);
void SaveWideSetting(const std::string& application, const std::string& category, const std::string& key,
                     const std::u16string& value);

}  // namespace TQUtility

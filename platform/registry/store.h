// The registry's storage: one hive (the current user's) kept in a per-user
// SQLite database, $XDG_CONFIG_HOME/kelvo/registry.sqlite3 (by default
// ~/.config/kelvo/registry.sqlite3), folder 0700 and file 0600.
//
// Keys form a tree addressed by a path of names from the hive's root; names
// of keys and values compare without regard to ASCII case and keep the case
// they were created with. A value has a type and raw bytes.
//
// Every operation is one transaction and returns a system error code (0 for
// success). Writes are synchronous: when SetValue returns 0 the value is on
// disk. Two processes share the file safely; a lock held by another process
// longer than the busy timeout gives ERROR_BUSY and changes nothing. A file
// that is not a database, a damaged one, one whose tables are not this
// store's, or one that SQLite can read but never write, is renamed aside
// (never deleted) with a notice through platform::Notice, and a fresh
// database is started.
//
// The connection is opened on first use and kept; it is reopened when the
// resolved location changes (XDG_CONFIG_HOME or HOME changed) or when the file
// at that location is no longer the one that is open (another process set it
// aside). This header is free of SQLite; store.cpp is the one file that wraps
// it. Single-threaded, like the rest of the stand-in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform::registry {

using KeyPath = std::vector<std::u16string>;

// 0 when every key of `path` exists, ERROR_FILE_NOT_FOUND when one is missing.
std::uint32_t KeyExists(const KeyPath& path);

// Creates every missing key of `path`.
std::uint32_t CreateKey(const KeyPath& path);

// Reads a value. ERROR_FILE_NOT_FOUND when the value is missing, and
// ERROR_KEY_DELETED when the key itself is gone (the database was replaced).
std::uint32_t GetValue(const KeyPath& key, const std::u16string& name, std::uint32_t* type,
                       std::vector<std::uint8_t>* data);

// Creates or replaces a value. ERROR_KEY_DELETED when the key is gone.
std::uint32_t SetValue(const KeyPath& key, const std::u16string& name, std::uint32_t type,
                       const std::uint8_t* data, std::size_t size);

// Removes a value; ERROR_FILE_NOT_FOUND when it does not exist.
std::uint32_t DeleteValue(const KeyPath& key, const std::u16string& name);

// --- Internal controls, for tests ------------------------------------------

// How long a call waits for another process's lock before it gives up with
// ERROR_BUSY. The default is 3000 ms.
void SetBusyTimeoutMs(int ms);

// The database file that the next call uses; empty when no location can be
// found (no XDG_CONFIG_HOME, no home directory).
std::string DatabasePath();

// 0 when SQLite's integrity check of the current database reports no fault.
std::uint32_t CheckIntegrity();

// Closes the kept connection; the next call opens the database again.
void CloseDatabase();

}  // namespace platform::registry
